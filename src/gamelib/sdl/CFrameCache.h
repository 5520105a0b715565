// A cache whose entries live as long as they are used: an entry not looked
// up for more than keepFrames frames is dropped at the end of a frame. The
// text renderer keeps its rendered strings here, so a string drawn every
// frame is rendered once and memory stays bounded by what is on screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

template <typename TValue>
class CFrameCache {
 public:
  explicit CFrameCache(int keepFrames) : mKeepFrames(static_cast<std::uint64_t>(keepFrames)) {}

  // The entry for key, marked as used in this frame; null when absent.
  TValue* fFind(const std::string& key) {
    auto it = mEntries.find(key);
    if (it == mEntries.end()) return nullptr;
    it->second.lastUsed = mFrame;
    return &it->second.value;
  }

  TValue& fInsert(const std::string& key, TValue value) {
    auto [it, inserted] = mEntries.insert_or_assign(key, SEntry{std::move(value), mFrame});
    return it->second.value;
  }

  void fEndFrame() {
    ++mFrame;
    std::erase_if(mEntries, [this](const auto& entry) { return mFrame - entry.second.lastUsed > mKeepFrames; });
  }

  void fClear() { mEntries.clear(); }
  std::size_t fSize() const { return mEntries.size(); }

 private:
  struct SEntry {
    TValue value;
    std::uint64_t lastUsed;
  };
  std::unordered_map<std::string, SEntry> mEntries;
  std::uint64_t mFrame = 0;
  std::uint64_t mKeepFrames;
};
