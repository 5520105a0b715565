// The embedded store: one SQLite file, written with full synchronous
// commits so an answered upload survives a crash or a power cut.
#pragma once

#include <chrono>
#include <mutex>

#include "server/IRankingStore.h"

struct sqlite3;

class CSqliteRankingStore : public IRankingStore {
 public:
  // Opens the file, creating it and its tables when missing. Throws
  // CGameError when it cannot be opened or is not such a database. A call
  // waits at most busyTimeout for another process's lock on the file.
  explicit CSqliteRankingStore(const std::string& path,
                               std::chrono::milliseconds busyTimeout = std::chrono::milliseconds(5000));
  ~CSqliteRankingStore() override;
  CSqliteRankingStore(const CSqliteRankingStore&) = delete;
  CSqliteRankingStore& operator=(const CSqliteRankingStore&) = delete;

  std::vector<SRankingEntry> fList(const std::string& mode) const override;
  bool fHasArchive(const std::string& archiveHash) const override;
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) override;
  std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const override;
  void fPing() const override;
  std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const override;
  std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const override;
  SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) override;
  void fMarkUnplayable(long long id, const std::string& reason) override;

 private:
  void fExecute(const char* sql) const;

  sqlite3* mDatabase = nullptr;
  mutable std::mutex mMutex;
};
