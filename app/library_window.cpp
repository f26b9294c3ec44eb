#include "app/library_window.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/chart_limits.h"
#include "analysis/chart_session.h"
#include "analysis/expression.h"
#include "app/background_work.h"
#include "app/events_view.h"
#include "app/library_text.h"
#include "app/prompts.h"
#include "app/qt_prompts.h"
#include "app/report_dialog.h"
#include "app/trend_view.h"
#include "app/trips_view.h"
#include "chart/chart_window.h"
#include "decode/record_view.h"
#include "regional/decimal_separator.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr QSize kClientSize(1400, 900);
// Room for the window frame and title bar, which the client size leaves out.
constexpr QSize kFrameAllowance(8, 34);
constexpr int kCarPanelWidth = 340;
// A gap of up to a week still joins two records into one trip.
constexpr int kLongestTripGap = 7 * 24 * 3600;
constexpr int kControllerTypes = 7;

QString dateText(const std::optional<Moment>& moment) {
  return moment ? toQString(calendarDateText(dateOfMoment(*moment))) : QString();
}

QTreeWidget* makeList(const char* name, const QStringList& headers) {
  auto* list = new QTreeWidget;
  list->setObjectName(QString::fromLatin1(name));
  list->setHeaderLabels(headers);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return list;
}

QPushButton* makeButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}
bool isServerLocation(const QString& location) {
  return location.startsWith(QStringLiteral("postgresql://")) ||
         location.startsWith(QStringLiteral("postgres://"));
}

// A server's address goes as it is; a file's name as the core takes it.
std::string locationForCore(const QString& location) {
  return isServerLocation(location) ? location.toStdString() : fileNameForCore(location);
}
}  // namespace

LibraryWindow::LibraryWindow(ChartWindow& chart, Prompts* prompts, QWidget* parent)
    : QWidget(parent, Qt::Window),
      chart_(chart),
      // A library is chosen seldom: its dialog is not worth the time it
      // takes to make while the window has a history to show.
      ownPrompts_(prompts ? nullptr : std::make_unique<QtPrompts>(this, QtPrompts::Dialogs::madeWhenAsked)),
      prompts_(prompts ? *prompts : *ownPrompts_),
      locationLabel_(new QLabel),
      openLibrary_(makeButton(tr("Открыть библиотеку…"), "openLibraryButton")),
      openServer_(makeButton(tr("На сервере…"), "openServerButton")),
      refresh_(makeButton(tr("Обновить"), "refreshButton")),
      carList_(makeList("cars", {tr("Автомобиль"), tr("Тип"), tr("Записей"), tr("С"), tr("По")})),
      addCar_(makeButton(tr("Добавить…"), "addCarButton")),
      renameCar_(makeButton(tr("Переименовать…"), "renameCarButton")),
      removeCar_(makeButton(tr("Удалить…"), "removeCarButton")),
      note_(new QLineEdit),
      summary_(new QLabel),
      importList_(makeList("imports",
                           {tr("Добавлена"), tr("Файл"), tr("Дата выгрузки"), tr("Новых"), tr("Уже были")})),
      removeImport_(makeButton(tr("Удалить выгрузку…"), "removeImportButton")),
      tripGap_(new QSpinBox),
      report_(makeButton(tr("Отчёт…"), "reportButton")),
      tabs_(new QTabWidget),
      trips_(new TripsView),
      events_(new EventsView),
      trend_(new TrendView),
      historyNote_(new QLabel),
      status_(new QLabel),
      loader_(new BackgroundWork(this)) {
  setObjectName(QStringLiteral("libraryWindow"));
  setWindowTitle(tr("Библиотека"));
  placeWidgets();
  placeOnScreen();
  showLocation();

  connect(openLibrary_, &QPushButton::clicked, this, &LibraryWindow::onOpenLibrary);
  connect(openServer_, &QPushButton::clicked, this, &LibraryWindow::onOpenServer);
  connect(refresh_, &QPushButton::clicked, this, &LibraryWindow::onRefresh);
  auto* refreshKey = new QShortcut(QKeySequence::Refresh, this);
  connect(refreshKey, &QShortcut::activated, this, &LibraryWindow::onRefresh);
  connect(addCar_, &QPushButton::clicked, this, &LibraryWindow::onAddCar);
  connect(renameCar_, &QPushButton::clicked, this, &LibraryWindow::onRenameCar);
  connect(removeCar_, &QPushButton::clicked, this, &LibraryWindow::onRemoveCar);
  connect(note_, &QLineEdit::editingFinished, this, &LibraryWindow::onNoteEdited);
  connect(removeImport_, &QPushButton::clicked, this, &LibraryWindow::onRemoveImport);
  connect(report_, &QPushButton::clicked, this, &LibraryWindow::onReport);
  connect(carList_, &QTreeWidget::currentItemChanged, this, &LibraryWindow::showCar);
  connect(importList_, &QTreeWidget::currentItemChanged, this,
          [this] { removeImport_->setEnabled(store_ && !store_->readOnly() && importList_->currentItem()); });
  connect(tripGap_, &QSpinBox::valueChanged, this, &LibraryWindow::loadHistory);
  connect(trips_, &TripsView::openRequested, this,
          [this](const std::vector<int>& trips) { openInChart(trips); });
  connect(events_, &EventsView::openRequested, this,
          [this](const HistoryEvent& event) { openInChart({event.trip}, &event); });
}

// Its thread ends first, before the widgets its results are for.
LibraryWindow::~LibraryWindow() { delete loader_; }

void LibraryWindow::placeWidgets() {
  locationLabel_->setObjectName(QStringLiteral("libraryLocation"));
  locationLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  note_->setObjectName(QStringLiteral("carNote"));
  note_->setPlaceholderText(tr("VIN, пробег, что чинили — Enter сохраняет"));
  summary_->setObjectName(QStringLiteral("carSummary"));
  summary_->setWordWrap(true);
  tripGap_->setObjectName(QStringLiteral("tripGap"));
  report_->setEnabled(false);  // until the history is built
  tripGap_->setRange(1, kLongestTripGap);
  tripGap_->setValue(int(kDefaultTripGap));
  tripGap_->setSuffix(tr(" с"));
  // Typing "600" builds one history, not three.
  tripGap_->setKeyboardTracking(false);
  tabs_->setObjectName(QStringLiteral("historyTabs"));
  tabs_->addTab(trips_, tr("Поездки"));
  tabs_->addTab(events_, tr("События"));
  historyNote_->setObjectName(QStringLiteral("historyNote"));
  status_->setObjectName(QStringLiteral("libraryStatus"));

  auto* top = new QHBoxLayout;
  top->addWidget(locationLabel_, 1);
  top->addWidget(openLibrary_);
  top->addWidget(openServer_);
  top->addWidget(refresh_);

  auto* carButtons = new QHBoxLayout;
  carButtons->addWidget(addCar_);
  carButtons->addWidget(renameCar_);
  carButtons->addWidget(removeCar_);
  carButtons->addStretch(1);
  auto* noteRow = new QHBoxLayout;
  auto* noteLabel = new QLabel(tr("Заметка:"));
  noteLabel->setBuddy(note_);
  noteRow->addWidget(noteLabel);
  noteRow->addWidget(note_, 1);
  auto* importButtons = new QHBoxLayout;
  importButtons->addWidget(removeImport_);
  importButtons->addStretch(1);
  auto* carPanel = new QWidget;
  auto* carColumn = new QVBoxLayout(carPanel);
  carColumn->setContentsMargins(0, 0, 0, 0);
  carColumn->addWidget(new QLabel(tr("Автомобили")));
  carColumn->addWidget(carList_, 2);
  carColumn->addLayout(carButtons);
  carColumn->addLayout(noteRow);
  carColumn->addWidget(summary_);
  carColumn->addSpacing(8);
  carColumn->addWidget(new QLabel(tr("Выгрузки автомобиля")));
  carColumn->addWidget(importList_, 3);
  carColumn->addLayout(importButtons);

  auto* gapRow = new QHBoxLayout;
  auto* gapLabel = new QLabel(tr("Новая поездка — после паузы дольше"));
  gapLabel->setBuddy(tripGap_);
  gapRow->addWidget(gapLabel);
  gapRow->addWidget(tripGap_);
  gapRow->addSpacing(16);
  gapRow->addWidget(historyNote_, 1);
  gapRow->addWidget(report_);
  auto* historyPanel = new QWidget;
  auto* historyColumn = new QVBoxLayout(historyPanel);
  historyColumn->setContentsMargins(0, 0, 0, 0);
  historyColumn->addLayout(gapRow);
  // The trend beneath the trips and events, so that both are in sight.
  auto* views = new QSplitter(Qt::Vertical);
  views->addWidget(tabs_);
  views->addWidget(trend_);
  views->setStretchFactor(0, 1);
  views->setStretchFactor(1, 1);
  views->setChildrenCollapsible(false);
  historyColumn->addWidget(views, 1);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(carPanel);
  splitter->addWidget(historyPanel);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({kCarPanelWidth, kClientSize.width() - kCarPanelWidth});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(top);
  layout->addWidget(splitter, 1);
  layout->addWidget(status_);
}

void LibraryWindow::placeOnScreen() {
  const QRect available = screen()->availableGeometry();
  resize(kClientSize.boundedTo(available.size() - kFrameAllowance));
  move(available.center() - rect().center());
}

void LibraryWindow::setLocation(const QString& location) {
  forgetHistory();
  store_.reset();
  location_ = location;
  showCars();
}

void LibraryWindow::showWindow() {
  show();
  raise();
  activateWindow();
  // After showing: what went wrong is said over the window.
  open(prompts_);
}

void LibraryWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Histories are built for a window that shows them.
  loadHistory();
}

bool LibraryWindow::tellFailure(Prompts& prompts, std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const LibraryError& error) {
    if (error.kind() == LibraryError::Kind::busy || error.kind() == LibraryError::Kind::lostConnection)
      return prompts.confirm(toQString(error.what()) + QStringLiteral("\n\n") + tr("Попробовать ещё раз?"));
    prompts.showError(toQString(error.what()));
  } catch (const std::exception& error) {
    prompts.showError(toQString(error.what()));
  }
  return false;
}

bool LibraryWindow::attempt(Prompts& prompts, const std::function<void()>& action) {
  for (;;) {
    try {
      action();
      return true;
    } catch (...) {
      if (!tellFailure(prompts, std::current_exception())) return false;
    }
  }
}

bool LibraryWindow::open(Prompts& prompts) {
  if (store_) return true;
  if (location_.isEmpty()) {
    prompts.showError(
        tr("Не видно, где хранить библиотеку: у пользователя нет домашней папки. Выберите файл "
           "библиотеки кнопкой «Открыть библиотеку…»"));
    return false;
  }
  const bool opened =
      attempt(prompts, [this] { store_ = std::make_unique<LibraryStore>(locationForCore(location_)); });
  showCars();
  return opened;
}

void LibraryWindow::onOpenLibrary() {
  const std::optional<QString> chosen = prompts_.openFileName(
      tr("Библиотека (*.sqlite *.sqlite3 *.db)"), isServerLocation(location_) ? QString() : location_);
  if (chosen) openChosen(*chosen);
}

void LibraryWindow::onOpenServer() {
  const std::optional<QString> chosen =
      prompts_.askText(tr("Библиотека на сервере PostgreSQL, postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР[:ПОРТ]/БАЗА "
                          "(пароль — в ~/.pgpass или PGPASSWORD):"),
                       isServerLocation(location_) ? location_ : QStringLiteral("postgresql://"));
  if (chosen) openChosen(chosen->trimmed());
}

void LibraryWindow::openChosen(const QString& chosen) {
  // The library shown stays until the one chosen is open.
  std::unique_ptr<LibraryStore> opened;
  if (!attempt(prompts_, [&] { opened = std::make_unique<LibraryStore>(locationForCore(chosen)); })) return;
  forgetHistory();
  store_ = std::move(opened);
  location_ = chosen;
  carList_->clear();  // its cars are none of this library's
  showCars();
}

void LibraryWindow::onRefresh() {
  // What other computers changed: names, notes, imports and records.
  if (!store_) {
    open(prompts_);
    return;
  }
  forgetHistory();
  showCars();
  loadHistory();
}

void LibraryWindow::showLocation() {
  const bool open = bool(store_);
  const bool changes = open && !store_->readOnly();
  if (!open)
    locationLabel_->setText(location_.isEmpty() ? tr("Библиотека не выбрана")
                                                : tr("Библиотека %1 не открыта").arg(location_));
  else
    locationLabel_->setText(
        changes ? tr("Библиотека %1").arg(location_)
                : tr("Библиотека %1 — только для чтения, изменения недоступны").arg(location_));
  const bool car = changes && carList_->currentItem();
  addCar_->setEnabled(changes);
  renameCar_->setEnabled(car);
  removeCar_->setEnabled(car);
  note_->setReadOnly(!car);
  removeImport_->setEnabled(car && importList_->currentItem());
}

void LibraryWindow::showCars(std::optional<RowId> choose) {
  if (!choose) choose = car();
  cars_.clear();
  if (store_ && !attempt(prompts_, [this] { cars_ = store_->cars(); })) cars_.clear();
  {
    const QSignalBlocker blocker(carList_);
    carList_->clear();
    for (const CarSummary& car : cars_) {
      auto* item = new QTreeWidgetItem(carList_,
                                       {toQString(car.car.name), QString::number(car.car.controllerType),
                                        groupedNumber(car.records), dateText(car.first), dateText(car.last)});
      item->setData(0, Qt::UserRole, qlonglong(car.car.id));
      item->setToolTip(0, toQString(car.car.note));
      for (int column = 1; column < 3; ++column) item->setTextAlignment(column, Qt::AlignRight);
      if (choose == car.car.id) carList_->setCurrentItem(item);
    }
    if (!carList_->currentItem() && carList_->topLevelItemCount() > 0)
      carList_->setCurrentItem(carList_->topLevelItem(0));
  }
  showCar();
}

std::optional<RowId> LibraryWindow::car() const {
  const QTreeWidgetItem* item = carList_->currentItem();
  if (!item) return std::nullopt;
  return RowId(item->data(0, Qt::UserRole).toLongLong());
}

const CarSummary* LibraryWindow::carShown() const {
  const std::optional<RowId> id = car();
  for (const CarSummary& summary : cars_)
    if (id == summary.car.id) return &summary;
  return nullptr;
}

void LibraryWindow::showCar() {
  const CarSummary* car = carShown();
  noteCar_ = car ? std::optional(car->car.id) : std::nullopt;
  note_->setText(car ? toQString(car->car.note) : QString());
  imports_.clear();
  if (car && !attempt(prompts_, [&] { imports_ = store_->imports(car->car.id); })) imports_.clear();
  importList_->clear();
  for (const ImportInfo& import : imports_) {
    const QString file =
        import.fileName.empty() ? tr("из БК") : QFileInfo(toQString(import.fileName)).fileName();
    auto* item = new QTreeWidgetItem(
        importList_,
        {QDateTime::fromSecsSinceEpoch(import.importedAt).toString(QStringLiteral("yyyy-MM-dd hh:mm")), file,
         toQString(calendarDateText(import.reference)), groupedNumber(import.newRecords),
         groupedNumber(import.knownRecords)});
    item->setToolTip(1, toQString(import.fileName));
    for (int column = 3; column < 5; ++column) item->setTextAlignment(column, Qt::AlignRight);
  }
  if (!car) {
    summary_->clear();
  } else {
    QString summary = tr("Записей: %1, из них без даты и времени: %2")
                          .arg(groupedNumber(car->records), groupedNumber(car->undated));
    if (car->first && car->last)
      summary += tr("; с %1 по %2").arg(momentString(*car->first), momentString(*car->last));
    summary_->setText(summary);
  }
  showLocation();
  loadHistory();
}

bool LibraryWindow::loading() const { return !loader_->idle(); }

void LibraryWindow::loadHistory() {
  const CarSummary* car = carShown();
  const std::optional<HistoryKey> wanted =
      car ? std::optional(HistoryKey{car->car.id, tripGap_->value()}) : std::nullopt;
  if (wanted && (wanted == built_ || (wanted == loading_ && loading()))) return;
  forgetHistory();
  if (!wanted || !isVisible()) return;
  historyNote_->setText(tr("История загружается…"));
  loading_ = wanted;
  loader_->start(
      [this, location = store_->location(), key = *wanted, type = car->car.controllerType,
       separator =
           systemDecimalSeparator()](const BackgroundWork::Progress& progress) -> BackgroundWork::Delivery {
        // One connection serves one thread: the window's own stays with the window.
        const LibraryStore store(location, LibraryStore::Access::readOnly);
        // The trips first, from the moments alone: they show long before the records are decoded.
        progress([this, trips = splitTrips(store.moments(key.car), key.gap)]() mutable {
          historyNote_->setText(
              tr("Поездок: %1; их записи загружаются…").arg(groupedNumber(qint64(trips.size()))));
          trips_->showTrips(std::move(trips));
        });
        auto history = std::make_shared<const CarHistory>(type, store.history(key.car), separator, key.gap);
        return [this, history, key] { useHistory(history, key); };
      },
      [this](std::exception_ptr failure) { historyFailed(failure); });
}

void LibraryWindow::forgetHistory() {
  loader_->cancel();
  loading_.reset();
  // The history in use goes at once: a year of a car is large.
  useHistory(nullptr, std::nullopt);
}

void LibraryWindow::useHistory(std::shared_ptr<const CarHistory> history, std::optional<HistoryKey> key) {
  history_ = std::move(history);
  built_ = key;
  loading_.reset();
  trips_->setHistory(history_);
  events_->setHistory(history_);
  trend_->setHistory(history_);
  report_->setEnabled(bool(history_));
  historyNote_->setText(history_ ? tr("Поездок: %1, записей с датой и временем: %2")
                                       .arg(groupedNumber(qint64(history_->trips().size())),
                                            groupedNumber(qint64(history_->records().size())))
                                 : QString());
}

void LibraryWindow::historyFailed(std::exception_ptr failure) {
  loading_.reset();
  historyNote_->setText(tr("История не загружена"));
  if (tellFailure(prompts_, failure)) loadHistory();
}

void LibraryWindow::openInChart(const std::vector<int>& trips, const HistoryEvent* event) {
  const CarSummary* car = carShown();
  if (!history_ || !car || trips.empty()) return;
  QString problems;
  const bool opened = attempt(prompts_, [&] {
    std::vector<ChartDrive> drives;
    for (const int number : trips)
      if (const Trip* trip = history_->trip(number))
        drives.push_back(
            tripDrive(*history_, *trip,
                      (toQString(car->car.name) + QStringLiteral(", ") + tripLabel(*trip)).toStdString()));
    if (drives.empty()) return;
    ChartSession& session = chart_.session();
    const ChartSession::Batch batch(session);
    // What the library opens replaces every drive the chart compared.
    while (session.driveCount() > 1) session.removeDrive(session.driveCount() - 1);
    session.prepareDrive(std::move(drives.front()));
    for (std::size_t d = 1; d < drives.size(); ++d) {
      const std::string problem = session.addDrive(std::move(drives[d]));
      if (!problem.empty()) problems += toQString(problem) + QLatin1Char('\n');
    }
    if (event) {
      // What the event is about on the first series.
      const std::vector<int> named =
          Expression(events_->searched().toStdString(), history_->model()).columns();
      for (std::size_t i = 0; i < named.size() && i < std::size_t(kSeriesCount); ++i)
        session.setSeriesParameter(int(i), history_->model().title(named[i]));
      const int first = history_->trip(event->trip)->first;
      session.setMarker(0, event->first - first);
      session.setMarker(1, event->last - first);
    }
  });
  if (!opened) return;
  if (!problems.isEmpty()) prompts_.showError(problems.trimmed());
  chart_.show();
  chart_.raise();
  chart_.activateWindow();
}

void LibraryWindow::onAddCar() {
  const std::optional<QString> name = prompts_.askText(tr("Название нового автомобиля:"), {});
  if (!name) return;
  QStringList types;
  for (int type = 1; type <= kControllerTypes; ++type) types << QString::number(type);
  const std::optional<QString> type = prompts_.chooseItem(
      tr("Тип контроллера автомобиля «%1» (байт 9 его записей):").arg(name->trimmed()), types, false);
  if (!type) return;
  RowId added = 0;
  if (attempt(prompts_, [&] { added = store_->addCar(name->trimmed().toStdString(), type->toInt()); }))
    showCars(added);
}

void LibraryWindow::onRenameCar() {
  const CarSummary* car = carShown();
  if (!car) return;
  const RowId id = car->car.id;
  const std::optional<QString> name = prompts_.askText(
      tr("Новое название автомобиля «%1»:").arg(toQString(car->car.name)), toQString(car->car.name));
  if (name && attempt(prompts_, [&] { store_->renameCar(id, name->trimmed().toStdString()); })) showCars(id);
}

void LibraryWindow::onRemoveCar() {
  const CarSummary* car = carShown();
  if (!car) return;
  const RowId id = car->car.id;
  if (!prompts_.confirm(tr("Удалить автомобиль «%1» со всеми его выгрузками и записями (%2)?")
                            .arg(toQString(car->car.name), groupedNumber(car->records))))
    return;
  const QString name = toQString(car->car.name);
  if (!attempt(prompts_, [&] { store_->removeCar(id); })) return;
  status_->setText(tr("Автомобиль «%1» удалён").arg(name));
  showCars();
}

void LibraryWindow::onNoteEdited() {
  const CarSummary* car = carShown();
  if (!car || noteCar_ != car->car.id || note_->isReadOnly()) return;
  const std::string note = note_->text().toStdString();
  if (note == car->car.note) return;
  const RowId id = car->car.id;
  if (attempt(prompts_, [&] { store_->setCarNote(id, note); })) showCars(id);
}

void LibraryWindow::onRemoveImport() {
  const CarSummary* car = carShown();
  const int row = importList_->indexOfTopLevelItem(importList_->currentItem());
  if (!car || row < 0 || std::size_t(row) >= imports_.size()) return;
  const ImportInfo import = imports_[std::size_t(row)];
  const QString name = import.fileName.empty() ? tr("из БК") : toQString(import.fileName);
  if (!prompts_.confirm(
          tr("Удалить выгрузку %1 (%2), добавленную %3? Записи, которых нет в других выгрузках "
             "автомобиля, удалятся вместе с ней.")
              .arg(name, toQString(calendarDateText(import.reference)), importList_->currentItem()->text(0))))
    return;
  std::int64_t removed = 0;
  if (!attempt(prompts_, [&] { removed = store_->removeImport(import.id); })) return;
  status_->setText(tr("Выгрузка удалена, с ней записей: %1").arg(groupedNumber(removed)));
  const RowId id = car->car.id;
  forgetHistory();  // built from what is gone
  showCars(id);
}

std::optional<ImportOutcome> LibraryWindow::addDump(const Dump& dump, const ImportSource& source,
                                                    Prompts& prompts) {
  if (!open(prompts)) return std::nullopt;
  // The cars of its type, the one imported to last first and those never
  // imported to last; imports of one second are told apart by their order.
  struct Offer {
    std::int64_t importedAt;
    RowId import;
    QString name;
  };
  int type = 0;
  std::vector<Offer> offers;
  if (!attempt(prompts, [&] {
        type = readControllerType(dump);
        offers.clear();
        for (const CarSummary& car : store_->cars()) {
          if (car.car.controllerType != type) continue;
          const std::vector<ImportInfo> imports = store_->imports(car.car.id);
          offers.push_back({car.lastImportedAt.value_or(-1), imports.empty() ? 0 : imports.back().id,
                            toQString(car.car.name)});
        }
      }))
    return std::nullopt;
  std::stable_sort(offers.begin(), offers.end(), [](const Offer& a, const Offer& b) {
    return std::pair(a.importedAt, a.import) > std::pair(b.importedAt, b.import);
  });
  QStringList names;
  for (const Offer& offer : offers) names << offer.name;
  const std::optional<QString> chosen = prompts.chooseItem(
      tr("Автомобиль, к которому добавить эти данные (тип контроллера %1), или название нового:").arg(type),
      names, true);
  if (!chosen) return std::nullopt;
  const std::string name = chosen->trimmed().toStdString();

  std::optional<ImportOutcome> outcome;
  // A new name makes its car in the import's own transaction: a first import
  // that fails leaves no car behind.
  if (!attempt(prompts, [&] { outcome = store_->importIntoCarNamed(name, dump, source); }))
    return std::nullopt;
  status_->setText(importedText(*outcome));
  forgetHistory();  // it grew
  std::optional<RowId> car;
  attempt(prompts, [&] {
    if (const std::optional<Car> known = store_->findCar(name)) car = known->id;
  });
  showCars(car);
  return outcome;
}

ReportDialog* LibraryWindow::reportDialog() const { return reportDialog_.data(); }

void LibraryWindow::onReport() {
  const CarSummary* car = carShown();
  if (!car || !history_ || !store_) return;
  // Modal to this window: the library and the car stay as they are while it is open.
  std::unique_ptr<ReportDialog> dialog;
  if (!attempt(prompts_, [&] {
        dialog = std::make_unique<ReportDialog>(*store_, car->car, history_, trips_->selectedTrips(),
                                                prompts_, this);
      }))
    return;
  reportDialog_ = dialog.release();
  reportDialog_->setAttribute(Qt::WA_DeleteOnClose);
  reportDialog_->setWindowModality(Qt::WindowModal);
  reportDialog_->show();
}

}  // namespace kq
