#pragma once

#include <cstdio>

namespace kq {

// Pushes what was written to an open file through to the disk, so that it
// survives a power cut. False when the system refused.
bool syncToDisk(std::FILE* file);

}  // namespace kq
