#include "server/CSqliteRankingStore.h"

#include <sqlite3.h>

#include <cstdio>

#include "util/Assert.h"

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS entries ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " max_rensa INTEGER NOT NULL,"
    " replay_key TEXT NOT NULL UNIQUE,"
    " date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL UNIQUE,"
    " archive BLOB NOT NULL,"
    " game_id TEXT,"
    " opening_id TEXT,"
    " unplayable TEXT)";
constexpr const char* kCreateIndex = "CREATE INDEX IF NOT EXISTS entries_by_score ON entries (mode, score DESC, id)";
// One entry a game, whatever archive carried it. Entries stored before games
// had ids have none until the server names them; several NULLs are allowed.
constexpr const char* kCreateGameIndex = "CREATE UNIQUE INDEX IF NOT EXISTS entries_by_game ON entries (game_id)";
// One entry a family of games that open alike: a copy changed near its end.
constexpr const char* kCreateOpeningIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS entries_by_opening ON entries (opening_id)";
// Later copies of a game found among entries stored before games had ids:
// out of the ranking, but kept.
constexpr const char* kCreateSetAside =
    "CREATE TABLE IF NOT EXISTS set_aside_entries ("
    " id INTEGER PRIMARY KEY,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " max_rensa INTEGER NOT NULL,"
    " replay_key TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL,"
    " archive BLOB NOT NULL,"
    " game_id TEXT NOT NULL,"
    " copy_of INTEGER)";

// Columns added since the first schema, in the order they came.
constexpr const char* kAddedColumns[][3] = {
    {"entries", "game_id", "ALTER TABLE entries ADD COLUMN game_id TEXT"},
    {"entries", "opening_id", "ALTER TABLE entries ADD COLUMN opening_id TEXT"},
    {"entries", "unplayable", "ALTER TABLE entries ADD COLUMN unplayable TEXT"},
    {"set_aside_entries", "copy_of", "ALTER TABLE set_aside_entries ADD COLUMN copy_of INTEGER"},
};

// One prepared statement; values are always bound, never pasted into SQL.
class CStatement {
 public:
  CStatement(sqlite3* database, const char* sql) : mDatabase(database) {
    if (sqlite3_prepare_v2(database, sql, -1, &mStatement, nullptr) != SQLITE_OK) fFail("prepare");
  }
  ~CStatement() { sqlite3_finalize(mStatement); }
  CStatement(const CStatement&) = delete;
  CStatement& operator=(const CStatement&) = delete;

  CStatement& fBind(int index, const std::string& text) {
    fCheck(sqlite3_bind_text(mStatement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  CStatement& fBind(int index, long long value) {
    fCheck(sqlite3_bind_int64(mStatement, index, value));
    return *this;
  }
  // Empty text binds NULL.
  CStatement& fBindOrNull(int index, const std::string& text) {
    if (text.empty()) {
      fCheck(sqlite3_bind_null(mStatement, index));
      return *this;
    }
    return fBind(index, text);
  }
  CStatement& fBindBlob(int index, const std::string& bytes) {
    fCheck(sqlite3_bind_blob64(mStatement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is there; false when done.
  bool fStep() {
    const int status = sqlite3_step(mStatement);
    if (status == SQLITE_ROW) return true;
    if (status == SQLITE_DONE) return false;
    fFail("run");
  }
  // Runs to completion; the status, so callers can tell a broken constraint.
  int fRun() {
    int status;
    while ((status = sqlite3_step(mStatement)) == SQLITE_ROW) {
    }
    return status;
  }
  long long fInt(int column) const { return sqlite3_column_int64(mStatement, column); }
  std::string fText(int column) const {
    const auto* text = sqlite3_column_blob(mStatement, column);
    const int size = sqlite3_column_bytes(mStatement, column);
    return text == nullptr ? std::string() : std::string(static_cast<const char*>(text), static_cast<std::size_t>(size));
  }

 private:
  void fCheck(int status) {
    if (status != SQLITE_OK) fFail("bind a value to");
  }
  [[noreturn]] void fFail(const char* what) {
    throw CGameError(std::string("ranking database: cannot ") + what + " a statement: " + sqlite3_errmsg(mDatabase));
  }

  sqlite3* mDatabase;
  sqlite3_stmt* mStatement = nullptr;
};

// Rolls back unless committed, so a failed step leaves nothing half-done.
class CTransaction {
 public:
  explicit CTransaction(sqlite3* database) : mDatabase(database) {
    CStatement begin(database, "BEGIN IMMEDIATE");
    if (begin.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  }
  ~CTransaction() {
    if (!mCommitted) CStatement(mDatabase, "ROLLBACK").fRun();
  }
  CTransaction(const CTransaction&) = delete;
  CTransaction& operator=(const CTransaction&) = delete;
  void fCommit() {
    CStatement commit(mDatabase, "COMMIT");
    if (commit.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
    mCommitted = true;
  }

 private:
  sqlite3* mDatabase;
  bool mCommitted = false;
};

}  // namespace

CSqliteRankingStore::CSqliteRankingStore(const std::string& path, std::chrono::milliseconds busyTimeout) {
  const int status =
      sqlite3_open_v2(path.c_str(), &mDatabase, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (status != SQLITE_OK) {
    const std::string why = mDatabase != nullptr ? sqlite3_errmsg(mDatabase) : sqlite3_errstr(status);
    sqlite3_close(mDatabase);
    throw CGameError("cannot open the ranking database " + path + ": " + why);
  }
  sqlite3_busy_timeout(mDatabase, static_cast<int>(busyTimeout.count()));
  try {
    // Rollback journal with FULL sync: a commit is on the disk when it
    // returns, and a killed server leaves a journal SQLite rolls back.
    fExecute("PRAGMA journal_mode=DELETE");
    fExecute("PRAGMA synchronous=FULL");
    fExecute(kCreateTable);
    fExecute(kCreateIndex);
    fExecute(kCreateSetAside);
    // A database written by an earlier server gets the columns it lacks.
    for (const auto& [table, column, add] : kAddedColumns) {
      CStatement has(mDatabase, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
      has.fBind(1, std::string(table)).fBind(2, std::string(column));
      if (!has.fStep()) fExecute(add);
    }
    fExecute(kCreateGameIndex);
    fExecute(kCreateOpeningIndex);
  } catch (const CGameError& error) {
    sqlite3_close(mDatabase);
    throw CGameError("cannot use " + path + " as the ranking database: " + error.what());
  }
}

CSqliteRankingStore::~CSqliteRankingStore() { sqlite3_close(mDatabase); }

void CSqliteRankingStore::fExecute(const char* sql) const {
  CStatement statement(mDatabase, sql);
  if (statement.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
}

std::vector<SRankingEntry> CSqliteRankingStore::fList(const std::string& mode) const {
  std::lock_guard lock(mMutex);
  CStatement query(mDatabase,
                   "SELECT name, score, max_rensa, replay_key, date FROM entries WHERE mode = ?1 "
                   "ORDER BY score DESC, id ASC");
  query.fBind(1, mode);
  std::vector<SRankingEntry> entries;
  while (query.fStep()) {
    SRankingEntry entry;
    entry.mode = mode;
    entry.name = query.fText(0);
    entry.score = static_cast<int>(query.fInt(1));
    entry.maxRensa = static_cast<int>(query.fInt(2));
    entry.replayKey = query.fText(3);
    entry.date = query.fText(4);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool CSqliteRankingStore::fHasArchive(const std::string& archiveHash) const {
  std::lock_guard lock(mMutex);
  CStatement query(mDatabase, "SELECT 1 FROM entries WHERE archive_hash = ?1");
  query.fBind(1, archiveHash);
  return query.fStep();
}

std::optional<SAddedEntry> CSqliteRankingStore::fAdd(const SNewRankingEntry& entry) {
  std::lock_guard lock(mMutex);
  CTransaction transaction(mDatabase);
  // The hash is unique too, so it holds the key's place until the entry's
  // number is known; a second copy of an archive breaks that constraint.
  CStatement insert(mDatabase,
                    "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive, game_id, "
                    "opening_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?5, ?7, ?8, ?9)");
  insert.fBind(1, entry.mode).fBind(2, entry.name).fBind(3, static_cast<long long>(entry.score));
  insert.fBind(4, static_cast<long long>(entry.maxRensa)).fBind(5, entry.archiveHash).fBind(6, entry.date);
  insert.fBindBlob(7, entry.archive).fBindOrNull(8, entry.gameId).fBindOrNull(9, entry.openingId);
  const int inserted = insert.fRun();
  if (inserted == SQLITE_CONSTRAINT) return std::nullopt;
  if (inserted != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
  const long long id = sqlite3_last_insert_rowid(mDatabase);

  SAddedEntry added;
  added.replayKey = fMakeReplayKey(id, entry.archiveHash);
  CStatement setKey(mDatabase, "UPDATE entries SET replay_key = ?1 WHERE id = ?2");
  setKey.fBind(1, added.replayKey).fBind(2, id);
  if (setKey.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));

  {
    CStatement higher(mDatabase, "SELECT COUNT(*) FROM entries WHERE mode = ?1 AND score > ?2");
    higher.fBind(1, entry.mode).fBind(2, static_cast<long long>(entry.score));
    higher.fStep();
    added.rank = 1 + static_cast<int>(higher.fInt(0));
  }
  transaction.fCommit();
  return added;
}

void CSqliteRankingStore::fPing() const {
  std::lock_guard lock(mMutex);
  fExecute("SELECT 1");
}

std::optional<std::string> CSqliteRankingStore::fArchive(const std::string& mode, const std::string& replayKey) const {
  std::lock_guard lock(mMutex);
  CStatement query(mDatabase, "SELECT archive FROM entries WHERE mode = ?1 AND replay_key = ?2");
  query.fBind(1, mode).fBind(2, replayKey);
  if (!query.fStep()) return std::nullopt;
  return query.fText(0);
}

std::optional<SStoredGame> CSqliteRankingStore::fFindGame(const std::string& gameId,
                                                          const std::string& openingId) const {
  std::lock_guard lock(mMutex);
  // Each of the two is unique: at most one entry each, found by its index.
  CStatement query(mDatabase,
                   "SELECT id, mode, name, replay_key FROM entries WHERE game_id = ?1 "
                   "UNION ALL SELECT id, mode, name, replay_key FROM entries WHERE opening_id = ?2 LIMIT 1");
  query.fBind(1, gameId).fBind(2, openingId);
  if (!query.fStep()) return std::nullopt;
  return SStoredGame{query.fInt(0), query.fText(1), query.fText(2), query.fText(3)};
}

std::vector<SUnnamedEntry> CSqliteRankingStore::fUnnamedEntries(long long afterId, std::size_t count) const {
  std::lock_guard lock(mMutex);
  CStatement query(mDatabase,
                   "SELECT id, archive FROM entries WHERE opening_id IS NULL AND unplayable IS NULL AND id > ?1 "
                   "ORDER BY id LIMIT ?2");
  query.fBind(1, afterId).fBind(2, static_cast<long long>(count));
  std::vector<SUnnamedEntry> entries;
  while (query.fStep()) entries.push_back(SUnnamedEntry{query.fInt(0), query.fText(1)});
  return entries;
}

SNaming CSqliteRankingStore::fNameEntry(long long id, const std::string& gameId, const std::string& openingId) {
  PLIMO_ASSERT(!gameId.empty() && !openingId.empty(), "an entry is named by its game and its opening");
  std::lock_guard lock(mMutex);
  CTransaction transaction(mDatabase);
  CStatement name(mDatabase, "UPDATE entries SET game_id = ?1, opening_id = ?2 WHERE id = ?3");
  name.fBind(1, gameId).fBind(2, openingId).fBind(3, id);
  const int named = name.fRun();
  if (named == SQLITE_DONE) {
    transaction.fCommit();
    return SNaming{true, 0};
  }
  if (named != SQLITE_CONSTRAINT) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
  // Only the failed statement was undone: the transaction goes on.
  CStatement holder(mDatabase,
                    "SELECT id FROM entries WHERE id != ?3 AND (game_id = ?1 OR opening_id = ?2) ORDER BY id LIMIT 1");
  holder.fBind(1, gameId).fBind(2, openingId).fBind(3, id);
  const long long copyOf = holder.fStep() ? holder.fInt(0) : 0;
  CStatement copy(mDatabase,
                  "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, game_id, copy_of) SELECT id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, ?1, ?2 FROM entries WHERE id = ?3");
  copy.fBind(1, gameId).fBind(2, copyOf).fBind(3, id);
  CStatement remove(mDatabase, "DELETE FROM entries WHERE id = ?1");
  remove.fBind(1, id);
  if (copy.fRun() != SQLITE_DONE || remove.fRun() != SQLITE_DONE) {
    throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
  }
  transaction.fCommit();
  return SNaming{false, copyOf};
}

void CSqliteRankingStore::fMarkUnplayable(long long id, const std::string& reason) {
  std::lock_guard lock(mMutex);
  CStatement mark(mDatabase, "UPDATE entries SET unplayable = ?1 WHERE id = ?2");
  mark.fBind(1, reason.empty() ? std::string("unplayable") : reason).fBind(2, id);
  if (mark.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
}
