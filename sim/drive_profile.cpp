#include "sim/drive_profile.h"

#include <algorithm>
#include <cmath>

namespace kq::sim {
namespace {

constexpr int kSecondsPerRecord = 2;
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

void calendar(long long clock, DriveSample& s) {
  long long day = clock / 86400 % 365;
  int month = 0;
  while (day >= kDaysInMonth[month]) day -= kDaysInMonth[month++];
  s.month = month + 1;
  s.day = static_cast<int>(day) + 1;
  s.hour = static_cast<int>(clock / 3600 % 24);
  s.minute = static_cast<int>(clock / 60 % 60);
  s.second = static_cast<int>(clock % 60);
}

double rpmPerKmh(double speed) {
  if (speed < 18) return 110;
  if (speed < 35) return 62;
  if (speed < 55) return 44;
  if (speed < 80) return 34;
  return 28;
}

}  // namespace

void DriveProfile::startTrip() {
  tripLeft_ = std::uniform_int_distribution(300, 900)(random_);
  secondsInTrip_ = 0;
  ambient_ = std::uniform_real_distribution(-5.0, 25.0)(random_);
  speed_ = 0;
  targetSpeed_ = 0;
  segmentLeft_ = 30;  // warm-up idle
}

DriveSample DriveProfile::next() {
  if (tripLeft_ == 0) {
    if (secondsInTrip_ != 0) clock_ += std::uniform_int_distribution(3, 14)(random_) * 3600LL;
    startTrip();
    // The engine has cooled towards the air since the last trip.
    coolantAtStart_ = ambient_ + 3;
  }
  --tripLeft_;

  if (--segmentLeft_ <= 0) {
    static constexpr double kTargets[] = {0, 20, 40, 50, 60, 70, 90, 110};
    targetSpeed_ = kTargets[std::uniform_int_distribution(0, 7)(random_)];
    segmentLeft_ = std::uniform_int_distribution(15, 90)(random_);
  }
  // Time to stop before the engine goes off.
  if (tripLeft_ < 30) targetSpeed_ = 0;
  const double previous = speed_;
  const double step = std::clamp(targetSpeed_ - speed_, -6.0, 4.0);  // km/h per record
  speed_ = std::max(0.0, speed_ + step);
  const double acceleration = (speed_ - previous) / kSecondsPerRecord;

  const double minutes = secondsInTrip_ / 60.0;
  DriveSample s;
  calendar(clock_, s);
  s.coolantAtStart = coolantAtStart_;
  s.coolant = 90 - (90 - coolantAtStart_) * std::exp(-minutes / 6.0);
  s.intake = ambient_ + 12 * (1 - std::exp(-minutes / 10.0));
  const double warmUp = std::clamp((70 - s.coolant) / 60, 0.0, 1.0);
  s.idleRpm = 850 + 450 * warmUp;
  if (speed_ < 3) {
    s.rpm = s.idleRpm + 15 * std::sin(secondsInTrip_ / 7.0);
    s.throttle = 0;
  } else {
    s.rpm = std::max(1000.0, speed_ * rpmPerKmh(speed_));
    s.throttle = std::clamp(6 + 0.18 * speed_ + 9 * acceleration, 0.0, 100.0);
  }
  s.speed = speed_;
  s.voltage = 14.1 + 0.08 * std::sin(secondsInTrip_ / 40.0) - 0.5 * warmUp;
  s.airflow = 9 + s.rpm / 1000 * (4 + s.throttle * 0.9);
  s.injection = 2.4 + s.throttle / 18 + 1.5 * warmUp;
  s.ignition = std::clamp(8 + (s.rpm - 800) / 140 - s.throttle / 10, 5.0, 40.0);

  secondsInTrip_ += kSecondsPerRecord;
  clock_ += kSecondsPerRecord;
  return s;
}

}  // namespace kq::sim
