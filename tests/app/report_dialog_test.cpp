// The report dialog of the library window over a car in a scratch library,
// and the checks dialog's test of expressions as they are typed.
#include "app/report_dialog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/checks_dialog.h"
#include "app/library_window.h"
#include "chart/chart_window.h"
#include "fake_prompts.h"
#include "sim/memory.h"
#include "ui/qt_text.h"

namespace kq {
namespace {

const QString kRpm = QStringLiteral("Обороты двигателя");

TEST(ReportDialogTest, PreviewsSavesThePdfAndTheNextReportStartsAfterIt) {
  QTemporaryDir dir;
  const QString location = dir.filePath(QStringLiteral("library.sqlite"));
  {
    LibraryStore store(fileNameForCore(location));
    store.importIntoCarNamed("Нива", Dump(sim::syntheticDumpLines(6, 4000)), {"a.txt", {2025, 3, 1}});
  }
  FakePrompts prompts;
  ChartWindow chart;
  LibraryWindow library(chart, &prompts);
  library.setLocation(location);
  library.showWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return library.history() && !library.loading(); }, 20000));
  const CarHistory& history = *library.history();
  ASSERT_GT(history.trips().size(), 1u);

  QTest::mouseClick(library.findChild<QPushButton*>(QStringLiteral("reportButton")), Qt::LeftButton);
  ReportDialog* dialog = library.reportDialog();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(dialog->report());
  EXPECT_EQ(dialog->report()->trips.size(), history.trips().size());  // no report before: all of it
  EXPECT_FALSE(dialog->preview().isNull());

  const QString pdfName = dir.filePath(QStringLiteral("Нива.pdf"));
  prompts.saveAnswers.push_back(pdfName);
  auto* savePdf = dialog->findChild<QPushButton*>(QStringLiteral("savePdfButton"));
  QTest::mouseClick(savePdf, Qt::LeftButton);
  EXPECT_TRUE(prompts.errors.empty());
  ASSERT_EQ(prompts.saveDialogs.size(), 1u);
  EXPECT_TRUE(
      prompts.saveDialogs[0].offered.endsWith(toQString(reportFileName("Нива", dialog->report()->madeAt))));
  QFile pdf(pdfName);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.read(4), QByteArray("%PDF"));
  const std::optional<ReportMark> mark = library.store()->lastReport(*library.car());
  ASSERT_TRUE(mark);
  EXPECT_EQ(mark->to, history.trips().back().end);
  dialog->redraw();
  ASSERT_TRUE(dialog->report());
  EXPECT_TRUE(dialog->report()->trips.empty());

  // A template the type does not fit is said, and nothing can be saved.
  ReportTemplate wrong = dialog->reportTemplate();
  wrong.parameters.push_back("Нет такого");
  dialog->setReportTemplate(wrong);
  dialog->redraw();
  EXPECT_FALSE(dialog->report());
  EXPECT_FALSE(savePdf->isEnabled());
  EXPECT_TRUE(dialog->findChild<QLabel*>(QStringLiteral("reportStatus"))
                  ->text()
                  .contains(QStringLiteral("Нет такого")));
}

TEST(ReportDialogTest, AWrongCheckExpressionIsSaidAsItIsTypedAndHoldsOk) {
  ChecksDialog dialog({{"Перегрев", "[Обороты двигателя] > 3000", 10}}, {kRpm}, nullptr);
  auto* expression = dialog.findChild<QLineEdit*>(QStringLiteral("checkExpression"));
  auto* mistake = dialog.findChild<QLabel*>(QStringLiteral("checkMistake"));
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  expression->setText(QStringLiteral("[Обороты] > 3000"));
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  EXPECT_TRUE(mistake->text().contains(QStringLiteral("неизвестный параметр")));
  expression->setText(QStringLiteral("[Обороты двигателя] > 2000"));
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  EXPECT_EQ(dialog.checks().at(0).expression, "[Обороты двигателя] > 2000");
}

}  // namespace
}  // namespace kq
