#include "online/RankingUrl.h"

#include "rules/StageModes.h"

namespace {

bool fIsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string fScriptUrl(const std::string& server, int mode) {
  return "http://" + server + "/" + kRankingScriptPath + "/ranking_" + fModeName(mode) + ".cgi?";
}

}  // namespace

bool fIsValidRankingName(const std::string& name) {
  if (name.empty() || name.size() > kMaxRankingNameLength) return false;
  for (const char c : name) {
    if (!fIsRankingNameByte(c)) return false;
  }
  return true;
}

std::string fEncodeUrlValue(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(value.size());
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (fIsUnreserved(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0f];
    }
  }
  return encoded;
}

std::string fRankingListUrl(const std::string& server, int mode) {
  return fScriptUrl(server, mode) + "GetRankingList?";
}

std::string fUploadRankingUrl(const std::string& server, int mode, const std::string& name, int score,
                              int maxRensa) {
  return fScriptUrl(server, mode) + "UploadRanking?" + fEncodeUrlValue(name) + "?" + std::to_string(score) + "?" +
         std::to_string(maxRensa);
}

std::string fDownloadReplayUrl(const std::string& server, int mode, const std::string& replayKey) {
  return fScriptUrl(server, mode) + "DownloadReplay?" + fEncodeUrlValue(replayKey);
}

std::string fGetDailyUrl(const std::string& server, int mode) { return fScriptUrl(server, mode) + "GetDaily?"; }

std::string fDailyListUrl(const std::string& server, int mode, const std::string& date) {
  return fScriptUrl(server, mode) + "GetDailyList?" + fEncodeUrlValue(date);
}

std::string fUploadDailyUrl(const std::string& server, int mode, const std::string& name, int score, int maxRensa,
                            const std::string& date) {
  return fScriptUrl(server, mode) + "UploadDaily?" + fEncodeUrlValue(name) + "?" + std::to_string(score) + "?" +
         std::to_string(maxRensa) + "?" + fEncodeUrlValue(date);
}

std::string fDownloadDailyUrl(const std::string& server, int mode, const std::string& date,
                              const std::string& replayKey) {
  return fScriptUrl(server, mode) + "DownloadDaily?" + fEncodeUrlValue(date) + "?" + fEncodeUrlValue(replayKey);
}
