#include "dump/dump.h"

#include <cstring>

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

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  // Next CR and LF at or after the line start, each searched for once per
  // occurrence so that a file with only one kind of line end stays linear.
  auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
  };
  const char* start = begin;
  const char* cr = next(start, '\r');
  const char* lf = next(start, '\n');
  while (start < end) {
    if (cr < start) cr = next(start, '\r');
    if (lf < start) lf = next(start, '\n');
    const char* stop = cr < lf ? cr : lf;
    if (stop == end) {
      lines.emplace_back(start, end);
      break;
    }
    lines.emplace_back(start, stop);
    start = stop + ((*stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace kq
