#include "library/library_copy.h"

#include <gtest/gtest.h>

#include "sim/log_ring.h"
#include "tests/support/dump_builder.h"
#include "tests/support/server_database.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {
const CalendarDate kReference{2027, 3, 1};

// What a car holds, as comparable text: each import with its records in their
// places, and the history.
std::string contentsOf(const LibraryStore& store, const std::string& name) {
  const Car car = *store.findCar(std::string_view(name));
  std::string text = std::to_string(car.controllerType) + " " + car.note + "\n";
  for (const ImportInfo& import : store.imports(car.id)) {
    text += import.fileName + " " + import.sha256 + " " + std::to_string(import.importedAt) + " " +
            calendarDateText(import.reference) + " " + std::to_string(import.newRecords) + "/" +
            std::to_string(import.knownRecords) + "\n";
    for (const CarriedRecord& record : store.carriedRecords(import.id))
      text += std::to_string(record.slot) + ":" + (record.moment ? std::to_string(*record.moment) : "-") +
              ":" + std::string(record.bytes.begin(), record.bytes.end()) + "\n";
  }
  for (const HistoryRecord& record : store.history(car.id))
    text += std::to_string(record.moment) + std::string(record.bytes.begin(), record.bytes.end());
  return text;
}

class LibraryCopyTest : public testing::TestWithParam<test::Where> {
 protected:
  void SetUp() override {
    if (GetParam() == test::Where::file) return;
    if (!test::ServerDatabase::available()) GTEST_SKIP() << "no test server (KQ_TEST_POSTGRESQL)";
    server = std::make_unique<test::ServerDatabase>();
    between = server->location();
  }
  test::TempDir dir;
  std::unique_ptr<test::ServerDatabase> server;
  std::string between = dir.file("between.sqlite");
};

INSTANTIATE_TEST_SUITE_P(Backends, LibraryCopyTest, testing::Values(test::Where::file, test::Where::server),
                         [](const testing::TestParamInfo<test::Where>& info) {
                           return info.param == test::Where::file ? "FileToFile" : "FileToServer";
                         });

TEST_P(LibraryCopyTest, ThereAndBackRecordForRecordAndOnlyWhatIsMissing) {
  sim::LogRing ring(6);
  ring.write(3000);
  const Dump first = ring.download();
  ring.write(6000);
  const Dump second = ring.download();
  ring.write(2000);
  const Dump third = ring.download();
  // A dated record beside one without a real day (31.04).
  test::Record noDay = test::makeRecord(6, 2);
  noDay[0] = 0x04;
  noDay[1] = 0x31;
  Dump undated;
  undated.append(test::makeLine(test::makeRecord(6, 1), noDay));

  LibraryStore source(dir.file("source.sqlite"));
  const RowId niva = source.addCar("Нива", 6, "синяя");
  source.importDump(niva, first, {"a.txt", kReference});
  source.importDump(niva, second, {"b.txt", kReference});
  source.importIntoCarNamed("Лада", undated, {"", kReference});
  source.markReport(niva, {1700000000, 100, 200});

  LibraryStore middle(between);
  const CopyOutcome there = copyLibrary(source, middle);
  EXPECT_EQ(there.cars, 2);
  EXPECT_EQ(there.imports, 3);
  EXPECT_EQ(there.records, source.cars()[1].records + source.cars()[0].records);
  // Again: nothing is missing.
  const CopyOutcome again = copyLibrary(source, middle);
  EXPECT_EQ(again.cars + again.imports + again.records, 0);
  EXPECT_EQ(again.knownImports, 3);
  // A later download: only it goes.
  source.importDump(niva, third, {"c.txt", kReference});
  const CopyOutcome later = copyLibrary(source, middle);
  EXPECT_EQ(later.imports, 1);
  EXPECT_EQ(later.records, 2000);

  LibraryStore back(dir.file("back.sqlite"));
  copyLibrary(middle, back);
  // The report made is carried once, however often the copy runs.
  EXPECT_EQ(back.reports(back.findCar(std::string_view("Нива"))->id), source.reports(niva));
  for (const char* car : {"Нива", "Лада"}) {
    EXPECT_EQ(contentsOf(middle, car), contentsOf(source, car)) << car;
    EXPECT_EQ(contentsOf(back, car), contentsOf(source, car)) << car;
  }
  EXPECT_TRUE(middle.check().empty());
  EXPECT_TRUE(back.check().empty());
  if (server) {
    // A server's backup is a library file like any other.
    const std::string copy = dir.file("backup.sqlite");
    middle.backup(copy);
    EXPECT_EQ(contentsOf(LibraryStore(copy), "Нива"), contentsOf(source, "Нива"));
  }

  // A car of another controller type there: nothing is copied.
  LibraryStore other(dir.file("other.sqlite"));
  other.addCar("Лада", 2);
  try {
    copyLibrary(source, other);
    ADD_FAILURE() << "copied onto a car of another type";
  } catch (const LibraryError& error) {
    EXPECT_EQ(error.kind(), LibraryError::Kind::refused);
  }
  EXPECT_EQ(other.cars().size(), 1u);
}

}  // namespace
}  // namespace kq
