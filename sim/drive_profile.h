#pragma once

#include <random>

namespace kq::sim {

// The readings of one logged record.
struct DriveSample {
  int day = 0, month = 0, hour = 0, minute = 0, second = 0;
  double rpm = 0;             // 1/min
  double idleRpm = 0;         // 1/min, the controller's idle target
  double speed = 0;           // km/h
  double throttle = 0;        // %
  double coolant = 0;         // °C
  double coolantAtStart = 0;  // °C
  double intake = 0;          // °C
  double voltage = 0;         // V
  double airflow = 0;         // kg/h
  double injection = 0;       // ms
  double ignition = 0;        // degrees
};

// A deterministic drive: trips of city and road driving with idling, engine
// warm-up and pauses between trips; one sample every two seconds.
class DriveProfile {
 public:
  DriveSample next();

 private:
  void startTrip();

  std::mt19937 random_{20240315u};
  long long clock_ = (31LL * 24 + 7) * 3600 + 40 * 60;  // seconds since 1 January, 07:40
  int tripLeft_ = 0;
  int secondsInTrip_ = 0;
  double ambient_ = 8;
  double coolantAtStart_ = 8;
  double speed_ = 0;
  double targetSpeed_ = 0;
  int segmentLeft_ = 0;
};

}  // namespace kq::sim
