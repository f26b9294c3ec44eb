#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "library/library_error.h"

namespace kq::test {

// The kind of LibraryError an action throws; a failure when it throws none.
inline LibraryError::Kind kindOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const LibraryError& error) {
    return error.kind();
  }
  ADD_FAILURE() << "no LibraryError";
  return LibraryError::Kind::other;
}

}  // namespace kq::test
