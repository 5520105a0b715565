// The embedded store: one SQLite file, written with full synchronous
// commits so an answered upload survives a crash or a power cut. A few
// connections serve the calls side by side (readers share the file; a
// writer waits for the others' locks within the busy timeout), and the
// health check has one of its own.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>

#include "server/ConnectionPool.h"
#include "server/IRankingStore.h"

struct sqlite3;

class CSqliteRankingStore : public IRankingStore {
 public:
  // Opens the file, creating it and its tables when missing. Throws
  // CGameError when it cannot be opened or is not such a database. A call
  // waits at most busyTimeout for a connection and for another process's
  // lock on the file.
  explicit CSqliteRankingStore(const std::string& path,
                               std::chrono::milliseconds busyTimeout = std::chrono::milliseconds(5000),
                               int connections = 4);
  ~CSqliteRankingStore() override;
  CSqliteRankingStore(const CSqliteRankingStore&) = delete;
  CSqliteRankingStore& operator=(const CSqliteRankingStore&) = delete;

  std::vector<SRankingEntry> fList(const std::string& mode) const override;
  std::vector<SRankingEntry> fRows(const std::string& mode, ERankingSort sort, long long offset,
                                   std::size_t count) const override;
  std::vector<SRankingEntry> fRowsAfter(const std::string& mode, ERankingSort sort, const SRowKey& after, bool forward,
                                        std::size_t count, long long skip) const override;
  long long fCount(const std::string& mode) const override;
  std::vector<SPlacedEntry> fByName(const std::string& mode, const std::string& name, std::size_t count) const override;
  std::unique_ptr<IStoreWatch> fWatch() const override;
  bool fHasArchive(const std::string& archiveHash) const override;
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) override;
  std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const override;
  void fPing() const override;
  std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const override;
  std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const override;
  SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) override;
  void fMarkUnplayable(long long id, const std::string& reason) override;
  std::optional<std::int32_t> fDailySeed(const std::string& day, const std::string& mode) const override;
  std::int32_t fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) override;
  SBestAdded fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) override;
  std::vector<SRankingEntry> fFind(const std::string& name, const std::string& replayKey) const override;
  bool fSetAside(const std::string& replayKey, const std::string& reason) override;
  bool fRestore(const std::string& replayKey) override;

 private:
  // Holds a pool connection for one call.
  class CUse;

  void fSetUpSchema(sqlite3* database) const;

  std::string mPath;
  std::chrono::milliseconds mBusyTimeout;
  mutable CConnectionPool<sqlite3> mPool;
  sqlite3* mHealth = nullptr;
  mutable std::mutex mHealthMutex;
};
