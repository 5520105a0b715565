// The URLs of the three ranking requests. Each script's arguments follow the
// first "?" and are separated by "?", so every value is percent-encoded:
// nothing a player types can add an argument or cut the URL short.
#pragma once

#include <cstddef>
#include <string>

// Where the scripts lie on the server; the trailing "/" gives the URLs their
// "//" before "ranking_".
inline constexpr const char* kRankingScriptPath = "cgi-bin/plimoball100/";

// The ranking's names: 1 to 8 bytes, each printable ASCII but the blank
// and "?". The server refuses any other name; the name entry lets no other
// character be typed.
inline constexpr std::size_t kMaxRankingNameLength = 8;
constexpr bool fIsRankingNameByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte > ' ' && byte <= '~' && byte != '?';
}
bool fIsValidRankingName(const std::string& name);

// Letters, digits and "-._~" stay; every other byte becomes "%XX".
std::string fEncodeUrlValue(const std::string& value);

// "http://<server>/cgi-bin/plimoball100//ranking_<mode>.cgi?GetRankingList?"
std::string fRankingListUrl(const std::string& server, int mode);
// "...?UploadRanking?<name>?<score>?<maxRensa>"
std::string fUploadRankingUrl(const std::string& server, int mode, const std::string& name, int score,
                              int maxRensa);
// "...?DownloadReplay?<replay key>"
std::string fDownloadReplayUrl(const std::string& server, int mode, const std::string& replayKey);

// The daily challenge's requests, to the mode's same script.
// "...?GetDaily?"
std::string fGetDailyUrl(const std::string& server, int mode);
// "...?GetDailyList?<date>"
std::string fDailyListUrl(const std::string& server, int mode, const std::string& date);
// "...?UploadDaily?<name>?<score>?<maxRensa>?<date>"
std::string fUploadDailyUrl(const std::string& server, int mode, const std::string& name, int score, int maxRensa,
                            const std::string& date);
// "...?DownloadDaily?<date>?<replay key>"
std::string fDownloadDailyUrl(const std::string& server, int mode, const std::string& date,
                              const std::string& replayKey);
