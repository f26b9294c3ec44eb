#pragma once

#include <string>
#include <string_view>

namespace kq {

// Writes the whole content to a temporary file beside the target and renames
// it over the target only once it is complete and flushed, so that a failure
// (no rights, disk full) leaves an existing file as it was and no partial file
// behind. Throws FileError ('Cannot create file ...') on any failure.
void writeFileSafely(const std::string& path, std::string_view content);

// Throws FileError ('Cannot create file ...') when writeFileSafely could not
// create the file now: the path is a folder, or its folder is missing or not
// writable. Lets long operations fail before the work rather than after it.
void checkCanCreate(const std::string& path);

// Reads a whole file. Throws FileError ('Cannot open file ...') on failure.
std::string readWholeFile(const std::string& path);

}  // namespace kq
