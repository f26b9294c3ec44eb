// The library window and the main window's library row, driven as a user
// would, over a library in a scratch folder.
#include "app/library_window.h"

#include <qcustomplot.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/library_text.h"
#include "chart/chart_window.h"
#include "chart/formula_edit.h"
#include "decode/number_text.h"
#include "sim/memory.h"
#include "tests/support/server_database.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

namespace kq {
namespace {

const QString kRpm = QStringLiteral("Обороты двигателя");

class LibraryWindowTest : public WindowTest {
 protected:
  LibraryWindowTest() {
    library.setLocation(path(QStringLiteral("library.sqlite")));
    window.setLibrary(&library);
  }

  // A synthetic drive of several trips, loaded and added to a car through the main window.
  void addDrive(const QString& car, int records = 4000) {
    std::string text;
    for (const std::string& line : sim::syntheticDumpLines(6, records)) text += line + "\r\n";
    loadThroughWindow(text);
    prompts.choiceAnswers.push_back(car);
    click("addToLibraryButton");
  }
  // The library window shown with the car's history built.
  const CarHistory& openLibrary() {
    click("libraryButton");
    EXPECT_TRUE(waitUntil([&] { return library.history() && !library.loading(); }, 20000));
    return *library.history();
  }
  template <class Widget>
  Widget* child(const char* name) {
    return library.findChild<Widget*>(QString::fromLatin1(name));
  }
  QTableView* table(const char* name) { return child<QTableView>(name); }
  static QString cell(QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
  }
  static void clickRow(QTableView* view, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                      view->visualRect(view->model()->index(row, 0)).center());
  }
  // As the system gives it: a click, then the double click.
  static void doubleClickRow(QTableView* view, int row) {
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  }
  void showTab(const QString& name) {
    auto* tabs = child<QTabWidget>("historyTabs");
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i) == name) tabs->setCurrentIndex(i);
  }

  ChartWindow chart;
  LibraryWindow library{chart, &prompts};
};

TEST_F(LibraryWindowTest, AddingADumpMakesTheCarOffersTheLastCarFirstAndSaysHowManyRecordsAreNew) {
  addDrive(QStringLiteral("Нива"), 1500);
  EXPECT_EQ(status(), QStringLiteral("1 500 новых записей из 1 500"));
  ASSERT_EQ(prompts.choices.size(), 1u);
  EXPECT_TRUE(prompts.choices[0].items.isEmpty());
  EXPECT_TRUE(prompts.choices[0].typed);

  addDrive(QStringLiteral("Лада"), 1500);
  addDrive(QStringLiteral("Нива"), 2000);
  EXPECT_EQ(status(), QStringLiteral("500 новых записей из 2 000"));
  EXPECT_EQ(prompts.choices.back().items, (QStringList{"Лада", "Нива"}));
  addDrive(QStringLiteral("Нива"), 2000);
  EXPECT_EQ(status(), QStringLiteral("0 новых записей из 2 000"));
  EXPECT_EQ(prompts.choices.back().items, (QStringList{"Нива", "Лада"}));
  EXPECT_TRUE(prompts.errors.empty());

  const std::vector<CarSummary> cars = library.store()->cars();
  ASSERT_EQ(cars.size(), 2u);
  const Car niva = *library.store()->findCar("Нива");
  EXPECT_EQ(niva.controllerType, 6);
  // The reference day of a loaded file is the day it was last changed.
  const QDate changed = QFileInfo(path(QStringLiteral("source.txt"))).lastModified().date();
  EXPECT_EQ(library.store()->imports(niva.id).back().reference,
            (CalendarDate{changed.year(), changed.month(), changed.day()}));
}

TEST_F(LibraryWindowTest, AnEmptyDumpIsSaidAndAddsNothing) {
  click("addToLibraryButton");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_TRUE(prompts.choices.empty());
  EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("library.sqlite"))));
}

TEST_F(LibraryWindowTest, TripsAreListedSortedByTheColumnClickedWithTheParametersTicked) {
  addDrive(QStringLiteral("Нива"));
  const CarHistory& history = openLibrary();
  QTableView* trips = table("trips");
  ASSERT_GE(history.trips().size(), 5u);
  ASSERT_EQ(trips->model()->rowCount(), int(history.trips().size()));
  for (int row = 0; row < trips->model()->rowCount(); ++row) {
    const Trip& trip = history.trips()[std::size_t(row)];
    EXPECT_EQ(cell(trips, row, 1), toQString(momentText(trip.start)));
    EXPECT_TRUE(toQString(momentText(trip.end)).endsWith(cell(trips, row, 2)));
    EXPECT_EQ(cell(trips, row, 4), groupedNumber(trip.records()));
  }

  QHeaderView* header = trips->horizontalHeader();
  QTest::mouseClick(
      header->viewport(), Qt::LeftButton, {},
      QPoint(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2));
  for (int row = 1; row < trips->model()->rowCount(); ++row)
    EXPECT_LE(trips->model()->index(row - 1, 3).data(Qt::UserRole).toLongLong(),
              trips->model()->index(row, 3).data(Qt::UserRole).toLongLong());

  auto* parameters = child<QListWidget>("tripParameters");
  const int item = int(history.model().columnOf(kRpm.toStdString()).value()) - kFrameColumns;
  parameters->setCurrentRow(item);
  QTest::keyClick(parameters, Qt::Key_Space);
  ASSERT_EQ(trips->model()->columnCount(), 8);
  EXPECT_TRUE(trips->model()->headerData(5, Qt::Horizontal).toString().endsWith(QStringLiteral("\nмин")));
  EXPECT_EQ(trips->model()->headerData(5, Qt::Horizontal, Qt::ToolTipRole).toString(),
            kRpm + QStringLiteral(": минимум за поездку"));
  const int number = trips->model()->index(0, 0).data().toInt();
  const std::optional<ColumnStatistics> statistics =
      tripStatistics(history, *history.trip(number), kFrameColumns + item);
  ASSERT_TRUE(statistics);
  std::string maximum;
  appendNumber(maximum, statistics->maximum, history.model().decimalSeparator());
  EXPECT_EQ(cell(trips, 0, 6), toQString(maximum));
}

TEST_F(LibraryWindowTest, ALongerTripGapJoinsTripsAcrossTheirPauses) {
  addDrive(QStringLiteral("Нива"));
  const std::size_t trips = openLibrary().trips().size();
  auto* gap = child<QSpinBox>("tripGap");
  EXPECT_EQ(gap->value(), 300);
  // The synthetic drive pauses from 3 to 14 hours between trips.
  gap->selectAll();
  QTest::keyClicks(gap, "54000");
  QTest::keyClick(gap, Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return library.history() && !library.loading(); }, 20000));
  EXPECT_EQ(library.history()->trips().size(), 1u);
  EXPECT_EQ(table("trips")->model()->rowCount(), 1);
  EXPECT_LT(library.history()->trips().size(), trips);
}

TEST_F(LibraryWindowTest, TrendDrawsAPointPerTripOnADateAxisAndHoverNamesItsTrip) {
  addDrive(QStringLiteral("Нива"));
  const CarHistory& history = openLibrary();
  auto* parameter = child<QComboBox>("trendParameter");
  parameter->setCurrentIndex(parameter->findText(kRpm));
  emit parameter->activated(parameter->currentIndex());
  auto* statistic = child<QComboBox>("trendStatistic");
  statistic->setCurrentIndex(statistic->findText(QStringLiteral("максимум")));
  emit statistic->activated(statistic->currentIndex());

  auto* plot = child<QCustomPlot>("trendPlot");
  ASSERT_TRUE(plot->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>());
  const std::vector<TrendPoint> expected =
      trend(history, *history.model().columnOf(kRpm.toStdString()), TrendStatistic::maximum);
  ASSERT_EQ(plot->graph(0)->dataCount(), int(expected.size()));
  for (int i = 0; i < int(expected.size()); ++i) {
    EXPECT_EQ(plot->graph(0)->dataMainKey(i), double(expected[std::size_t(i)].start));
    EXPECT_EQ(plot->graph(0)->dataMainValue(i), double(*expected[std::size_t(i)].value));
  }

  plot->replot();
  const int hovered = 2;
  const QPointF at(plot->xAxis->coordToPixel(plot->graph(0)->dataMainKey(hovered)),
                   plot->yAxis->coordToPixel(plot->graph(0)->dataMainValue(hovered)));
  QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot, &move);
  EXPECT_TRUE(plot->toolTip().startsWith(QStringLiteral("Поездка %1: %2")
                                             .arg(expected[hovered].trip)
                                             .arg(toQString(momentText(expected[hovered].start)))))
      << plot->toolTip().toStdString();
}

TEST_F(LibraryWindowTest, AnEventOpensItsTripInTheChartWithTheMarkersAtItsStartAndEnd) {
  addDrive(QStringLiteral("Нива"));
  const CarHistory& history = openLibrary();
  showTab(QStringLiteral("События"));
  auto* field = child<FormulaEdit>("eventExpression");
  child<QSpinBox>("eventMinSeconds")->setValue(10);
  const std::string expression = "[Обороты двигателя] > 2500";
  field->setText(toQString(expression));  // keyClicks types ASCII only
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_TRUE(waitUntil(
      [&] { return !child<QLabel>("eventCount")->text().startsWith(QStringLiteral("Поиск")); }, 20000));
  const std::vector<HistoryEvent> expected = findEvents(history, expression, 10);
  QTableView* events = table("events");
  ASSERT_GE(expected.size(), 2u);
  ASSERT_EQ(events->model()->rowCount(), int(expected.size()));

  // A mistake is said beside the field, and the events stay.
  field->setText(QStringLiteral("[Обороты] > 2500"));
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return !child<QLabel>("eventError")->text().isEmpty(); }, 20000));
  EXPECT_TRUE(child<QLabel>("eventError")->text().startsWith(QStringLiteral("позиция 1: ")));
  EXPECT_EQ(events->model()->rowCount(), int(expected.size()));

  doubleClickRow(events, 1);
  const HistoryEvent& event = expected[1];
  const Trip& trip = *history.trip(event.trip);
  EXPECT_TRUE(chart.isVisible());
  EXPECT_EQ(chart.session().driveCount(), 1);
  EXPECT_EQ(chart.session().model().recordCount(), trip.records());
  EXPECT_EQ(chart.session().marker(0), std::optional<double>(event.first - trip.first));
  EXPECT_EQ(chart.session().marker(1), std::optional<double>(event.last - trip.first));
  EXPECT_EQ(chart.session().plotted(0).title, kRpm.toStdString());
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(LibraryWindowTest, UpToFourTripsSelectedOpenAsDrivesComparedAndADoubleClickOpensOne) {
  addDrive(QStringLiteral("Нива"));
  const CarHistory& history = openLibrary();
  QTableView* trips = table("trips");
  auto* open = child<QPushButton>("openTripsButton");
  ASSERT_GE(trips->model()->rowCount(), 5);
  clickRow(trips, 0);
  clickRow(trips, 4, Qt::ShiftModifier);
  EXPECT_FALSE(open->isEnabled());
  clickRow(trips, 3, Qt::ShiftModifier);
  ASSERT_TRUE(open->isEnabled());
  QTest::mouseClick(open, Qt::LeftButton);

  ASSERT_EQ(chart.session().driveCount(), 4);
  for (int d = 0; d < 4; ++d) {
    EXPECT_EQ(chart.session().driveModel(d).recordCount(), history.trips()[std::size_t(d)].records());
    // Lined up at their starts.
    EXPECT_EQ(chart.session().alignedTimes(d).front(), chart.session().alignedTimes(0).front());
  }
  EXPECT_NE(chart.session().drive(1).label.find("поездка 2"), std::string::npos);

  doubleClickRow(trips, 2);
  EXPECT_EQ(chart.session().driveCount(), 1);
  EXPECT_EQ(chart.session().model().recordCount(), history.trips()[2].records());
}

TEST_F(LibraryWindowTest, CarsAreAddedRenamedNotedAndRemovedOnlyAfterAQuestion) {
  click("libraryButton");
  prompts.textAnswers.push_back(QStringLiteral("Волга"));
  prompts.choiceAnswers.push_back(QStringLiteral("2"));
  QTest::mouseClick(child<QPushButton>("addCarButton"), Qt::LeftButton);
  ASSERT_EQ(child<QTreeWidget>("cars")->topLevelItemCount(), 1);
  EXPECT_EQ(library.store()->findCar("Волга")->controllerType, 2);

  prompts.textAnswers.push_back(QStringLiteral("Волга 24"));
  QTest::mouseClick(child<QPushButton>("renameCarButton"), Qt::LeftButton);
  EXPECT_EQ(child<QTreeWidget>("cars")->topLevelItem(0)->text(0), QStringLiteral("Волга 24"));
  auto* note = child<QLineEdit>("carNote");
  note->setFocus();
  QTest::keyClicks(note, "VIN 123");
  QTest::keyClick(note, Qt::Key_Return);
  EXPECT_EQ(library.store()->findCar("Волга 24")->note, "VIN 123");

  prompts.confirmAnswers = {false, true};
  QTest::mouseClick(child<QPushButton>("removeCarButton"), Qt::LeftButton);
  EXPECT_TRUE(library.store()->findCar("Волга 24"));
  QTest::mouseClick(child<QPushButton>("removeCarButton"), Qt::LeftButton);
  EXPECT_FALSE(library.store()->findCar("Волга 24"));
  EXPECT_EQ(child<QTreeWidget>("cars")->topLevelItemCount(), 0);
  EXPECT_EQ(prompts.questions.size(), 2u);
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(LibraryWindowTest, AnImportIsRemovedAfterAQuestionWithTheRecordsNoOtherImportHas) {
  addDrive(QStringLiteral("Нива"), 1500);
  addDrive(QStringLiteral("Нива"), 2000);
  openLibrary();
  auto* imports = child<QTreeWidget>("imports");
  ASSERT_EQ(imports->topLevelItemCount(), 2);
  imports->setCurrentItem(imports->topLevelItem(1));
  prompts.confirmAnswers.push_back(true);
  QTest::mouseClick(child<QPushButton>("removeImportButton"), Qt::LeftButton);
  EXPECT_EQ(imports->topLevelItemCount(), 1);
  ASSERT_TRUE(waitUntil([&] { return library.history() && !library.loading(); }, 20000));
  EXPECT_EQ(library.history()->records().size(), 1500u);
}

TEST_F(LibraryWindowTest, ALibraryThatCannotBeOpenedIsSaidAndAnotherCanBeChosen) {
  const QString damaged = path(QStringLiteral("damaged.sqlite"));
  writeFile(damaged, std::string(4096, 'x'));
  library.setLocation(damaged);
  click("libraryButton");
  ASSERT_EQ(prompts.errors.size(), 1u);
  try {
    LibraryStore store(fileNameForCore(damaged));
    ADD_FAILURE() << "a damaged library opened";
  } catch (const LibraryError& error) {
    EXPECT_EQ(prompts.errors[0], toQString(error.what()));
  }
  EXPECT_EQ(readFile(damaged), std::string(4096, 'x'));
  EXPECT_TRUE(library.isVisible());
  EXPECT_FALSE(child<QPushButton>("addCarButton")->isEnabled());

  prompts.openAnswers.push_back(path(QStringLiteral("other.sqlite")));
  QTest::mouseClick(child<QPushButton>("openLibraryButton"), Qt::LeftButton);
  ASSERT_TRUE(library.store());
  EXPECT_EQ(library.location(), path(QStringLiteral("other.sqlite")));
  EXPECT_TRUE(child<QPushButton>("addCarButton")->isEnabled());
  EXPECT_EQ(prompts.errors.size(), 1u);
}

TEST_F(LibraryWindowTest, ALibraryOnAServerOpensByItsAddressAndShowsAnotherComputersRenameOnRefresh) {
  if (!test::ServerDatabase::available()) GTEST_SKIP() << "no test server (KQ_TEST_POSTGRESQL)";
  const test::ServerDatabase server;
  RowId car;
  {
    LibraryStore other(server.location());
    car = other.addCar("Нива", 6);
  }
  click("libraryButton");
  prompts.textAnswers.push_back(QString::fromStdString(server.location()));
  QTest::mouseClick(child<QPushButton>("openServerButton"), Qt::LeftButton);
  ASSERT_TRUE(library.store());
  EXPECT_EQ(library.location().toStdString(), server.location());
  EXPECT_TRUE(child<QPushButton>("addCarButton")->isEnabled());
  auto* cars = child<QTreeWidget>("cars");
  ASSERT_EQ(cars->topLevelItemCount(), 1);
  LibraryStore(server.location()).renameCar(car, "Нива 2121");
  EXPECT_EQ(cars->topLevelItem(0)->text(0), QStringLiteral("Нива"));
  QTest::mouseClick(child<QPushButton>("refreshButton"), Qt::LeftButton);
  EXPECT_EQ(cars->topLevelItem(0)->text(0), QStringLiteral("Нива 2121"));
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(LibraryWindowTest, AReadOnlyLibraryShowsItsCarsAndChangesNothing) {
#ifndef _WIN32
  if (geteuid() == 0) GTEST_SKIP() << "root writes any file, read-only or not";
#endif
  addDrive(QStringLiteral("Нива"), 1500);
  const QString location = path(QStringLiteral("library.sqlite"));
  QFile::setPermissions(location, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  library.setLocation(location);
  openLibrary();
  EXPECT_TRUE(library.store()->readOnly());
  EXPECT_EQ(child<QTreeWidget>("cars")->topLevelItemCount(), 1);
  EXPECT_EQ(table("trips")->model()->rowCount(), int(library.history()->trips().size()));
  for (const char* change : {"addCarButton", "renameCarButton", "removeCarButton", "removeImportButton"})
    EXPECT_FALSE(child<QPushButton>(change)->isEnabled()) << change;
  EXPECT_TRUE(child<QLineEdit>("carNote")->isReadOnly());

  const QString before = status();
  prompts.choiceAnswers.push_back(QStringLiteral("Нива"));
  click("addToLibraryButton");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(status(), before);
  EXPECT_EQ(library.store()->imports(library.store()->findCar("Нива")->id).size(), 1u);
}

}  // namespace
}  // namespace kq
