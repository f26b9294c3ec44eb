#pragma once

#include <string>
#include <string_view>

// Text at the Windows API boundary: names and messages are UTF-8 inside the
// program and UTF-16 in the W calls, never the ANSI code page.
namespace kq {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// The system's message for a GetLastError() code, without the trailing line end.
std::string windowsErrorText(unsigned long code);

}  // namespace kq
