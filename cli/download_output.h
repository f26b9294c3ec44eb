#pragma once

#include <optional>
#include <string>

#include "dump/dump.h"

namespace kq::cli {

// Throws, before a download, when OUTPUT could not be written after it: it
// cannot be created, or its file system has no room for a full dump.
void checkOutputBeforeDownload(const std::string& output);

// Keeps the result of a download and reports on standard error; returns the
// exit status. Complete (no failure): the dump goes to OUTPUT and an old
// OUTPUT.partial goes away. Otherwise the lines so far go to OUTPUT.partial
// and OUTPUT stays as it was. When that write fails, the dump goes to a file
// in the user's state folder or else the temporary folder, named in the
// message; a download is never lost to a full disk.
int keepDownload(const std::string& output, const Dump& dump, const std::optional<std::string>& failure);

}  // namespace kq::cli
