#pragma once

#include <optional>
#include <string>
#include <vector>

// The system's part of port discovery, one implementation per OS.
namespace kq::detail {

// Serial ports present besides the PC's own, as the selector shows them, sorted.
std::vector<std::string> systemSerialPorts();

// The device port "COMn" opens, or nothing when COMn names no port here.
std::optional<std::string> comDevicePath(int number);

}  // namespace kq::detail
