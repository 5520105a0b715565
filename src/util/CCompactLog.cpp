#include "util/CCompactLog.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kWordBytes = 4;

}  // namespace

CCompactLog::CCompactLog(const std::string& bytes) : mSize(bytes.size()) {
  const std::uint64_t words = bytes.size() / kWordBytes;
  std::vector<std::uint64_t> bits((words + 63) / 64, 0);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::uint64_t i = 0; i < words; ++i) {
    const unsigned char* word = data + i * kWordBytes;
    if (word[1] != 0 || word[2] != 0 || word[3] != 0 || word[0] > 1) {
      mRest = bytes;  // not a log of 0s and 1s: kept whole
      return;
    }
    if (word[0] == 1) bits[i / 64] |= std::uint64_t{1} << (i % 64);
  }
  mBits = std::move(bits);
  mWords = words;
  mRest = bytes.substr(words * kWordBytes);
  mPacked = true;
}

CCompactLog::CBuilder::CBuilder() { mLog.mPacked = true; }

bool CCompactLog::CBuilder::fPackWord(const unsigned char* word) {
  if (word[1] != 0 || word[2] != 0 || word[3] != 0 || word[0] > 1) return false;
  const std::uint64_t i = mLog.mWords;
  if (i % 64 == 0) mLog.mBits.push_back(0);
  if (word[0] == 1) mLog.mBits.back() |= std::uint64_t{1} << (i % 64);
  ++mLog.mWords;
  return true;
}

void CCompactLog::CBuilder::fKeepAsBytes() {
  std::string bytes = mLog.fBytes();  // mSize counts the partial word in mRest too
  mLog.mBits = {};
  mLog.mWords = 0;
  mLog.mRest = std::move(bytes);
  mLog.mPacked = false;
}

void CCompactLog::CBuilder::fAppend(const char* bytes, std::size_t size) {
  if (!mLog.mPacked) {
    mLog.mRest.append(bytes, size);
    mLog.mSize += size;
    return;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t at = 0;
  // First the word begun by the last piece, if any.
  if (!mLog.mRest.empty()) {
    const std::size_t take = std::min(kWordBytes - mLog.mRest.size(), size);
    mLog.mRest.append(bytes, take);
    mLog.mSize += take;
    at = take;
    if (mLog.mRest.size() < kWordBytes) return;
    if (!fPackWord(reinterpret_cast<const unsigned char*>(mLog.mRest.data()))) {
      fKeepAsBytes();
      fAppend(bytes + at, size - at);
      return;
    }
    mLog.mRest.clear();
  }
  for (; at + kWordBytes <= size; at += kWordBytes) {
    if (!fPackWord(data + at)) {
      fKeepAsBytes();
      fAppend(bytes + at, size - at);
      return;
    }
    mLog.mSize += kWordBytes;
  }
  mLog.mRest.append(bytes + at, size - at);
  mLog.mSize += size - at;
}

CCompactLog CCompactLog::CBuilder::fFinish() {
  // Grown by doubling: up to half the capacity would stay unused for as long
  // as the replay plays.
  mLog.mBits.shrink_to_fit();
  CCompactLog log = std::move(mLog);
  mLog = CCompactLog();
  mLog.mPacked = true;
  return log;
}

std::size_t CCompactLog::fRead(std::uint64_t position, unsigned char* out, std::size_t count) const {
  if (position >= mSize) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, mSize - position));
  if (!mPacked) {
    std::memcpy(out, mRest.data() + position, n);
    return n;
  }
  const std::uint64_t packedBytes = mWords * kWordBytes;
  std::size_t i = 0;
  // Whole words from a word's start (every frame of a key log): a bit each.
  if (position % kWordBytes == 0) {
    std::memset(out, 0, n);
    for (; i + kWordBytes <= n && position + i + kWordBytes <= packedBytes; i += kWordBytes) {
      if (fBit((position + i) / kWordBytes)) out[i] = 1;
    }
  }
  for (; i < n; ++i) {
    const std::uint64_t at = position + i;
    if (at < packedBytes) {
      out[i] = at % kWordBytes == 0 && fBit(at / kWordBytes) ? 1 : 0;
    } else {
      out[i] = static_cast<unsigned char>(mRest[static_cast<std::size_t>(at - packedBytes)]);
    }
  }
  return n;
}

bool CCompactLog::fReadWordBits(std::uint64_t position, std::size_t count, bool* out) const {
  if (!mPacked || position % kWordBytes != 0 || position / kWordBytes + count > mWords) return false;
  const std::uint64_t first = position / kWordBytes;
  for (std::size_t k = 0; k < count; ++k) out[k] = fBit(first + k);
  return true;
}

std::string CCompactLog::fBytes() const {
  std::string bytes(static_cast<std::size_t>(mSize), '\0');
  fRead(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
  return bytes;
}
