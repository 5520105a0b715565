#include "server/WebEscape.h"

#include "online/RankingUrl.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the text's start, or 0.
std::size_t fUtf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  unsigned char low = 0x80, high = 0xbf;  // the second byte's range
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;  // no surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
  }
  return length;
}

bool fIsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7f; }

// Calls plain(byte) for ASCII, whole(sequence) for a multi-byte character
// and bad() for a byte that starts no character.
template <typename FPlain, typename FWhole, typename FBad>
void fWalkUtf8(std::string_view text, FPlain plain, FWhole whole, FBad bad) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = fUtf8Length(text.substr(i));
    if (length == 0) {
      bad();
      ++i;
    } else if (length == 1) {
      plain(static_cast<unsigned char>(text[i]));
      ++i;
    } else {
      whole(text.substr(i, length));
      i += length;
    }
  }
}

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

std::string fEscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 4);
  fWalkUtf8(
      text,
      [&](unsigned char c) {
        switch (c) {
          case '&': escaped += "&amp;"; break;
          case '<': escaped += "&lt;"; break;
          case '>': escaped += "&gt;"; break;
          case '"': escaped += "&quot;"; break;
          case '\'': escaped += "&#39;"; break;
          default:
            if (fIsControl(c)) {
              escaped += kReplacement;
            } else {
              escaped += static_cast<char>(c);
            }
        }
      },
      [&](std::string_view character) { escaped += character; }, [&] { escaped += kReplacement; });
  return escaped;
}

std::string fJsonString(std::string_view text) {
  std::string json = "\"";
  json.reserve(text.size() + 2);
  fWalkUtf8(
      text,
      [&](unsigned char c) {
        if (c == '"' || c == '\\') {
          json += '\\';
          json += static_cast<char>(c);
        } else if (fIsControl(c)) {
          json += "\\u00";
          json += kHex[c >> 4];
          json += kHex[c & 15];
        } else {
          json += static_cast<char>(c);
        }
      },
      [&](std::string_view character) { json += character; }, [&] { json += "\\ufffd"; });
  json += '"';
  return json;
}

std::string fPercentEncodeSegment(std::string_view text) { return fEncodeUrlValue(std::string(text)); }
