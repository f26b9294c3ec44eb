#pragma once

namespace kq {

// Chooses the toolkit's font engine before the application object exists.
void chooseFontEngine();

}  // namespace kq
