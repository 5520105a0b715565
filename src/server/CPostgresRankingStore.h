// The shared store: the same entries in a PostgreSQL database, so that
// several server processes (on several machines) serve one ranking. A few
// connections serve the calls side by side, and the health check has one of
// its own; a change to the entries is announced to every process (NOTIFY). Every
// commit waits for the server's write-ahead log to reach its disk. Every
// call has a deadline (libpq in non-blocking mode, waited on with poll): a
// database that stopped answering costs a call its timeout, never more, and
// a lost connection is made again by a later call.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "server/ConnectionPool.h"
#include "server/IRankingStore.h"

struct pg_conn;

class CPostgresRankingStore : public IRankingStore {
 public:
  // Connects and creates the table when missing. Throws CGameError when
  // the database cannot be reached or used.
  explicit CPostgresRankingStore(const std::string& connectionUri, SStoreTimeouts timeouts = {});
  ~CPostgresRankingStore() override;
  CPostgresRankingStore(const CPostgresRankingStore&) = delete;
  CPostgresRankingStore& operator=(const CPostgresRankingStore&) = delete;

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
  // Holds the connection for one call, within the call's deadline.
  class CCall;

  // The call's connection, made again when it was lost.
  pg_conn* fConnection() const;

  void fCloseAll();

  std::string mUri;
  SStoreTimeouts mTimeouts;
  mutable CConnectionPool<pg_conn> mPool;
  // The health check's own connection: no call in hand delays it.
  mutable CConnectionPool<pg_conn>::SSlot mHealthSlot;
  mutable std::timed_mutex mHealthMutex;
  // After a failed connect, calls fail at once for a moment instead of
  // each waiting out the connect timeout again.
  mutable std::mutex mRetryMutex;
  mutable std::chrono::steady_clock::time_point mRetryAfter{};
  mutable std::string mLastFailure;
};
