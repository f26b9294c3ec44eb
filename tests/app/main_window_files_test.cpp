#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "chart/chart_window.h"
#include "export/spreadsheet_export.h"
#include "sim/memory.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

namespace kq {
namespace {

using WindowFiles = WindowTest;

std::string joined(const std::vector<std::string>& lines, const char* end) {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

TEST_F(WindowFiles, LoadTakesAnyLineEndsAndSaveWritesCrLfUnderTheNameWithTxtAppended) {
  loadThroughWindow("0A 0B\nC1 C2\r\n\r\nFF");
  ASSERT_TRUE(prompts.errors.empty());
  EXPECT_EQ(prompts.openDialogs.at(0).filter, QStringLiteral("Текстовый файл (*.txt)"));
  EXPECT_EQ(window.dump().lines(), (std::vector<std::string>{"0A 0B", "C1 C2", "", "FF"}));

  const struct {
    const char* chosen;
    const char* written;
  } names[] = {{"dump", "dump.txt"}, {"dump.txt", "dump.txt.txt"}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.chosen);
    prompts.saveAnswers.push_back(path(QString::fromLatin1(n.chosen)));
    click("saveDumpButton");
    EXPECT_EQ(readFile(path(QString::fromLatin1(n.written))), "0A 0B\r\nC1 C2\r\n\r\nFF\r\n");
  }
  EXPECT_EQ(prompts.saveDialogs.at(0).filter, QStringLiteral("Текстовой файл (*.txt)"));
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WindowFiles, SavedDumpLoadsBackIntoTheSameLinesAndSavesToTheSameBytes) {
  const std::vector<std::string> lines = sim::syntheticDumpLines(2, 500);
  loadThroughWindow(joined(lines, "\n"));
  prompts.saveAnswers.push_back(path(QStringLiteral("first")));
  click("saveDumpButton");

  prompts.openAnswers.push_back(path(QStringLiteral("first.txt")));
  click("loadDumpButton");
  EXPECT_EQ(window.dump().lines(), lines);
  prompts.saveAnswers.push_back(path(QStringLiteral("second")));
  click("saveDumpButton");
  EXPECT_EQ(readFile(path(QStringLiteral("second.txt"))), joined(lines, "\r\n"));
  EXPECT_EQ(readFile(path(QStringLiteral("second.txt"))).size(), 3840u * 775u);
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WindowFiles, DialogsOfferTheNameLastChosenAndTheSaveDialogIsSharedWithTheExport) {
  loadThroughWindow(joined(sim::syntheticDumpLines(1, 10), "\r\n"));
  prompts.saveAnswers.push_back(path(QStringLiteral("by-save")));
  click("saveDumpButton");
  prompts.saveAnswers.push_back(path(QStringLiteral("by-export")));
  click("exportButton");
  prompts.saveAnswers.push_back(QString());
  click("saveDumpButton");
  prompts.openAnswers.push_back(QString());
  click("loadDumpButton");

  ASSERT_EQ(prompts.saveDialogs.size(), 3u);
  EXPECT_EQ(prompts.saveDialogs[0].offered, QString());
  EXPECT_EQ(prompts.saveDialogs[1].offered, path(QStringLiteral("by-save")));
  EXPECT_EQ(prompts.saveDialogs[2].offered, path(QStringLiteral("by-export")));
  EXPECT_EQ(prompts.openDialogs.at(1).offered, path(QStringLiteral("source.txt")));
}

TEST_F(WindowFiles, ReplacingAnExistingFileIsAskedAndNoLeavesItAsItWas) {
  loadThroughWindow("11 22\r\n");
  const QString target = path(QStringLiteral("kept.txt"));
  writeFile(target, "precious");

  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace);
    prompts.saveAnswers.push_back(path(QStringLiteral("kept")));
    prompts.confirmAnswers.push_back(replace);
    click("saveDumpButton");
    EXPECT_EQ(readFile(target), replace ? "11 22\r\n" : "precious");
  }
  ASSERT_EQ(prompts.questions.size(), 2u);
  EXPECT_EQ(prompts.questions[0], QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(target));

  // The export asks too, and No leaves the file as it was.
  prompts.saveAnswers.push_back(path(QStringLiteral("kept")));
  prompts.confirmAnswers.push_back(false);
  click("exportButton");
  EXPECT_EQ(prompts.questions.size(), 3u);
  EXPECT_EQ(readFile(target), "11 22\r\n");
}

TEST_F(WindowFiles, CancelledOrFailedLoadKeepsTheDump) {
  loadThroughWindow("AA BB\r\nCC DD\r\n");
  prompts.openAnswers.push_back(QString());
  click("loadDumpButton");
  const QString missing = path(QStringLiteral("missing.txt"));
  prompts.openAnswers.push_back(missing);
  click("loadDumpButton");

  EXPECT_EQ(window.dump().lines(), (std::vector<std::string>{"AA BB", "CC DD"}));
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_TRUE(prompts.errors[0].startsWith(
      QStringLiteral("Cannot open file \"%1\". ").arg(QDir::toNativeSeparators(missing))))
      << prompts.errors[0].toStdString();
}

TEST_F(WindowFiles, FailedSaveShowsTheMessageAndLeavesNoFile) {
  loadThroughWindow("AA BB\r\n");
  const QString chosen = path(QStringLiteral("no-such-folder/dump"));
  prompts.saveAnswers.push_back(chosen);
  click("saveDumpButton");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_TRUE(prompts.errors[0].startsWith(
      QStringLiteral("Cannot create file \"%1.txt\". ").arg(QDir::toNativeSeparators(chosen))))
      << prompts.errors[0].toStdString();
  EXPECT_EQ(window.dump().size(), 1u);
  // The window stays usable.
  prompts.saveAnswers.push_back(path(QStringLiteral("dump")));
  click("saveDumpButton");
  EXPECT_EQ(readFile(path(QStringLiteral("dump.txt"))), "AA BB\r\n");
}

TEST_F(WindowFiles, ExportWritesWhatKqCliExportWrites) {
#ifndef KQ_CLI_PATH
  GTEST_SKIP() << "built without kq-cli";
#else
  const QString dumpFile = path(QStringLiteral("type6.txt"));
  writeFile(dumpFile, joined(sim::syntheticDumpLines(6, 7000), "\r\n"));
  prompts.openAnswers.push_back(dumpFile);
  click("loadDumpButton");
  prompts.saveAnswers.push_back(path(QStringLiteral("excel")));
  click("exportButton");
  ASSERT_TRUE(prompts.errors.empty()) << prompts.errors[0].toStdString();

  const QString cliOutput = path(QStringLiteral("cli.csv"));
  QProcess cli;
  cli.start(QStringLiteral(KQ_CLI_PATH), {QStringLiteral("export"), dumpFile, cliOutput});
  ASSERT_TRUE(cli.waitForFinished(30000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

  const std::string written = readFile(path(QStringLiteral("excel.txt")));
  EXPECT_EQ(written, readFile(cliOutput));
  EXPECT_FALSE(written.empty());
#endif
}

TEST_F(WindowFiles, FailedExportWritesNoFile) {
  std::vector<std::string> lines = sim::syntheticDumpLines(1, 20);
  lines[4].resize(500);  // record 1 of this line still decodes, record 2 does not
  loadThroughWindow(joined(lines, "\r\n"));
  prompts.saveAnswers.push_back(path(QStringLiteral("broken")));
  click("exportButton");

  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_TRUE(prompts.errors[0].endsWith(QStringLiteral("is not a valid integer value")));
  EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("broken.txt"))));
}

TEST_F(WindowFiles, ExportOfAnEmptyDumpFailsWithNoFile) {
  prompts.saveAnswers.push_back(path(QStringLiteral("nothing")));
  click("exportButton");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0], QStringLiteral("'$' is not a valid integer value"));
  EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("nothing.txt"))));
}

TEST_F(WindowFiles, ChartButtonShowsTheChartWindowOnlyForADumpWithLines) {
  ChartWindow chart;
  window.setChart([&chart](const Dump& dump, char separator, const QString& file) {
    chart.prepare(dump, separator, fileNameForCore(file));
  });
  click("chartButton");
  EXPECT_FALSE(chart.isVisible());

  loadThroughWindow(joined(sim::syntheticDumpLines(3, 50), "\r\n"));
  click("chartButton");
  EXPECT_TRUE(chart.isVisible());
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_TRUE(window.isVisible());  // not modal: the main window stays usable
}

}  // namespace
}  // namespace kq
