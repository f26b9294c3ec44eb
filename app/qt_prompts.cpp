#include "app/qt_prompts.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QEvent>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "ui/error_box.h"

namespace kq {
namespace {

// Calls `ready` in the event loop turn after `window` was first painted, so
// that the work it does never delays the window's appearance.
class AfterFirstPaint : public QObject {
 public:
  AfterFirstPaint(QWidget* window, std::function<void()> ready) : QObject(window), ready_(std::move(ready)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, ready_);
    }
    return false;
  }

 private:
  std::function<void()> ready_;
};

// Widens the type and date columns of the toolkit's own dialog (a native one
// has none) to their longest texts: a Russian type name and a full date.
void fitColumns(QFileDialog& dialog) {
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!view) return;
  const QFontMetrics metrics(view->font());
  const int padding = 3 * metrics.averageCharWidth();
  const auto fit = [&](int column, const QStringList& texts) {
    // Never narrower than the user left it, which the dialog restores.
    int width = std::max(view->header()->sectionSize(column), view->header()->sectionSizeHint(column));
    for (const QString& text : texts) width = std::max(width, metrics.horizontalAdvance(text) + padding);
    view->header()->resizeSection(column, width);
  };
  fit(2, {QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment(),
          QFileIconProvider().type(QFileInfo(QDir::homePath()))});
  fit(3, {QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat)});
  // Every column in sight, beside the list of places, with room for frames.
  const auto* places = dialog.findChild<QWidget*>(QStringLiteral("sidebar"));
  const int width =
      view->header()->length() + (places ? places->sizeHint().width() : 0) + 8 * metrics.averageCharWidth();
  dialog.resize(std::max(dialog.width(), width), dialog.height());
}

QString folderOf(const QString& fileName) { return QFileInfo(fileName).absolutePath(); }

}  // namespace

QtPrompts::QtPrompts(QWidget* parent, Dialogs dialogs) : parent_(parent) {
  if (!parent_ || dialogs == Dialogs::madeWhenAsked) return;
  // One dialog per event loop turn, so that a click in between is not kept waiting for both.
  preparation_ = new AfterFirstPaint(parent_, [this] {
    fileDialog(QFileDialog::AcceptSave);
    QTimer::singleShot(0, preparation_, [this] { fileDialog(QFileDialog::AcceptOpen); });
  });
}

QtPrompts::~QtPrompts() {
  delete preparation_;
  delete saveDialog_;
  delete openDialog_;
}

QFileDialog& QtPrompts::fileDialog(QFileDialog::AcceptMode mode) {
  QPointer<QFileDialog>& dialog = mode == QFileDialog::AcceptSave ? saveDialog_ : openDialog_;
  if (!dialog) {
    dialog = new QFileDialog(parent_);
    dialog->setAcceptMode(mode);
    // The toolkit's own dialog everywhere: Windows' dialog appends the
    // filter's ".txt" to a name typed without it, and the window appends
    // ".txt" itself, so "dump" would be saved as "dump.txt.txt".
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The titles of the system's own dialogs, which the toolkit's lacks.
    dialog->setWindowTitle(mode == QFileDialog::AcceptSave ? tr("Сохранить как") : tr("Открыть"));
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The window appends ".txt" itself and asks about replacing the final name.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    fitColumns(*dialog);
  }
  return *dialog;
}

std::optional<QString> QtPrompts::askFileName(QFileDialog::AcceptMode mode, const QString& filter,
                                              const QString& offered) {
  QFileDialog& dialog = fileDialog(mode);
  dialog.setNameFilter(filter);
  if (!lastFolder_.isEmpty())
    dialog.setDirectory(lastFolder_);
  else
    dialog.setDirectory(QFileInfo(offered).isAbsolute() ? folderOf(offered) : QDir::homePath());
  dialog.selectFile(QFileInfo(offered).fileName());
  const int result = dialog.exec();
  // Enter on a completed name accepts the dialog but leaves the list of
  // names open; a dialog kept for reuse must close it itself.
  for (QCompleter* completer : dialog.findChildren<QCompleter*>()) completer->popup()->hide();
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  lastFolder_ = folderOf(chosen);
  return chosen;
}

std::optional<QString> QtPrompts::saveFileName(const QString& filter, const QString& offered) {
  return askFileName(QFileDialog::AcceptSave, filter, offered);
}

std::optional<QString> QtPrompts::openFileName(const QString& filter, const QString& offered) {
  return askFileName(QFileDialog::AcceptOpen, filter, offered);
}

std::optional<QString> QtPrompts::askText(const QString& question, const QString& offered) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(applicationTitle());
  dialog.setLabelText(question);
  dialog.setTextValue(offered);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

std::optional<QString> QtPrompts::chooseItem(const QString& question, const QStringList& items, bool typed) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(applicationTitle());
  dialog.setLabelText(question);
  dialog.setComboBoxItems(items);
  dialog.setComboBoxEditable(typed);
  if (!items.isEmpty()) dialog.setTextValue(items.constFirst());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

bool QtPrompts::confirm(const QString& question) {
  QMessageBox box(QMessageBox::Question, applicationTitle(), question, QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setDefaultButton(QMessageBox::No);
  makeRoomForTitle(box);
  return box.exec() == QMessageBox::Yes;
}

void QtPrompts::showError(const QString& message) { showErrorBox(parent_, message); }

}  // namespace kq
