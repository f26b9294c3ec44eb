#pragma once

#include <string>
#include <vector>

namespace kq::cli {

// Prepares the standard streams for kq-cli (binary standard output, UTF-8
// messages) and returns the arguments after the program name as UTF-8.
std::vector<std::string> startConsole(int argc, char** argv);

// Whether standard error is a terminal (a progress bar is drawn there).
bool errorsGoToTerminal();

}  // namespace kq::cli
