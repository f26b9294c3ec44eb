#pragma once

#include <string>

namespace kq {

// How a user refused by a serial device could get to use it.
struct DeviceAccess {
  // The group owning the device, when its members may read and write it and
  // the user does not yet carry it; else empty (joining would not help).
  std::string group;
  // The user is listed in that group but has not logged in since joining.
  bool joinedNotActive = false;
};

// The message for a device that exists but could not be opened: the system's
// error in the first sentence, then, in Russian, what to do when the rights
// are missing or another program holds the port.
std::string openFailureMessage(const std::string& name, int error, const DeviceAccess& access);

}  // namespace kq
