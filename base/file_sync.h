#pragma once

#include <cstdio>
#include <filesystem>

namespace kq {

// Pushes what was written to an open file through to the disk, so that it
// survives a power cut. False when the system refused.
bool syncToDisk(std::FILE* file);
// The same for a file another writer made (SQLite's copy of a database).
bool syncFileToDisk(const std::filesystem::path& path);

}  // namespace kq
