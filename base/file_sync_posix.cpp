#include <unistd.h>

#include "base/file_sync.h"

namespace kq {

bool syncToDisk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

}  // namespace kq
