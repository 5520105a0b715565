#include "online/SRankingData.h"

#include <algorithm>
#include <charconv>

#include "util/Assert.h"

namespace {

constexpr std::size_t kEntryFields = 5;

}  // namespace

std::vector<std::string> fSplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::optional<std::int32_t> fParseDecimalInt(const std::string& text) {
  // from_chars also refuses "+", blanks and an empty text.
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::vector<SRankingData> fParseRankingList(const std::string& text) {
  std::vector<SRankingData> entries;
  for (const std::string& line : fSplitFields(text, '\n')) {
    const auto fields = fSplitFields(line, '?');
    if (fields.size() != kEntryFields) continue;
    const auto score = fParseDecimalInt(fields[1]);
    const auto maxRensa = fParseDecimalInt(fields[2]);
    if (!score || !maxRensa) continue;
    SRankingData entry;
    entry.name = fields[0];
    entry.score = *score;
    entry.maxRensa = *maxRensa;
    entry.replayName = fields[3];
    entry.date = fields[4];
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string fGroupDigits(int groupSize, const std::string& text) {
  PLIMO_ASSERT(groupSize > 0, "fGroupDigits needs a positive group size");
  const std::size_t length = text.size();
  const auto group = static_cast<std::size_t>(groupSize);
  std::string reversed;
  reversed.reserve(length + length / group);
  for (std::size_t i = length; i-- > 0;) {
    reversed += text[i];
    if (i != 0 && (length - i) % group == 0) reversed += ',';
  }
  std::reverse(reversed.begin(), reversed.end());
  return reversed;
}
