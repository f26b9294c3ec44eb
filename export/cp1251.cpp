#include "export/cp1251.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kq {
namespace {

// Code points of bytes 0x80..0xFF; 0 where the code page has no character.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

// Reverse lookup for the Cyrillic block U+0400..U+045F, the common case.
constexpr std::array<std::uint8_t, 0x60> makeCyrillic() {
  std::array<std::uint8_t, 0x60> table{};
  for (int i = 0; i < 128; ++i) {
    char16_t cp = kUpperHalf[i];
    if (cp >= 0x400 && cp < 0x460) table[cp - 0x400] = static_cast<std::uint8_t>(0x80 + i);
  }
  return table;
}
constexpr auto kCyrillic = makeCyrillic();

char encodeCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x400 && cp < 0x460 && kCyrillic[cp - 0x400] != 0)
    return static_cast<char>(kCyrillic[cp - 0x400]);
  for (int i = 0; i < 128; ++i) {
    if (kUpperHalf[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

void appendCp1251(std::string& out, std::string_view utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    // Copy ASCII runs (all of a data row) eight bytes at a time.
    std::size_t run = i;
    for (std::uint64_t block = 0; run + 8 <= utf8.size(); run += 8) {
      std::memcpy(&block, utf8.data() + run, 8);
      if (block & 0x8080808080808080ULL) break;
    }
    while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
    out.append(utf8.data() + i, run - i);
    i = run;
    if (i == utf8.size()) break;
    auto lead = static_cast<unsigned char>(utf8[i]);
    int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t cp = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
    bool valid = length != 0 && i + static_cast<std::size_t>(length) <= utf8.size();
    for (int k = 1; valid && k < length; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    out.push_back(valid ? encodeCodePoint(cp) : '?');
    i += valid ? static_cast<std::size_t>(length) : 1;
  }
}

}  // namespace kq
