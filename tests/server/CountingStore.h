// A store that counts the list builds reaching the real store underneath
// (each build counts the mode's entries once): for tests of the list cache.
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
  std::vector<SRankingEntry> fList(const std::string& mode) const override { return mInner->fList(mode); }
  std::vector<SRankingEntry> fRows(const std::string& mode, ERankingSort sort, long long offset,
                                   std::size_t count) const override {
    return mInner->fRows(mode, sort, offset, count);
  }
  std::vector<SRankingEntry> fRowsAfter(const std::string& mode, ERankingSort sort, const SRowKey& after, bool forward,
                                        std::size_t count, long long skip) const override {
    return mInner->fRowsAfter(mode, sort, after, forward, count, skip);
  }
  long long fCount(const std::string& mode) const override {
    ++mLists;
    return mInner->fCount(mode);
  }
  std::vector<SPlacedEntry> fByName(const std::string& mode, const std::string& name, std::size_t count) const override {
    return mInner->fByName(mode, name, count);
  }
  std::unique_ptr<IStoreWatch> fWatch() const override { return mInner->fWatch(); }
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
  std::optional<std::int32_t> fDailySeed(const std::string& day, const std::string& mode) const override {
    return mInner->fDailySeed(day, mode);
  }
  std::int32_t fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) override {
    ++mSeedKeeps;
    return mInner->fKeepDailySeed(day, mode, drawn);
  }
  SBestAdded fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) override {
    return mInner->fAddBest(entry, replacedReason);
  }
  std::vector<SRankingEntry> fFind(const std::string& name, const std::string& replayKey) const override {
    return mInner->fFind(name, replayKey);
  }
  bool fSetAside(const std::string& replayKey, const std::string& reason) override {
    return mInner->fSetAside(replayKey, reason);
  }
  bool fRestore(const std::string& replayKey) override { return mInner->fRestore(replayKey); }
  // Lists are built on the service's store threads.
  mutable std::atomic<int> mLists = 0;
  // Seeds asked to be kept: a process asks once a day.
  std::atomic<int> mSeedKeeps = 0;

 private:
  std::unique_ptr<IRankingStore> mInner;
};
