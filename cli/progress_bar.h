#pragma once

#include <cstdio>
#include <string>

namespace kq::cli {

// A one-line progress bar on standard error, drawn only when that is a
// terminal; messages go above it.
class ProgressBar {
 public:
  explicit ProgressBar(bool terminal) : terminal_(terminal) {}

  void show(int done, int total);
  // Prints a line (on a terminal only), the bar drawn again by the next show().
  void note(const std::string& text);
  // Ends the bar's line.
  void finish();

 private:
  void clear();

  bool terminal_;
  bool shown_ = false;
};

}  // namespace kq::cli
