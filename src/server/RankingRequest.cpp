#include "server/RankingRequest.h"

#include <array>

#include "online/SRankingData.h"
#include "rules/StageModes.h"

namespace {

constexpr const char* kScriptFolder = "/cgi-bin/plimoball100/";

int fHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> fScriptMode(const std::string& path) {
  const std::string folder = kScriptFolder;
  if (path.compare(0, folder.size(), folder) != 0) return std::nullopt;
  std::string script = path.substr(folder.size());
  if (!script.empty() && script.front() == '/') script.erase(0, 1);
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (script == std::string("ranking_") + fModeName(mode) + ".cgi") return std::string(fModeName(mode));
  }
  return std::nullopt;
}

std::optional<std::string> fPercentDecode(const std::string& text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = fHexValue(text[i + 1]);
    const int low = fHexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

std::optional<std::vector<std::string>> fScriptArguments(const std::string& target) {
  const std::size_t question = target.find('?');
  if (question == std::string::npos) return std::nullopt;
  // A fragment never reaches a server from a browser; cut one if sent.
  const std::size_t hash = target.find('#', question);
  const std::string query = target.substr(question + 1, hash == std::string::npos ? std::string::npos : hash - question - 1);
  std::vector<std::string> arguments;
  for (const std::string& field : fSplitFields(query, '?')) {
    auto value = fPercentDecode(field);
    if (!value) return std::nullopt;
    arguments.push_back(std::move(*value));
  }
  return arguments;
}

std::optional<int> fParseCount(const std::string& text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto value = fParseDecimalInt(text);
  if (!value) return std::nullopt;
  return *value;
}

std::string fFormatUtcDate(std::time_t time) {
  std::tm parts{};
  gmtime_r(&time, &parts);
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y/%m/%d %H:%M:%S", &parts);
  return text.data();
}

std::optional<SRequestLine> fParseRequestLine(const std::string& line) {
  const std::size_t first = line.find(' ');
  if (first == std::string::npos || first == 0) return std::nullopt;
  const std::size_t second = line.find(' ', first + 1);
  if (second == std::string::npos || second == first + 1) return std::nullopt;
  SRequestLine request{line.substr(0, first), line.substr(first + 1, second - first - 1), line.substr(second + 1)};
  for (const char c : request.method) {
    if (c < 'A' || c > 'Z') return std::nullopt;
  }
  for (const char c : request.target) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7f) return std::nullopt;
  }
  if (request.target.front() != '/') return std::nullopt;
  if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0") return std::nullopt;
  return request;
}

SRankingRoute fRouteRequest(const std::string& method, const std::string& target) {
  using EKind = SRankingRoute::EKind;
  SRankingRoute route;
  const std::string path = target.substr(0, target.find_first_of("?#"));
  if (path == "/healthz") {
    route.kind = method == "GET" || method == "HEAD" ? EKind::Health : EKind::WrongMethod;
    return route;
  }
  if (path == "/metrics") {
    route.kind = method == "GET" || method == "HEAD" ? EKind::Metrics : EKind::WrongMethod;
    return route;
  }
  if (auto web = fParseWebTarget(target)) {
    route.mode = web->mode;
    if (method != "GET" && method != "HEAD") {
      route.kind = EKind::WrongMethod;
    } else if (web->kind == SWebRequest::EKind::Api) {
      route.kind = EKind::Api;
    } else if (web->kind == SWebRequest::EKind::Static) {
      route.kind = EKind::Static;
    } else {
      route.kind = EKind::Page;
    }
    route.web = std::move(web);
    return route;
  }
  const auto mode = fScriptMode(path);
  if (!mode) return route;
  route.mode = *mode;
  // The game's client posts every request.
  if (method != "POST") {
    route.kind = EKind::WrongMethod;
    return route;
  }
  auto arguments = fScriptArguments(target);
  route.kind = EKind::BadRequest;
  if (!arguments || arguments->empty()) return route;
  route.arguments = std::move(*arguments);
  const std::string& request = route.arguments.front();
  const std::size_t count = route.arguments.size();
  if (request == "GetRankingList" && (count == 1 || (count == 2 && route.arguments[1].empty()))) {
    route.kind = EKind::List;
  } else if (request == "UploadRanking" || request == "UploadDaily") {
    route.kind = EKind::Upload;
  } else if (request == "DownloadReplay" && count == 2) {
    route.kind = EKind::Download;
  } else if ((request == "GetDaily" && (count == 1 || (count == 2 && route.arguments[1].empty()))) ||
             (request == "GetDailyList" && count == 2) || (request == "DownloadDaily" && count == 3)) {
    route.kind = EKind::Daily;
  }
  return route;
}

const char* fRouteKindName(SRankingRoute::EKind kind) {
  switch (kind) {
    case SRankingRoute::EKind::List: return "list";
    case SRankingRoute::EKind::Upload: return "upload";
    case SRankingRoute::EKind::Download: return "download";
    case SRankingRoute::EKind::Health: return "health";
    case SRankingRoute::EKind::Metrics: return "metrics";
    case SRankingRoute::EKind::BadRequest: return "bad";
    case SRankingRoute::EKind::NotFound: return "unknown";
    case SRankingRoute::EKind::WrongMethod: return "method";
    case SRankingRoute::EKind::Page: return "page";
    case SRankingRoute::EKind::Api: return "api";
    case SRankingRoute::EKind::Static: return "static";
    case SRankingRoute::EKind::Daily: return "daily";
  }
  return "unknown";
}
