// Bytes made of 32-bit little-endian words that are almost all 0 or 1 (a
// key log: one word per key per frame), kept at one bit a word. A long
// game's key log is many megabytes as bytes and a few hundred kilobytes so.
// Reading gives back exactly the bytes it was made from; bytes with any
// other word are kept as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CCompactLog {
 public:
  class CBuilder;

  CCompactLog() = default;
  explicit CCompactLog(const std::string& bytes);

  std::uint64_t fSize() const { return mSize; }
  bool fIsPacked() const { return mPacked; }
  // Copies the bytes from `position` on, at most `count` of them, to `out`;
  // returns how many (none at or past the end).
  std::size_t fRead(std::uint64_t position, unsigned char* out, std::size_t count) const;
  // Every byte, as made.
  std::string fBytes() const;
  // Whether each of `count` whole words from byte `position` (a word's
  // start) is 1, a bool each, when all of them are packed; false (and
  // nothing written) otherwise. A key log's frame read in one go.
  bool fReadWordBits(std::uint64_t position, std::size_t count, bool* out) const;

  bool operator==(const CCompactLog&) const = default;

 private:
  bool fBit(std::uint64_t word) const { return ((mBits[word / 64] >> (word % 64)) & 1u) != 0; }

  std::vector<std::uint64_t> mBits;  // packed: bit i is word i
  std::string mRest;                 // packed: the bytes after the last whole word; else all of them
  std::uint64_t mWords = 0;          // whole words packed
  std::uint64_t mSize = 0;
  bool mPacked = false;
};

// Makes the same log as CCompactLog(bytes) from the bytes given piece by
// piece, in pieces of any size, so a key log being inflated never has to be
// held whole as bytes. Only when a word other than 0 or 1 turns up are the
// bytes so far rebuilt and kept as they are from then on.
class CCompactLog::CBuilder {
 public:
  CBuilder();
  void fAppend(const char* bytes, std::size_t size);
  std::uint64_t fSize() const { return mLog.mSize; }
  // The log made; the builder is left empty, ready for another.
  CCompactLog fFinish();

 private:
  // Packs one whole word; false (nothing packed) when it is neither 0 nor 1.
  bool fPackWord(const unsigned char* word);
  // Gives up packing: mLog.mRest becomes every byte so far.
  void fKeepAsBytes();

  CCompactLog mLog;  // while packing, mRest is the start of a word still to come
};
