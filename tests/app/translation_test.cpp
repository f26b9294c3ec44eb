// The program's texts go through the translator, and its own translation is
// found for the user's languages.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <string>
#include <vector>

#include "app/library_window.h"
#include "app/main_window.h"
#include "app/own_translation.h"
#include "chart/chart_window.h"
#include "fake_prompts.h"
#include "tests/support/dump_builder.h"
#include "ui/error_box.h"
#include "ui/lamp.h"

namespace kq {
namespace {

TEST(OwnTranslation, FirstOfTheUsersLanguagesWithATranslationUnlessRussianComesFirst) {
  QTemporaryDir folder;
  for (const char* language : {"de", "pt_BR", "en"})
    QFile(folder.filePath(QStringLiteral("kq-unloader_%1.qm").arg(QLatin1String(language))))
        .open(QIODevice::WriteOnly);
  struct Case {
    QStringList languages;
    const char* found;  // empty for none
  };
  const Case cases[] = {
      {{"de-DE"}, "de"},
      {{"de"}, "de"},
      {{"pt-BR"}, "pt_BR"},
      {{"pt-PT"}, ""},
      {{"fr-FR", "de-DE"}, "de"},
      {{"en-US", "de"}, "en"},
      {{"ru-RU", "de-DE"}, ""},
      {{"ru"}, ""},
      {{}, ""},
      {{"zh-Hans-CN"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.languages.join(QLatin1Char(' ')).toStdString());
    const QString expected =
        *c.found ? folder.filePath(QStringLiteral("kq-unloader_%1.qm").arg(QLatin1String(c.found)))
                 : QString();
    EXPECT_EQ(ownTranslationFile(c.languages, folder.path()), expected);
  }
  EXPECT_EQ(ownTranslationFile({"de"}, folder.filePath(QStringLiteral("missing"))), QString());
}

// Marks every text it is asked for, so that a text shown unmarked did not go
// through it.
class MarkingTranslator : public QTranslator {
 public:
  QString translate(const char*, const char* source, const char*, int) const override {
    return QStringLiteral("⟦%1⟧").arg(QString::fromUtf8(source));
  }
  bool isEmpty() const override { return false; }
};

// The Russian words of a text outside the marked parts.
QString unmarkedWords(QString text) {
  static const QRegularExpression marked(QStringLiteral("⟦[^⟦⟧]*⟧"));
  for (qsizetype length = -1; length != text.size();) {
    length = text.size();
    text.remove(marked);
  }
  static const QRegularExpression word(QStringLiteral("[А-Яа-яЁё]+"));
  QStringList words;
  for (const QRegularExpressionMatch& match : word.globalMatch(text)) words << match.captured();
  return words.join(QLatin1Char(' '));
}

// Every caption, label, placeholder, tooltip, tab, menu item and x-axis label
// of a window and its children that holds Russian words unmarked.
std::vector<std::string> untranslatedTexts(QWidget& window) {
  QStringList texts{window.windowTitle()};
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    texts << widget->toolTip();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* field = qobject_cast<QLineEdit*>(widget)) texts << field->placeholderText();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
    if (auto* lamp = qobject_cast<Lamp*>(widget)) texts << lamp->caption();
    if (auto* menu = qobject_cast<QMenu*>(widget)) texts << menu->title();
    if (auto* plot = qobject_cast<QCustomPlot*>(widget)) texts << plot->xAxis->label();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget))
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
  }
  for (QAction* action : window.findChildren<QAction*>()) texts << action->text() << action->toolTip();
  std::vector<std::string> untranslated;
  for (const QString& text : texts)
    if (!unmarkedWords(text).isEmpty()) untranslated.push_back(text.toStdString());
  return untranslated;
}

class TranslatedWindows : public testing::Test {
 protected:
  TranslatedWindows() { QApplication::installTranslator(&translator_); }
  ~TranslatedWindows() override { QApplication::removeTranslator(&translator_); }

 private:
  MarkingTranslator translator_;
};

TEST_F(TranslatedWindows, MarkingSeesOnlyUnmarkedWords) {
  EXPECT_EQ(unmarkedWords(QStringLiteral("⟦Запись ⟦B⟧⟧ n = 3")), QString());
  EXPECT_EQ(unmarkedWords(QStringLiteral("⟦Запись⟧ Обороты двигателя")), QStringLiteral("Обороты двигателя"));
}

TEST_F(TranslatedWindows, MainWindowShowsOnlyTranslatedTexts) {
  FakePrompts prompts;
  MainWindow window(&prompts);
  // Its title is the program's name, which main() translates.
  EXPECT_EQ(untranslatedTexts(window), std::vector{applicationTitle().toStdString()});
}

TEST_F(TranslatedWindows, LibraryWindowShowsOnlyTranslatedTexts) {
  QTemporaryDir folder;
  FakePrompts prompts;
  ChartWindow chart;
  LibraryWindow window(chart, &prompts);
  window.setLocation(folder.filePath(QStringLiteral("library.sqlite")));
  window.showWindow();
  EXPECT_EQ(untranslatedTexts(window), std::vector<std::string>());
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(TranslatedWindows, ChartWindowShowsOnlyTranslatedTexts) {
  ChartWindow window;
  window.prepare(test::makeDump(2, 3), ',');
  EXPECT_EQ(untranslatedTexts(window), std::vector<std::string>());
}

}  // namespace
}  // namespace kq
