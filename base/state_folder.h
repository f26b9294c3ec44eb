#pragma once

#include <filesystem>

namespace kq {

// The program's folder for state worth keeping between runs, such as the
// recovery copy of a download: %LOCALAPPDATA%\kq-unloader on Windows;
// elsewhere $XDG_STATE_HOME/kq-unloader, else ~/.local/state/kq-unloader.
// Empty when the environment names no home at all. Not created here.
std::filesystem::path userStateFolder();

// The program's folder for the user's own data, such as the library of
// downloads: %LOCALAPPDATA%\kq-unloader on Windows; elsewhere
// $XDG_DATA_HOME/kq-unloader, else ~/.local/share/kq-unloader. Empty when the
// environment names no home at all. Not created here.
std::filesystem::path userDataFolder();

}  // namespace kq
