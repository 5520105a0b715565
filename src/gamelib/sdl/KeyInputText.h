// The editing rules of a one-line text input: which typed characters are
// taken, how long the text may grow (in bytes of UTF-8), and what Backspace
// removes. No character is ever split, so the text stays valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct SKeyInputRules {
  std::size_t maxBytes = 0;
  bool singleByteOnly = false;  // ASCII only
  bool digitsOnly = false;      // 0 to 9 only
};

// The byte length of the UTF-8 character that starts with lead; 0 for a
// byte that cannot start one.
constexpr std::size_t fUtf8CharacterLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Appends what was typed, character by character, skipping characters the
// rules refuse (control characters always) and stopping at the first that
// would not fit. Returns how many bytes were taken.
inline std::size_t fAppendTyped(std::string& text, std::string_view typed, const SKeyInputRules& rules) {
  const std::size_t before = text.size();
  std::size_t at = 0;
  while (at < typed.size()) {
    const auto lead = static_cast<unsigned char>(typed[at]);
    std::size_t length = fUtf8CharacterLength(lead);
    bool valid = length != 0 && at + length <= typed.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
      valid = (static_cast<unsigned char>(typed[at + i]) & 0xC0) == 0x80;
    }
    if (!valid) {
      ++at;  // a stray byte: dropped on its own
      continue;
    }
    const bool control = lead < 0x20 || lead == 0x7F;
    const bool refused = control || (rules.singleByteOnly && length > 1) ||
                         (rules.digitsOnly && !(lead >= '0' && lead <= '9'));
    if (!refused) {
      if (text.size() + length > rules.maxBytes) break;
      text.append(typed.substr(at, length));
    }
    at += length;
  }
  return text.size() - before;
}

// Backspace: removes the last whole character.
inline void fEraseLastCharacter(std::string& text) {
  if (text.empty()) return;
  std::size_t start = text.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  text.erase(start);
}
