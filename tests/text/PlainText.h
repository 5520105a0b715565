// Texts as tests read them: one line with plain digits, and printf with a
// format the test builds.
#pragma once

#include <cstdio>
#include <string>

namespace text_test {

// The text as one line: full-width digits and blanks as ASCII, and every run
// of blanks and line breaks as one space.
inline std::string fPlain(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char plain = text[i];
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBC &&
        static_cast<unsigned char>(text[i + 2]) >= 0x90 && static_cast<unsigned char>(text[i + 2]) <= 0x99) {
      plain = static_cast<char>('0' + (static_cast<unsigned char>(text[i + 2]) - 0x90));  // U+FF10..U+FF19
      i += 2;
    } else if (c == 0xE3 && i + 2 < text.size() && text.compare(i, 3, "\xE3\x80\x80") == 0) {
      plain = ' ';  // U+3000
      i += 2;
    } else if (plain == '\n') {
      plain = ' ';
    }
    if (plain == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += plain;
  }
  return out;
}

inline std::string fFormat(const char* format, int a, int b = 0, int c = 0, int d = 0) {
  char text[160];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(text, sizeof text, format, a, b, c, d);
#pragma GCC diagnostic pop
  return text;
}

}  // namespace text_test
