#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>

namespace kq {

// C library calls whose names differ between systems; one source per system.

// fopen(path, "wb") that takes any file name the system can hold.
std::FILE* openForWriting(const std::filesystem::path& path);

// The local time of `time`, thread-safe.
std::tm localTime(std::time_t time);

// The folder the system keeps programs' own local data in; empty where it
// names none (the base directory rules decide there).
std::filesystem::path systemLocalDataFolder();

// Renames a file over another, replacing it in one step (rename on POSIX,
// MoveFileExW on Windows, where rename refuses an existing target). False
// with errno set when the system refused.
bool replaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace kq
