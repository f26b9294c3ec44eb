// Random dumps through a library: the first byte picks how the rest is read
// (as the bytes of block lines, or as dump text that may not even be hex),
// the dump is imported into a new car, imported again, its history decoded
// and split into trips with an event search and a trend over it, and the
// import removed. An import must refuse with a message or store each distinct
// non-empty record once; the same dump again adds nothing; removing its only
// import empties the car; the library stays sound.
#include <QCoreApplication>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "decode/conversion_error.h"
#include "decode/record_view.h"
#include "dump/block_layout.h"
#include "dump/dump_line.h"
#include "fuzz/require.h"
#include "library/car_history.h"
#include "library/library_store.h"

namespace {

using kq::fuzz::require;

kq::LibraryStore& library() {
  static int argc = 1;
  static char name[] = "fuzz_library_import";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  static const std::string path = [] {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kq-fuzz-library.sqlite";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
    return file.string();
  }();
  static kq::LibraryStore store(path);
  return store;
}

kq::Dump dumpOf(const std::uint8_t* data, std::size_t size) {
  kq::Dump dump;
  if (size > 0 && data[0] % 2 == 0) {
    for (std::size_t at = 1; at < size; at += kq::layout::kLineBytes) {
      std::vector<std::uint8_t> line(kq::layout::kLineBytes, 0xFF);
      std::copy(data + at, data + std::min(size, at + kq::layout::kLineBytes), line.begin());
      dump.append(kq::makeDumpLine(line));
    }
  } else if (size > 0) {
    for (const std::string& line :
         kq::splitLines(std::string(reinterpret_cast<const char*>(data) + 1, size - 1)))
      dump.append(line);
  }
  return dump;
}

// The distinct non-empty records, from the text itself.
std::size_t distinctRecords(const kq::Dump& dump) {
  std::set<std::string> records;
  for (const std::string& line : dump.lines())
    for (int start : kq::layout::kRecordStart)
      if (line.compare(std::size_t(3 * start), 2, "FF") != 0) {
        // The bytes are the record: a hex digit of either case is the same.
        std::string record = line.substr(std::size_t(3 * start), 3 * kq::kStoredRecordBytes - 1);
        for (char& c : record) c = char(std::toupper(static_cast<unsigned char>(c)));
        records.insert(record);
      }
  return records.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kq::LibraryStore& store = library();
  const kq::Dump dump = dumpOf(data, size);
  int type = 0;
  try {
    type = kq::readControllerType(dump);
  } catch (const kq::ConversionError&) {
  }
  const kq::RowId car = store.addCar("машина", type);
  const kq::CalendarDate reference{2027, 3, 1};
  try {
    const kq::ImportOutcome first = store.importDump(car, dump, {"", reference});
    require(first.import.has_value(), "a first import is made");
    require(first.newRecords == std::int64_t(distinctRecords(dump)), "each distinct record stored once");
    const kq::ImportOutcome again = store.importDump(car, dump, {"", reference});
    require(!again.import && again.newRecords == 0, "the same dump adds nothing");

    kq::CarHistory history(type, store.history(car), ',', 60);
    std::size_t inTrips = 0;
    for (const kq::Trip& trip : history.trips()) {
      require(trip.start <= trip.end && trip.records() > 0, "a trip runs forward");
      inTrips += std::size_t(trip.records());
    }
    require(inTrips == history.records().size(), "every dated record is in one trip");
    if (history.model().columnCount() > kq::kFrameColumns) {
      const std::string& title = history.model().title(kq::kFrameColumns);
      for (const kq::HistoryEvent& event : kq::findEvents(history, "[" + title + "] > [" + title + "@-1]"))
        require(event.first > history.trip(event.trip)->first, "no previous record before a trip");
      kq::trend(history, kq::kFrameColumns, kq::TrendStatistic::mean);
    }
    store.removeImport(*first.import);
    require(store.history(car).empty(), "removing the only import empties the car");
  } catch (const kq::LibraryError& error) {
    require(error.kind() == kq::LibraryError::Kind::refused, "only a refusal for a dump");
  } catch (const kq::ConversionError&) {
  }
  store.removeCar(car);
  return 0;
}
