#include "sim/record_encoder.h"

#include <algorithm>
#include <cmath>

namespace kq::sim {
namespace {

// The stored record number is the number plus 512.
constexpr int kRecordNumberBias = 512;

class RecordWriter {
 public:
  explicit RecordWriter(std::span<std::uint8_t> record) : record_(record) {}

  void byte(std::size_t offset, double value) {
    if (offset < record_.size())
      record_[offset] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
  }
  void signedByte(std::size_t offset, double value) {
    if (offset < record_.size())
      record_[offset] = static_cast<std::uint8_t>(std::clamp(std::lround(value), -128L, 127L) & 0xFF);
  }
  // Two decimal digits shown as hex digits (15 is stored as 0x15).
  void decimal(std::size_t offset, int value) { byte(offset, (value / 10) * 16 + value % 10); }
  void word(std::size_t high, std::size_t low, double value) {
    const long v = std::clamp(std::lround(value), 0L, 65535L);
    byte(high, static_cast<double>(v >> 8));
    byte(low, static_cast<double>(v & 0xFF));
  }

 private:
  std::span<std::uint8_t> record_;
};

void encodeTypes134(RecordWriter& w, int type, const DriveSample& s) {
  w.byte(20, s.coolant + 40);
  w.byte(21, 128);
  w.byte(22, s.throttle);
  w.byte(23, s.rpm / 40);
  w.byte(24, s.rpm / 10);
  w.byte(25, 40);
  w.byte(26, 38 + s.throttle / 4);
  w.byte(27, 0);
  w.byte(29, s.speed);
  w.byte(30, (s.voltage - 5.2) / 0.05);
  w.byte(31, s.idleRpm / 10);
  // Type 4 has no oxygen-sensor bytes, so its 16-bit values start two bytes earlier.
  const std::size_t shift = type == 4 ? 2 : 0;
  if (type != 4) {
    w.byte(32, 0.45 * 256 / 1.25);
    w.byte(33, 1);
  }
  w.word(35 - shift, 34 - shift, s.injection * 125);
  w.word(37 - shift, 36 - shift, s.airflow * 10);
  w.word(39 - shift, 38 - shift, s.injection * s.rpm / 20);
  w.word(41 - shift, 40 - shift, s.airflow / 14.7 / 0.74 * 50);
  w.word(43 - shift, 42 - shift, s.speed > 3 ? 128 * 7.5 : 0);
  w.word(45 - shift, 44 - shift, 0x5A3C);
  if (type == 1) w.byte(46, s.intake + 40);
}

// Types 2 and 7 share their first parameters.
void encodeTypes27(RecordWriter& w, int type, const DriveSample& s) {
  w.byte(13, (s.coolantAtStart + 48) / 0.75);
  w.byte(14, (s.coolant + 48) / 0.75);
  w.byte(15, (s.intake + 48) / 0.75);
  w.byte(16, s.voltage / 0.073675);
  w.byte(17, s.speed / 1.25);
  w.byte(18, s.throttle * 255 / 100);
  w.byte(19, s.rpm / 40);
  w.word(20, 21, s.airflow * 10);
  w.signedByte(22, s.ignition * 255 / 191.25);
  w.word(24, 25, (20 + s.throttle * 0.8) * 32 / 0.75);
  w.byte(26, (20 + s.throttle * 0.8) / 0.75);
  w.byte(27, 64);
  w.word(28, 29, s.injection / 0.001333333);
  w.byte(30, s.idleRpm / 10);
  w.byte(31, s.rpm < s.idleRpm + 50 ? 40 : 25);
  w.word(32, 33, 9.5 * 65536 / 102.4);
  w.byte(36, (0.45 * 255 + 51) / 1.33);
  w.word(37, 38, 32768);
  w.word(39, 40, 4096);
  w.word(58, 59, 1200);
  w.word(62, 63, s.airflow / 14.7 / 0.74 * 65536 / 0.0390625 / 3600);
  w.word(69, 70, 32768);
  if (type == 7) {
    w.byte(77, s.idleRpm / 10);
    w.byte(78, (0.6 * 255 + 51) / 1.33);
    w.byte(79, 25);
  }
}

void encodeTypes56(RecordWriter& w, const DriveSample& s) {
  w.byte(19, (0.9 + s.airflow / 60) / 0.01953);
  w.byte(20, (20 + s.throttle * 0.8) / 0.05 / 4);
  w.byte(21, s.voltage / 0.0943);
  w.byte(22, (s.coolant + 48) / 0.75);
  w.byte(23, (108 - s.ignition) / 0.75);
  w.signedByte(24, 0);
  w.byte(25, s.throttle * 255 / 100);
  w.byte(26, s.speed);
  w.byte(27, s.rpm / 40);
  w.word(28, 29, s.injection / 0.024);
  w.byte(31, s.idleRpm / 10);
  w.byte(32, 40);
  w.byte(33, 128);
  w.byte(35, 0.45 / 0.25 * 100);
  w.byte(38, 128);
}

}  // namespace

void encodeRecord(std::span<std::uint8_t> record, int controllerType, int recordNumber,
                  const DriveSample& s) {
  std::fill(record.begin(), record.end(), std::uint8_t{0});
  RecordWriter w(record);
  w.decimal(0, s.month);
  w.decimal(1, s.day);
  w.decimal(2, s.second);
  w.decimal(3, s.minute);
  w.decimal(4, s.hour);
  const int stored = recordNumber + kRecordNumberBias;
  w.byte(7, stored & 0xFF);
  w.byte(8, (stored >> 8) & 0xFF);
  w.byte(9, controllerType & 0xFF);
  switch (controllerType) {
    case 1:
    case 3:
    case 4:
      encodeTypes134(w, controllerType, s);
      break;
    case 2:
    case 7:
      encodeTypes27(w, controllerType, s);
      break;
    case 5:
    case 6:
      encodeTypes56(w, s);
      break;
    default:
      break;
  }
}

}  // namespace kq::sim
