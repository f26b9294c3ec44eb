#pragma once

#include <exception>
#include <string>

namespace kq::cli {

// What a failure says to the user. The program's own errors (a file that
// cannot be opened, an unreadable dump) carry their message; the C++
// library's carry one for programmers ("std::bad_alloc"), so they are said
// in plain words: "не хватает памяти", or an internal error.
std::string failureText(const std::exception& error);

// Reports a failure of COMMAND on standard error: the program's own message
// as it is, anything else as "kq-cli COMMAND: " and its failureText.
void reportFailure(const char* command, const std::exception& error);

}  // namespace kq::cli
