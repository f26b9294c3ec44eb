#include "cli/failure_text.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace kq::cli {
namespace {

bool carriesOwnMessage(const std::exception& error) {
  // The program throws runtime errors with messages for the user; the library
  // throws those only from parts the program does not use.
  return dynamic_cast<const std::runtime_error*>(&error) != nullptr;
}

}  // namespace

std::string failureText(const std::exception& error) {
  if (carriesOwnMessage(error)) return error.what();
  // A vector or string longer than the library allows is a request for more
  // memory than there is, as well.
  if (dynamic_cast<const std::bad_alloc*>(&error) || dynamic_cast<const std::length_error*>(&error))
    return "не хватает памяти";
  return "внутренняя ошибка программы";
}

void reportFailure(const char* command, const std::exception& error) {
  if (carriesOwnMessage(error))
    std::fprintf(stderr, "%s\n", error.what());
  else
    std::fprintf(stderr, "kq-cli %s: %s\n", command, failureText(error).c_str());
}

}  // namespace kq::cli
