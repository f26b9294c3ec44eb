#include "cli/console.h"

namespace kq::cli {

std::vector<std::string> startConsole(int argc, char** argv) { return {argv + 1, argv + argc}; }

}  // namespace kq::cli
