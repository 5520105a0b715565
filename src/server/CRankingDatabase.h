// The ranking server's store: one SQLite file holding every accepted entry
// with its replay archive. Safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

struct SRankingEntry {
  std::string mode;
  std::string name;
  int score = 0;
  int maxRensa = 0;
  std::string replayKey;
  std::string date;
};

struct SNewRankingEntry {
  std::string mode;
  std::string name;
  int score = 0;
  int maxRensa = 0;
  std::string date;
  std::string archiveHash;  // SHA-256 hex of the archive: each is accepted once
  std::string archive;
};

struct SAddedEntry {
  std::string replayKey;
  int rank = 0;  // 1 + the entries of the mode with a higher score
};

class CRankingDatabase {
 public:
  // Opens the file, creating it and its tables when missing. Throws
  // CGameError when it cannot be opened or is not such a database.
  explicit CRankingDatabase(const std::string& path);
  ~CRankingDatabase();
  CRankingDatabase(const CRankingDatabase&) = delete;
  CRankingDatabase& operator=(const CRankingDatabase&) = delete;

  // Best score first; equal scores in the order they were registered.
  std::vector<SRankingEntry> fList(const std::string& mode) const;
  bool fHasArchive(const std::string& archiveHash) const;
  // Stores the entry under a new replay key; nothing when its archive is
  // already stored.
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry);
  // The stored archive of the mode's entry with that key.
  std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const;

 private:
  void fExecute(const char* sql) const;

  sqlite3* mDatabase = nullptr;
  mutable std::mutex mMutex;
};
