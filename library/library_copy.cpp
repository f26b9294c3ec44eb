#include "library/library_copy.h"

#include <algorithm>
#include <vector>

namespace kq {

CopyOutcome copyLibrary(const LibraryStore& from, LibraryStore& to) {
  if (to.readOnly())
    throw LibraryError(LibraryError::Kind::readOnly,
                       "Библиотеку «" + to.location() + "» нельзя изменить: она открыта только для чтения");
  const LibraryStore::Snapshot snapshot(from);
  const std::vector<CarSummary> cars = from.cars();
  for (const CarSummary& source : cars)
    if (const std::optional<Car> target = to.findCar(std::string_view(source.car.name));
        target && target->controllerType != source.car.controllerType)
      throw LibraryError(LibraryError::Kind::refused,
                         "У машины «" + source.car.name + "» в библиотеке «" + to.location() +
                             "» тип контроллера " + std::to_string(target->controllerType) + ", а в «" +
                             from.location() + "» — " + std::to_string(source.car.controllerType) +
                             "; ничего не скопировано");
  CopyOutcome outcome;
  for (const CarSummary& source : cars) {
    RowId car;
    if (const std::optional<Car> target = to.findCar(std::string_view(source.car.name))) {
      car = target->id;
    } else {
      car = to.addCar(source.car.name, source.car.controllerType, source.car.note);
      ++outcome.cars;
    }
    const std::vector<ReportMark> known = to.reports(car);
    for (const ReportMark& report : from.reports(source.car.id))
      if (std::find(known.begin(), known.end(), report) == known.end()) to.markReport(car, report);
    for (const ImportInfo& import : from.imports(source.car.id)) {
      const ImportOutcome copied = to.copyImport(car, import, from.carriedRecords(import.id));
      if (copied.import) {
        ++outcome.imports;
        outcome.records += copied.newRecords;
      } else {
        ++outcome.knownImports;
      }
    }
  }
  return outcome;
}

}  // namespace kq
