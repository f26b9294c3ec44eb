#include <unistd.h>

#include "cli/console.h"

namespace kq::cli {

std::vector<std::string> startConsole(int argc, char** argv) { return {argv + 1, argv + argc}; }

bool errorsGoToTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace kq::cli
