#include "app/qt_prompts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "ui/error_box.h"

namespace kq {
namespace {

// Runs `answer` on the modal window that the next call opens.
template <typename Modal>
void whenShown(std::function<void(Modal&)> answer) {
  QTimer::singleShot(0, [answer] {
    auto* modal = qobject_cast<Modal*>(QApplication::activeModalWidget());
    ASSERT_NE(modal, nullptr);
    answer(*modal);
  });
}

// A full file name on this system (a drive letter on Windows).
QString fileName(const QString& name) { return QDir::temp().filePath(name); }

TEST(QtPrompts, SaveDialogOffersTheLastNameWithItsOneFilterAndNeverAsksAboutReplacing) {
  QtPrompts prompts(nullptr);
  const QString lastName = fileName(QStringLiteral("last-name"));
  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Текстовой файл (*.txt)")});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранить как"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(dialog.selectedFiles().value(0), lastName);
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), lastName), lastName);

  whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), {}), std::nullopt);
}

QString folderShown(const QFileDialog& dialog) {
  return QFileInfo(dialog.directory().path()).canonicalFilePath();
}

TEST(QtPrompts, FileDialogsStartAtHomeThenInTheFolderOfTheLastFileChosenAndAreReused) {
  QTemporaryDir folder;
  const QString chosen = QFileInfo(folder.path()).canonicalFilePath() + QStringLiteral("/dump.txt");
  QFile(chosen).open(QIODevice::WriteOnly);
  QtPrompts prompts(nullptr);
  const QDialog* first = nullptr;

  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    first = &dialog;
    EXPECT_EQ(folderShown(dialog), QFileInfo(QDir::homePath()).canonicalFilePath());
    dialog.reject();
  });
  EXPECT_EQ(prompts.openFileName(QStringLiteral("Текстовый файл (*.txt)"), {}), std::nullopt);

  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(&dialog, first);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);  // typed by the user
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(prompts.openFileName(QStringLiteral("Текстовый файл (*.txt)"), {}), chosen);

  // The save dialog follows the folder chosen in the open dialog.
  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_NE(&dialog, first);
    EXPECT_EQ(folderShown(dialog), QFileInfo(chosen).path());
    dialog.reject();
  });
  prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), QStringLiteral("/elsewhere/name"));
}

TEST(QtPrompts, NameCompletionListClosesWithTheReusedDialog) {
  // Enter on a completed name accepts the dialog and left the list of names
  // open on the screen, where it took the next clicks and keys.
  QtPrompts prompts(nullptr);
  QWidget* completionList = nullptr;
  const QString name = fileName(QStringLiteral("name"));
  whenShown<QFileDialog>([&](QFileDialog& dialog) {
    completionList = dialog.findChild<QCompleter*>()->popup();
    completionList->show();
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), {}), name);
  ASSERT_NE(completionList, nullptr);
  EXPECT_FALSE(completionList->isVisible());
}

TEST(QtPrompts, FileDialogColumnsHoldARussianTypeNameAndADateEvenAfterBeingLeftNarrow) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // The dialog keeps its column widths between runs; the last run left them narrow.
  {
    QtPrompts lastRun(nullptr);
    whenShown<QFileDialog>([](QFileDialog& dialog) {
      auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
      ASSERT_NE(view, nullptr);
      view->header()->resizeSection(2, 20);
      view->header()->resizeSection(3, 20);
      dialog.reject();
    });
    lastRun.openFileName(QStringLiteral("Текстовый файл (*.txt)"), {});
  }
  QtPrompts prompts(nullptr);
  whenShown<QFileDialog>([](QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    const QFontMetrics metrics(view->font());
    EXPECT_GT(view->header()->sectionSize(2),
              metrics.horizontalAdvance(QStringLiteral("Текстовый документ")));
    EXPECT_GT(view->header()->sectionSize(3), metrics.horizontalAdvance(QStringLiteral("28.12.2000 20:58")));
    dialog.reject();
  });
  prompts.openFileName(QStringLiteral("Текстовый файл (*.txt)"), {});
  QLocale::setDefault(QLocale::system());
}

TEST(QtPrompts, ReplaceQuestionIsYesOrNoUnderTheApplicationTitle) {
  QtPrompts prompts(nullptr);
  for (const auto button : {QMessageBox::Yes, QMessageBox::No}) {
    whenShown<QMessageBox>([button](QMessageBox& box) {
      EXPECT_EQ(box.windowTitle(), applicationTitle());
      EXPECT_EQ(box.text(), QStringLiteral("Заменить?"));
      EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
      box.button(button)->click();
    });
    EXPECT_EQ(prompts.confirm(QStringLiteral("Заменить?")), button == QMessageBox::Yes);
  }
}

}  // namespace
}  // namespace kq
