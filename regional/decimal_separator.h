#pragma once

namespace kq {

// The decimal separator of the user's regional settings, one ASCII character
// ('.' where the settings name anything else).
char systemDecimalSeparator();

}  // namespace kq
