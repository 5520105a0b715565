// Stored values on the ranking's web pages: every name, key and date goes
// through one of these, since the store may hold bytes the game never
// sends (another server version, a hand-edited database).
#pragma once

#include <string>
#include <string_view>

// Text for an HTML element or a quoted attribute: & < > " ' as entities;
// control bytes and bytes that are not UTF-8 as U+FFFD.
std::string fEscapeHtml(std::string_view text);

// A JSON string with its quotes: " and \ escaped, control bytes as \uXXXX,
// bytes that are not UTF-8 as \ufffd.
std::string fJsonString(std::string_view text);

// One path segment of a URL: every byte but A-Z a-z 0-9 - . _ ~ as %XX.
std::string fPercentEncodeSegment(std::string_view text);
