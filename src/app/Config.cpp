#include "app/Config.h"

#include <vector>

#include "gamelib/FileSystem.h"

namespace {

constexpr const char* kConfigFile = "config.dat";
constexpr int kFlagLines = 3;
constexpr int kServerLine = kFlagLines;  // the optional fourth line

std::vector<std::string> fSplitLines(const std::string& text, int count) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (static_cast<int>(lines.size()) < count && start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Only the text between the first and second "=" decides; a line without
// any "=" keeps the flag's default.
void fApplyLine(const std::string& line, bool& flag) {
  const std::size_t first = line.find('=');
  if (first == std::string::npos) return;
  const std::size_t second = line.find('=', first + 1);
  const std::string value =
      line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  flag = value == "1";
}

// Everything after the first "=", if it is an address that cannot change the
// shape of the URLs it goes into; otherwise the default stays.
void fApplyServerLine(const std::string& line, std::string& address) {
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  const std::string value = line.substr(equals + 1);
  if (fIsValidServerAddress(value)) address = value;
}

bool fIsHostNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool fIsIpv6Char(char c) {
  return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

bool fIsValidPort(const std::string& port) {
  if (port.empty() || port.size() > 5) return false;
  long value = 0;
  for (const char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

bool fIsValidServerAddress(const std::string& address) {
  std::string host = address;
  std::string port;
  if (!address.empty() && address.front() == '[') {
    const std::size_t close = address.find(']');
    if (close == std::string::npos || close == 1) return false;
    const std::string inside = address.substr(1, close - 1);
    for (const char c : inside) {
      if (!fIsIpv6Char(c)) return false;
    }
    const std::string rest = address.substr(close + 1);
    if (rest.empty()) return true;
    return rest.front() == ':' && fIsValidPort(rest.substr(1));
  }
  const std::size_t colon = address.find(':');
  if (colon != std::string::npos) {
    host = address.substr(0, colon);
    port = address.substr(colon + 1);
    if (!fIsValidPort(port)) return false;
  }
  if (host.empty() || host.size() > 253 || host.front() == '-' || host.front() == '.') return false;
  for (const char c : host) {
    if (!fIsHostNameChar(c)) return false;
  }
  return true;
}

SConfig fParseConfig(const std::string& text) {
  SConfig config;
  bool* flags[kFlagLines] = {&config.bWindowMode, &config.bSound, &config.bNoReserve};
  const auto lines = fSplitLines(text, kFlagLines + 1);
  for (std::size_t i = 0; i < lines.size() && i < static_cast<std::size_t>(kFlagLines); ++i) fApplyLine(lines[i], *flags[i]);
  if (lines.size() > static_cast<std::size_t>(kServerLine)) fApplyServerLine(lines[kServerLine], config.serverAddress);
  return config;
}

SConfig fReadConfig() {
  if (!fFileExists(kConfigFile)) return SConfig{};
  return fParseConfig(fReadWholeFile(kConfigFile));
}

std::string fWithWindowMode(const std::string& text, bool windowed) {
  const std::string first = std::string("WindowMode=") + (windowed ? "1" : "0");
  if (text.empty()) return first + "\nSound=1\nNoReserve=1\n";
  const std::size_t end = text.find('\n');
  if (end == std::string::npos) return first;
  // Keep a "\r\n" file's line ends as they are.
  const bool crlf = end > 0 && text[end - 1] == '\r';
  return first + (crlf ? "\r" : "") + text.substr(end);
}

void fWriteWindowMode(bool windowed) {
  const std::string text = fFileExists(kConfigFile) ? fReadWholeFile(kConfigFile) : std::string();
  fWriteWholeFile(kConfigFile, fWithWindowMode(text, windowed));
}
