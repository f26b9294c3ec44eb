#pragma once

#include <stdexcept>
#include <string>

namespace kq {

// A library could not be opened, read or changed. what() is the text the user
// sees, in Russian, naming the library or the car; the kind lets a caller act
// on it (the window offers to try again when the library is busy).
class LibraryError : public std::runtime_error {
 public:
  enum class Kind {
    other,
    busy,            // another program holds the library longer than we waited
    damaged,         // not readable as a library: a broken file, a foreign database
    newer,           // written by a newer version of the program
    readOnly,        // opened for reading only, or refused a change for lack of rights
    notFound,        // the car, import or trip named does not exist
    refused,         // the change makes no sense (a dump of another controller type, a name taken)
    noSpace,         // the disk is full
    lostConnection,  // the library's server could not be reached, or dropped the connection
  };

  LibraryError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace kq
