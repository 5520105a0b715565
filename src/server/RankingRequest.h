// Reading the ranking scripts' requests: the script's mode from the path, the
// "?"-separated arguments from the raw target, and the values they may hold.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "online/RankingUrl.h"
#include "server/WebRoute.h"

// "/cgi-bin/plimoball100//ranking_<mode>.cgi" (the client's "//", or one
// "/") gives the mode name; any other path nothing.
std::optional<std::string> fScriptMode(const std::string& path);

// "%XX" becomes its byte; everything else stays (a "+" is a plus sign).
// Nothing for a "%" without two hex digits.
std::optional<std::string> fPercentDecode(const std::string& text);

// The arguments after the target's first "?", split at every further "?"
// and each percent-decoded; nothing when the target has no "?" or holds a
// bad escape.
std::optional<std::vector<std::string>> fScriptArguments(const std::string& target);

// fIsValidRankingName: the game's own rule, shared with its name entry.

// A whole text of decimal digits (no sign) that fits in 32 bits.
std::optional<int> fParseCount(const std::string& text);

// "YYYY/MM/DD HH:MM:SS", UTC.
std::string fFormatUtcDate(std::time_t time);

// "METHOD TARGET HTTP/1.x", read here rather than by the HTTP library: the
// game's targets carry several "?". Nothing for any other line, or for a
// target with blanks or control bytes.
struct SRequestLine {
  std::string method;
  std::string target;
  std::string version;  // "HTTP/1.0" or "HTTP/1.1"
};
std::optional<SRequestLine> fParseRequestLine(const std::string& line);

// Where a request goes: one of the scripts' requests (the ranking's three,
// the daily challenge's: its day, list and download, and its upload as an
// Upload), the health
// check, the web site (a page, the JSON, a static file), or a refusal.
struct SRankingRoute {
  enum class EKind {
    List,
    Upload,
    Download,
    Health,
    Metrics,
    BadRequest,
    NotFound,
    WrongMethod,
    Page,
    Api,
    Static,
    Daily
  };
  EKind kind = EKind::NotFound;
  std::string mode;
  std::vector<std::string> arguments;
  std::optional<SWebRequest> web;  // the site's requests, also when the method is wrong
};
SRankingRoute fRouteRequest(const std::string& method, const std::string& target);
// "list", "upload", "download", "health", "metrics", "bad", "unknown", "method",
// "page", "api", "static", "daily".
const char* fRouteKindName(SRankingRoute::EKind kind);
