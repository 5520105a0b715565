// Byte builders for archive tests: expected files are written the way the
// format describes them, not by calling the code under test.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

// "00 17 ff" -> the three bytes.
inline std::string fHex(const std::string& text) {
  std::istringstream in(text);
  std::string bytes;
  std::string pair;
  while (in >> pair) bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
  return bytes;
}

inline std::string fLe32(std::int64_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xff);
  return bytes;
}

// A string as the archive stores it: u32 count, then the characters.
inline std::string fArchived(const std::string& text) { return fLe32(static_cast<std::int64_t>(text.size())) + text; }

inline const std::string kOptionTag = "C8GameMenu11COptionInfo";
inline const std::string kHighScoreTag = "C8GameMenu14CHighScoreInfo";

// One CHighScoreInfo as a first-time tracked reference: 40 bytes.
inline std::string fScoreEntry(int score, int maxRensa, bool isRegistered) {
  return fHex("00") + fArchived(kHighScoreTag) + fLe32(score) + fLe32(maxRensa) + std::string(1, isRegistered ? 1 : 0);
}
