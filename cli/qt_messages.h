#pragma once

namespace kq::cli {

// Keeps Qt's own warnings and notes (a locale switched to UTF-8, a platform
// plugin's limits) off standard error, where kq-cli says its own results and
// failures; Qt's critical and fatal messages still come through. Called
// before a command makes its application object.
void keepQtNotesQuiet();

}  // namespace kq::cli
