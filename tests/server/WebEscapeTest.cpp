#include "server/WebEscape.h"

#include <gtest/gtest.h>

namespace {

// What a browser would take as markup or as the end of an attribute.
bool fHasMarkup(const std::string& html) {
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (c == '<' || c == '>' || c == '"' || c == '\'') return true;
    if (c == '&') {
      const std::size_t end = html.find(';', i);
      const std::string entity = end == std::string::npos ? "" : html.substr(i, end - i + 1);
      if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" && entity != "&#39;") return true;
    }
  }
  return false;
}

bool fHasControlByte(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  }
  return false;
}

TEST(WebEscapeTest, HtmlKeepsMarkupOutOfHostileNames) {
  EXPECT_EQ(fEscapeHtml("<img/src=x/onerror=alert(1)>"), "&lt;img/src=x/onerror=alert(1)&gt;");
  EXPECT_EQ(fEscapeHtml("\"quoted\""), "&quot;quoted&quot;");
  EXPECT_EQ(fEscapeHtml("a&b"), "a&amp;b");
  EXPECT_EQ(fEscapeHtml("it's"), "it&#39;s");
  // An escaped entity is not taken back for the character.
  EXPECT_EQ(fEscapeHtml("&lt;"), "&amp;lt;");
  EXPECT_EQ(fEscapeHtml("taro"), "taro");
}

TEST(WebEscapeTest, HtmlReplacesControlBytesAndBrokenUtf8ButKeepsCharacters) {
  EXPECT_EQ(fEscapeHtml(std::string("a\x01") + "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(fEscapeHtml(std::string("a\0b", 3)), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(fEscapeHtml("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");            // "été" stays
  EXPECT_EQ(fEscapeHtml("\xE3\x81\x82"), "\xE3\x81\x82");                      // a kana stays
  EXPECT_EQ(fEscapeHtml("\xFF<"), "\xEF\xBF\xBD&lt;");                         // a stray byte
  EXPECT_EQ(fEscapeHtml("\xC3"), "\xEF\xBF\xBD");                              // cut short
  EXPECT_EQ(fEscapeHtml("\xC0\xBC"), "\xEF\xBF\xBD\xEF\xBF\xBD");              // an overlong "<"
  EXPECT_EQ(fEscapeHtml("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate
}

TEST(WebEscapeTest, EveryByteAloneAndBetweenQuotesLeavesNoMarkupAndNoControlByte) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string text = std::string("x\"") + static_cast<char>(byte) + "'<";
    const std::string html = fEscapeHtml(text);
    EXPECT_FALSE(fHasMarkup(html)) << byte;
    EXPECT_FALSE(fHasControlByte(html)) << byte;
    const std::string json = fJsonString(text);
    EXPECT_FALSE(fHasControlByte(json)) << byte;
    // The only bare quotes are the two that close the string.
    std::size_t bare = 0;
    for (std::size_t i = 0; i < json.size(); ++i) {
      if (json[i] == '\\') {
        ++i;
      } else if (json[i] == '"') {
        ++bare;
      }
    }
    EXPECT_EQ(bare, 2u) << byte;
  }
}

TEST(WebEscapeTest, JsonEscapesQuotesBackslashesAndControlBytes) {
  EXPECT_EQ(fJsonString("\"quoted\""), "\"\\\"quoted\\\"\"");
  EXPECT_EQ(fJsonString("a\\b"), "\"a\\\\b\"");
  EXPECT_EQ(fJsonString(std::string("a\x01\n\x1f\x7f", 5)), "\"a\\u0001\\u000A\\u001F\\u007F\"");
  EXPECT_EQ(fJsonString("<img/src=x/onerror=alert(1)>"), "\"<img/src=x/onerror=alert(1)>\"");
  EXPECT_EQ(fJsonString("\xC3\xA9"), "\"\xC3\xA9\"");
  EXPECT_EQ(fJsonString("\xFF"), "\"\\ufffd\"");
  EXPECT_EQ(fJsonString(""), "\"\"");
}

TEST(WebEscapeTest, PathSegmentsKeepOnlyUnreservedBytes) {
  EXPECT_EQ(fPercentEncodeSegment("0a1b2c3d4e5f6789"), "0a1b2c3d4e5f6789");
  EXPECT_EQ(fPercentEncodeSegment("a/b?c#d e%"), "a%2Fb%3Fc%23d%20e%25");
  EXPECT_EQ(fPercentEncodeSegment("\"><script>"), "%22%3E%3Cscript%3E");
  EXPECT_EQ(fPercentEncodeSegment("-._~"), "-._~");
  EXPECT_EQ(fPercentEncodeSegment(std::string("\0\xff", 2)), "%00%FF");
}

}  // namespace
