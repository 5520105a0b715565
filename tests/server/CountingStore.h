// A store that counts the list queries reaching the real store underneath:
// for tests of the list cache.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/IRankingStore.h"

class CCountingStore : public IRankingStore {
 public:
  explicit CCountingStore(std::unique_ptr<IRankingStore> inner) : mInner(std::move(inner)) {}
  std::vector<SRankingEntry> fList(const std::string& mode) const override {
    ++mLists;
    return mInner->fList(mode);
  }
  bool fHasArchive(const std::string& hash) const override { return mInner->fHasArchive(hash); }
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) override { return mInner->fAdd(entry); }
  std::optional<std::string> fArchive(const std::string& mode, const std::string& key) const override {
    return mInner->fArchive(mode, key);
  }
  void fPing() const override { mInner->fPing(); }
  std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const override {
    return mInner->fUnnamedEntries(afterId, count);
  }
  std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const override {
    return mInner->fFindGame(gameId, openingId);
  }
  SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) override {
    return mInner->fNameEntry(id, gameId, openingId);
  }
  void fMarkUnplayable(long long id, const std::string& reason) override { mInner->fMarkUnplayable(id, reason); }
  // Lists are built on the service's store threads.
  mutable std::atomic<int> mLists = 0;

 private:
  std::unique_ptr<IRankingStore> mInner;
};
