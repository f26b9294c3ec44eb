#pragma once

#include <cstdio>
#include <cstdlib>

namespace kq::fuzz {

// A broken invariant is a finding: say which, and stop so that libFuzzer keeps the input.
inline void require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "broken invariant: %s\n", invariant);
  std::abort();
}

}  // namespace kq::fuzz
