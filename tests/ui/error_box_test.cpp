#include "ui/error_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace kq {
namespace {

TEST(ErrorBox, FullStopIsAppendedOnlyAfterCharactersSortingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Read error (5), Input/output error", "Read error (5), Input/output error."},
      {"Specified device not found (COM9).", "Specified device not found (COM9)."},
      {"Can't open specified device X (Error 13, Permission denied)",
       "Can't open specified device X (Error 13, Permission denied)"},
      {"'$' is not a valid integer value", "'$' is not a valid integer value."},
      {"Ends in digit 7", "Ends in digit 7."},
      {"slash/", "slash/."},
      {"dash-", "dash-"},
      {"bang!", "bang!"},
      {"Файл не найден", "Файл не найден."},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(withFullStop(QString::fromUtf8(c.message)).toStdString(), c.shown);
  }
}

TEST(ErrorBox, ShowsErrorIconOkAndTheApplicationTitle) {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QAbstractButton*> buttons;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(box->standardButton(buttons[0]), QMessageBox::Ok);
    buttons[0]->click();
  });
  showErrorBox(nullptr, QStringLiteral("Output buffer is full. Please check comm status"));
  EXPECT_EQ(title, applicationTitle());
  EXPECT_EQ(title, QStringLiteral("Выгрузчик данных из БК серии KQ"));
  EXPECT_EQ(text, QStringLiteral("Output buffer is full. Please check comm status."));
  EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(ErrorBox, ShortMessageStillLeavesRoomForTheTitle) {
  int width = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    width = box->width();
    box->buttons().constFirst()->click();
  });
  showErrorBox(nullptr, QStringLiteral("X"));
  QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
  titleFont.setBold(true);
  const QFontMetrics metrics(titleFont);
  // The title, the window icon and a close button.
  EXPECT_GT(width, metrics.horizontalAdvance(applicationTitle()) + 3 * metrics.height());
}

}  // namespace
}  // namespace kq
