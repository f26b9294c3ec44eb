#pragma once

#include <string>
#include <string_view>

namespace kq {

// Appends UTF-8 text converted to Windows code page 1251. A character the
// code page lacks (or a malformed sequence) becomes '?'.
void appendCp1251(std::string& out, std::string_view utf8);

}  // namespace kq
