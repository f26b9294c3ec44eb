#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

// The download as an ordered list of text lines, one per block. Lines loaded
// from a file are kept as they are; nothing checks that they are block lines.
class Dump {
 public:
  Dump() = default;
  explicit Dump(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  void clear() { lines_.clear(); }
  void append(std::string line) { lines_.push_back(std::move(line)); }
  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  const std::string& line(std::size_t index) const { return lines_[index]; }
  const std::vector<std::string>& lines() const { return lines_; }

  // Every line followed by CR LF; an empty dump gives an empty text.
  std::string text() const;

 private:
  std::vector<std::string> lines_;
};

// The lines of a text: CR LF, LF and CR each end a line, a last line without
// an end is a line, an end at the very end adds no line.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace kq
