#include "dump/dump.h"

namespace kq {

std::string Dump::text() const {
  std::size_t total = 0;
  for (const auto& l : lines_) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void Dump::setText(std::string_view text) { lines_ = splitLines(text); }

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace kq
