#pragma once

#include <string>
#include <vector>

namespace kq::cli {

// Each command takes the arguments after its name and returns the exit status.
int runExport(const std::vector<std::string>& args);
int runDownload(const std::vector<std::string>& args);
int runSimulate(const std::vector<std::string>& args);
int runStats(const std::vector<std::string>& args);
int runChart(const std::vector<std::string>& args);

}  // namespace kq::cli
