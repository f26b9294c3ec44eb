#pragma once

#include <stdexcept>
#include <string>

namespace kq {

// A file could not be created, opened, read or written. what() is the text the
// user sees.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  // 'Cannot create file "PATH". REASON' with the full path.
  static FileError cannotCreate(const std::string& path, int errorNumber);
  // The same with a reason of our own, for targets refused by kind.
  static FileError cannotCreate(const std::string& path, const std::string& reason);
  // 'Cannot open file "PATH". REASON' with the full path.
  static FileError cannotOpen(const std::string& path, int errorNumber);
  // The same with a reason of our own (the system's text on Windows).
  static FileError cannotOpen(const std::string& path, const std::string& reason);
};

// The absolute form of a path, as messages show it.
std::string fullPath(const std::string& path);

// The system's text for an errno value.
std::string systemErrorText(int errorNumber);

}  // namespace kq
