#include "app/font_engine.h"

namespace kq {

// The toolkit's own choice (fontconfig and FreeType) serves every Linux desktop.
void chooseFontEngine() {}

}  // namespace kq
