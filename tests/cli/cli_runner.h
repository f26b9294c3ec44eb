#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/safe_file.h"

namespace kq::test {

// Runs kq-cli as a user does, in a scratch folder that goes with the object.
class CliRunner {
 public:
  struct Result {
    int status;
    std::string out;
    std::string err;
  };

  CliRunner() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kq-cli-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  ~CliRunner() { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // env: VAR=value pairs; args: the command and its arguments, shell-quoted.
  Result run(const std::string& env, const std::string& args) const {
    std::string command =
        "env " + env + " " KQ_CLI_PATH " " + args + " >" + path("stdout") + " 2>" + path("stderr");
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readWholeFile(path("stdout")),
            readWholeFile(path("stderr"))};
  }

 private:
  std::filesystem::path dir_;
};

// The lines of a command's output.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace kq::test
