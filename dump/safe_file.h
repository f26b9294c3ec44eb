#pragma once

#include <string>
#include <string_view>

namespace kq {

// Writes the whole content to a temporary file beside the target and renames
// it over the target only once it is complete and flushed, so that a failure
// (no rights, disk full) leaves an existing file as it was and no partial file
// behind. Throws FileError ('Cannot create file ...') on any failure.
void writeFileSafely(const std::string& path, std::string_view content);

// Reads a whole file. Throws FileError ('Cannot open file ...') on failure.
std::string readWholeFile(const std::string& path);

}  // namespace kq
