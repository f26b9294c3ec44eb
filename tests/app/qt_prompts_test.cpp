#include "app/qt_prompts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
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

TEST(QtPrompts, SaveDialogOffersTheLastNameWithItsOneFilterAndNeverAsksAboutReplacing) {
  QtPrompts prompts(nullptr);
  whenShown<QFileDialog>([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Текстовой файл (*.txt)")});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(dialog.selectedFiles().value(0), QStringLiteral("/tmp/last-name"));
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), QStringLiteral("/tmp/last-name")),
            QStringLiteral("/tmp/last-name"));

  whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(prompts.saveFileName(QStringLiteral("Текстовой файл (*.txt)"), {}), std::nullopt);
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
