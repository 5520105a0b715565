// The packed key log: it must give back exactly the bytes it was made from,
// read in any pieces, whether it could pack them or not.
#include "util/CCompactLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Words of 0 and 1 (little-endian), then `tail` loose bytes.
std::string fLogBytes(const std::vector<int>& words, const std::string& tail) {
  std::string bytes;
  for (int word : words) bytes += std::string{static_cast<char>(word), '\0', '\0', '\0'};
  return bytes + tail;
}

std::string fReadPieces(const CCompactLog& log, std::uint64_t from, std::size_t piece) {
  std::string out;
  std::vector<unsigned char> buffer(piece);
  for (std::uint64_t at = from;;) {
    const std::size_t got = log.fRead(at, buffer.data(), piece);
    if (got == 0) return out;
    out.append(reinterpret_cast<const char*>(buffer.data()), got);
    at += got;
  }
}

void fExpectSameBytes(const std::string& bytes) {
  const CCompactLog log(bytes);
  EXPECT_EQ(log.fSize(), bytes.size());
  EXPECT_EQ(log.fBytes(), bytes);
  // Every start and several piece sizes, word-aligned or not, across the
  // end of the packed words and into the tail.
  for (std::uint64_t from = 0; from <= bytes.size() + 1; ++from) {
    for (std::size_t piece : {1u, 3u, 4u, 8u, 112u}) {
      EXPECT_EQ(fReadPieces(log, from, piece), from < bytes.size() ? bytes.substr(from) : "")
          << "from " << from << " in pieces of " << piece;
    }
  }
}

TEST(CompactLog, PacksWordsOfZeroAndOneAndGivesBackEveryByte) {
  std::vector<int> words;
  for (int i = 0; i < 150; ++i) words.push_back(i % 7 == 0 || i % 64 == 63 ? 1 : 0);
  const std::string bytes = fLogBytes(words, std::string{'\x05', '\0', '\x01'});
  EXPECT_TRUE(CCompactLog(bytes).fIsPacked());
  fExpectSameBytes(bytes);
  fExpectSameBytes(fLogBytes(words, ""));
  fExpectSameBytes("");
}

TEST(CompactLog, KeepsBytesWithAnyOtherWordAsTheyAre) {
  for (const std::string& odd : {std::string{'\x02', '\0', '\0', '\0'}, std::string{'\x01', '\0', '\x01', '\0'},
                                std::string{'\0', '\0', '\0', '\x80'}}) {
    const std::string bytes = fLogBytes({1, 0, 1}, "") + odd + fLogBytes({0, 1}, "xy");
    EXPECT_FALSE(CCompactLog(bytes).fIsPacked());
    fExpectSameBytes(bytes);
  }
}

TEST(CompactLog, WholeWordsReadAsBitsAgreeWithTheBytesAndOnlyWhenPacked) {
  std::vector<int> words;
  for (int i = 0; i < 100; ++i) words.push_back(i % 3 == 0 ? 1 : 0);
  const std::string bytes = fLogBytes(words, "xy");  // a tail shorter than a word
  const CCompactLog log(bytes);
  bool bits[28] = {};
  for (std::uint64_t word = 0; word + 28 <= 100; word += 9) {
    ASSERT_TRUE(log.fReadWordBits(word * 4, 28, bits)) << word;
    for (std::size_t k = 0; k < 28; ++k) EXPECT_EQ(bits[k], bytes[(word + k) * 4] == 1) << word + k;
  }
  // Not a word's start, past the packed words, or a log kept as bytes: no answer.
  EXPECT_FALSE(log.fReadWordBits(2, 28, bits));
  EXPECT_FALSE(log.fReadWordBits(80 * 4, 28, bits));
  EXPECT_FALSE(CCompactLog(fLogBytes({2, 0, 1}, "")).fReadWordBits(0, 3, bits));
}

}  // namespace
