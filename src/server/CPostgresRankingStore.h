// The shared store: the same entries in a PostgreSQL database, so that
// several server processes (on several machines) serve one ranking. Every
// commit waits for the server's write-ahead log to reach its disk. Every
// call has a deadline (libpq in non-blocking mode, waited on with poll): a
// database that stopped answering costs a call its timeout, never more, and
// a lost connection is made again by a later call.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

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
  bool fHasArchive(const std::string& archiveHash) const override;
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) override;
  std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const override;
  void fPing() const override;
  std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const override;
  std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const override;
  SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) override;
  void fMarkUnplayable(long long id, const std::string& reason) override;

 private:
  // Holds the connection for one call, within the call's deadline.
  class CCall;

  // The connection, made again when it was lost.
  pg_conn* fConnection() const;

  std::string mUri;
  SStoreTimeouts mTimeouts;
  mutable pg_conn* mConnection = nullptr;
  mutable std::timed_mutex mMutex;
  // After a failed connect, calls fail at once for a moment instead of
  // each waiting out the connect timeout again.
  mutable std::chrono::steady_clock::time_point mRetryAfter{};
  mutable std::string mLastFailure;
};
