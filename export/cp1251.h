#pragma once

#include <string>
#include <string_view>

namespace kq {

// Converts UTF-8 text to Windows code page 1251. A character the code page
// lacks (or a malformed sequence) becomes '?'.
std::string encodeCp1251(std::string_view utf8);

// The same, appended to out.
void appendCp1251(std::string& out, std::string_view utf8);

}  // namespace kq
