// Byte counts of UTF-8 text, as the game library's text calls take them.
#pragma once

#include <cstddef>

// The longest prefix of text[0, length) that does not end inside a
// multi-byte character: measuring half a character would ask the font for
// an invalid string.
constexpr std::size_t fWholeCharacters(const char* text, std::size_t length) {
  std::size_t start = length;
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return length;  // nothing but continuation bytes: not ours to fix
  const auto lead = static_cast<unsigned char>(text[start - 1]);
  const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return length - (start - 1) < need ? start - 1 : length;
}
