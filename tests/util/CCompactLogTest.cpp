// The packed key log: it must give back exactly the bytes it was made from,
// read in any pieces, whether it could pack them or not.
#include "util/CCompactLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <utility>
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

// The builder, fed the same bytes in pieces, must make the very log the
// bytes make whole: packed or not, the same bits and the same tail.
namespace builder {

enum class EOdd { kNone, kFirstWord, kEarly, kLastWord, kInTail };

// `words` random words of 0 and 1, one odd word where `odd` says, then
// `tail` loose bytes (never all zero, so a tail is never mistaken for 0s).
std::string fRandomLog(std::mt19937& random, std::size_t words, std::size_t tail, EOdd odd) {
  static const std::uint32_t kOddWords[] = {2, 0x100, 0x10000, 0x80000000u, 0xffffffffu, 0x101};
  std::string bytes;
  bytes.reserve(words * 4 + tail);
  const int density = static_cast<int>(random() % 4);  // none down, few, half, most
  for (std::size_t i = 0; i < words; ++i) {
    const std::uint32_t roll = random();
    const bool down = density == 1 ? roll % 29 == 0 : density == 2 ? roll % 2 == 0 : density == 3 && roll % 5 != 0;
    bytes += std::string{static_cast<char>(down ? 1 : 0), '\0', '\0', '\0'};
  }
  std::size_t at = words;  // no odd word
  if (words > 0 && odd == EOdd::kFirstWord) at = 0;
  if (words > 0 && odd == EOdd::kEarly) at = std::min<std::size_t>(words - 1, 1 + random() % 5);
  if (words > 0 && odd == EOdd::kLastWord) at = words - 1;
  if (at < words) {
    const std::uint32_t word = kOddWords[random() % std::size(kOddWords)];
    for (std::size_t b = 0; b < 4; ++b) bytes[at * 4 + b] = static_cast<char>((word >> (8 * b)) & 0xff);
  }
  for (std::size_t i = 0; i < tail; ++i) {
    bytes += odd == EOdd::kInTail ? static_cast<char>(2 + random() % 250) : static_cast<char>(random() % 2);
  }
  return bytes;
}

CCompactLog fBuild(CCompactLog::CBuilder& builder, const std::string& bytes,
                   const std::function<std::size_t()>& nextPiece) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t piece = std::min(nextPiece(), bytes.size() - at);
    builder.fAppend(bytes.data() + at, piece);
    at += piece;
    EXPECT_EQ(builder.fSize(), at);
  }
  return builder.fFinish();
}

TEST(CompactLogBuilder, MakesTheLogTheWholeBytesMakeFromAnyPieces) {
  std::mt19937 random(20261208);
  // Word counts around a bit word (64) and past a 64 KiB piece (16384).
  const std::size_t wordCounts[] = {0, 1, 2, 63, 64, 65, 200, 16384 + 7, 50000};
  int packed = 0, kept = 0;
  for (const EOdd odd : {EOdd::kNone, EOdd::kFirstWord, EOdd::kEarly, EOdd::kLastWord, EOdd::kInTail}) {
    for (const std::size_t words : wordCounts) {
      for (const std::size_t tail : {0u, 1u, 3u}) {
        const std::string bytes = fRandomLog(random, words, tail, odd);
        const CCompactLog whole(bytes);
        (whole.fIsPacked() ? packed : kept) += 1;
        CCompactLog::CBuilder builder;
        const std::vector<std::pair<std::string, std::function<std::size_t()>>> pieces = {
            {"1..9", [&] { return static_cast<std::size_t>(1 + random() % 9); }},
            {"64 KiB", [] { return std::size_t{64 * 1024}; }},
            {"whole", [&] { return bytes.size(); }},
            {"mixed", [&] { return random() % 3 == 0 ? std::size_t{64 * 1024} : 1 + random() % 9; }},
        };
        // One builder for all: each fFinish leaves it ready for the next.
        for (const auto& [name, next] : pieces) {
          const CCompactLog built = fBuild(builder, bytes, next);
          SCOPED_TRACE(name + " pieces, " + std::to_string(words) + " words, tail " + std::to_string(tail) +
                       ", odd " + std::to_string(static_cast<int>(odd)));
          EXPECT_TRUE(built == whole);
          EXPECT_EQ(built.fIsPacked(), whole.fIsPacked());
          EXPECT_EQ(built.fSize(), bytes.size());
          EXPECT_EQ(built.fBytes(), bytes);
        }
      }
    }
  }
  // Both ways of keeping were made many times over.
  EXPECT_GT(packed, 50);
  EXPECT_GT(kept, 30);
}

TEST(CompactLogBuilder, AnOddWordSplitAcrossPiecesIsKeptWithEveryByteBeforeIt) {
  // Two packed words, then an odd word arriving a byte at a time after a
  // piece that ends inside it, then more words.
  const std::string bytes = fLogBytes({1, 0}, "") + std::string{'\x01', '\0'} + std::string{'\x01', '\0'} +
                            fLogBytes({1, 1, 0}, "z");
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    CCompactLog::CBuilder builder;
    builder.fAppend(bytes.data(), split);
    for (std::size_t at = split; at < bytes.size(); ++at) builder.fAppend(bytes.data() + at, 1);
    const CCompactLog built = builder.fFinish();
    EXPECT_FALSE(built.fIsPacked()) << split;
    EXPECT_EQ(built.fBytes(), bytes) << split;
    EXPECT_TRUE(built == CCompactLog(bytes)) << split;
  }
  // Nothing at all, or only empty pieces: the empty log the constructor makes.
  CCompactLog::CBuilder empty;
  EXPECT_TRUE(empty.fFinish() == CCompactLog(std::string()));
  empty.fAppend("", 0);
  const CCompactLog none = empty.fFinish();
  EXPECT_TRUE(none == CCompactLog(std::string()));
  EXPECT_TRUE(none.fIsPacked());
  EXPECT_EQ(none.fSize(), 0u);
}

}  // namespace builder

}  // namespace
