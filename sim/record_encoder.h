#pragma once

#include <cstdint>
#include <span>

#include "sim/drive_profile.h"

namespace kq::sim {

// Writes one record as a controller of the given type stores it: date, time,
// record number, type, then the readings at that type's offsets and scales.
// Bytes past the end of `record` are left out.
void encodeRecord(std::span<std::uint8_t> record, int controllerType, int recordNumber, const DriveSample& s);

}  // namespace kq::sim
