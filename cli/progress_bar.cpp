#include "cli/progress_bar.h"

namespace kq::cli {

void ProgressBar::show(int done, int total) {
  if (!terminal_ || total <= 0) return;
  constexpr int kWidth = 40;
  const int filled = done * kWidth / total;
  std::fprintf(
      stderr, "\r[%s%s] %3d%%  %d/%d blocks", std::string(static_cast<std::size_t>(filled), '#').c_str(),
      std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), done * 100 / total, done, total);
  shown_ = true;
}

void ProgressBar::note(const std::string& text) {
  if (!terminal_) return;
  clear();
  std::fprintf(stderr, "%s\n", text.c_str());
}

void ProgressBar::finish() {
  if (terminal_ && shown_) std::fputc('\n', stderr);
  shown_ = false;
}

void ProgressBar::clear() {
  if (shown_) std::fputs("\r\033[K", stderr);
  shown_ = false;
}

}  // namespace kq::cli
