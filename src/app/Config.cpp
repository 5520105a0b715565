#include "app/Config.h"

#include <vector>

#include "gamelib/FileSystem.h"

namespace {

constexpr const char* kConfigFile = "config.dat";
constexpr int kFlagLines = 3;

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

}  // namespace

SConfig fParseConfig(const std::string& text) {
  SConfig config;
  bool* flags[kFlagLines] = {&config.bWindowMode, &config.bSound, &config.bNoReserve};
  const auto lines = fSplitLines(text, kFlagLines);
  for (std::size_t i = 0; i < lines.size(); ++i) fApplyLine(lines[i], *flags[i]);
  return config;
}

SConfig fReadConfig() {
  if (!fFileExists(kConfigFile)) return SConfig{};
  return fParseConfig(fReadWholeFile(kConfigFile));
}
