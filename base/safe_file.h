#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace kq {

// Writes the whole content to the target, reporting every failure as a
// FileError ('Cannot create file "PATH". REASON'), never as success:
// - a regular file, or a name that does not exist yet, is written to a
//   temporary file beside it, flushed to the disk and renamed over it only
//   once complete, so a failure (no rights, disk full, read-only file system)
//   leaves an existing file as it was and no partial file behind. A replaced
//   file keeps its permissions.
// - a symbolic link is followed, to its final target, which is replaced as
//   above; the link stays.
// - a character device (/dev/null, a terminal) or a named pipe with a reader
//   is written in place, never replaced by a file; a pipe without a reader is
//   refused at once rather than waited for.
// - a folder, a block device (a disk) or a socket is refused.
void writeFileSafely(const std::string& path, std::string_view content);

// Throws the FileError writeFileSafely would throw for a target it cannot
// write now (a refused kind, a missing or read-only folder): it creates and
// removes the temporary file the write would use, and leaves the target as it
// is. Lets long operations fail before the work rather than after it.
void checkCanCreate(const std::string& path);

// Reads a whole file; more than maxBytes fails ('File too large'), so that an
// endless source such as /dev/zero ends. Throws FileError ('Cannot open file
// ...') on failure. Opening never waits: a named pipe without a writer reads
// as empty.
std::string readWholeFile(const std::string& path,
                          std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

}  // namespace kq
