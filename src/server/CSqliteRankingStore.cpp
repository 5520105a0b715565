#include "server/CSqliteRankingStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "server/RankingSql.h"
#include "server/SqliteStatement.h"
#include "util/Assert.h"

namespace {

using sqlite_store::CStatement;
using sqlite_store::CTransaction;

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
    {"set_aside_entries", "opening_id", "ALTER TABLE set_aside_entries ADD COLUMN opening_id TEXT"},
    {"set_aside_entries", "reason", "ALTER TABLE set_aside_entries ADD COLUMN reason TEXT"},
};

// The count of each mode's entries, kept by the database itself on every
// insert and delete, whoever makes them: a page count reads no rows.
constexpr const char* kCreateCounts =
    "CREATE TABLE IF NOT EXISTS mode_counts (mode TEXT PRIMARY KEY, entries INTEGER NOT NULL)";
constexpr const char* kCountIn =
    "CREATE TRIGGER IF NOT EXISTS entries_counted_in AFTER INSERT ON entries BEGIN "
    "INSERT INTO mode_counts (mode, entries) VALUES (NEW.mode, 1) "
    "ON CONFLICT (mode) DO UPDATE SET entries = entries + 1; END";
constexpr const char* kCountOut =
    "CREATE TRIGGER IF NOT EXISTS entries_counted_out AFTER DELETE ON entries BEGIN "
    "UPDATE mode_counts SET entries = entries - 1 WHERE mode = OLD.mode; END";
// The entries of each score, kept the same way: an entry's place is the sum
// of the counts above its score (one row a score, not one an entry) and
// the few ties registered before it.
constexpr const char* kCreateScoreCounts =
    "CREATE TABLE IF NOT EXISTS score_counts (mode TEXT NOT NULL, score INTEGER NOT NULL, entries INTEGER NOT NULL, "
    "PRIMARY KEY (mode, score)) WITHOUT ROWID";
constexpr const char* kScoreIn =
    "CREATE TRIGGER IF NOT EXISTS entries_scored_in AFTER INSERT ON entries BEGIN "
    "INSERT INTO score_counts (mode, score, entries) VALUES (NEW.mode, NEW.score, 1) "
    "ON CONFLICT (mode, score) DO UPDATE SET entries = entries + 1; END";
constexpr const char* kScoreOut =
    "CREATE TRIGGER IF NOT EXISTS entries_scored_out AFTER DELETE ON entries BEGIN "
    "UPDATE score_counts SET entries = entries - 1 WHERE mode = OLD.mode AND score = OLD.score; END";
// The chain order's index, and a player's entries.
constexpr const char* kCreateChainIndex =
    "CREATE INDEX IF NOT EXISTS entries_by_chain ON entries (mode, max_rensa DESC, score DESC, id)";
constexpr const char* kCreateNameIndex = "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (mode, name, score DESC, id)";

// Each mode's seed of each day of the daily challenge: the first stored is
// the one every process serves.
constexpr const char* kCreateDailySeeds =
    "CREATE TABLE IF NOT EXISTS daily_seeds (day TEXT NOT NULL, mode TEXT NOT NULL, seed INTEGER NOT NULL, "
    "PRIMARY KEY (day, mode)) WITHOUT ROWID";

// A database of one connection's own (in memory, or a temporary file):
// other connections would each open a database of their own.
bool fIsPrivate(const std::string& path) { return path.empty() || path == ":memory:"; }

sqlite3* fOpen(const std::string& path, std::chrono::milliseconds busyTimeout) {
  sqlite3* database = nullptr;
  const int status =
      sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (status != SQLITE_OK) {
    const std::string why = database != nullptr ? sqlite3_errmsg(database) : sqlite3_errstr(status);
    sqlite3_close(database);
    throw CGameError("cannot open the ranking database " + path + ": " + why);
  }
  sqlite3_busy_timeout(database, static_cast<int>(busyTimeout.count()));
  return database;
}

void fExecute(sqlite3* database, const char* sql) {
  CStatement statement(database, sql);
  if (statement.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
}

SRankingEntry fEntryOf(const CStatement& row) {
  SRankingEntry entry;
  entry.id = row.fInt(0);
  entry.mode = row.fText(1);
  entry.name = row.fText(2);
  entry.score = static_cast<int>(row.fInt(3));
  entry.maxRensa = static_cast<int>(row.fInt(4));
  entry.replayKey = row.fText(5);
  entry.date = row.fText(6);
  return entry;
}

}  // namespace

// Takes a free connection within the busy timeout and gives it back.
class CSqliteRankingStore::CUse {
 public:
  explicit CUse(const CSqliteRankingStore& store) : mStore(store) {
    mSlot = store.mPool.fTake(std::chrono::steady_clock::now() + store.mBusyTimeout);
    if (mSlot == nullptr) throw CGameError("ranking database: no connection came free in time");
  }
  ~CUse() { mStore.mPool.fGive(mSlot); }
  CUse(const CUse&) = delete;
  CUse& operator=(const CUse&) = delete;
  sqlite3* fDatabase() const { return mSlot->connection; }

 private:
  const CSqliteRankingStore& mStore;
  CConnectionPool<sqlite3>::SSlot* mSlot = nullptr;
};

CSqliteRankingStore::CSqliteRankingStore(const std::string& path, std::chrono::milliseconds busyTimeout,
                                         int connections)
    : mPath(path), mBusyTimeout(busyTimeout), mPool(fIsPrivate(path) ? 1 : std::max(1, connections)) {
  try {
    for (auto& slot : mPool.fSlots()) {
      slot.connection = fOpen(path, busyTimeout);
      // A commit is on the disk when it returns.
      fExecute(slot.connection, "PRAGMA synchronous=FULL");
    }
    mHealth = fOpen(path, busyTimeout);
    fSetUpSchema(mPool.fSlots().front().connection);
  } catch (const CGameError& error) {
    for (auto& slot : mPool.fSlots()) sqlite3_close(slot.connection);
    sqlite3_close(mHealth);
    throw CGameError("cannot use " + path + " as the ranking database: " + error.what());
  }
}

void CSqliteRankingStore::fSetUpSchema(sqlite3* database) const {
  // Rollback journal with FULL sync: a killed server leaves a journal
  // SQLite rolls back.
  fExecute(database, "PRAGMA journal_mode=DELETE");
  CTransaction transaction(database);
  fExecute(database, kCreateTable);
  fExecute(database, kCreateIndex);
  fExecute(database, kCreateSetAside);
  // A database written by an earlier server gets the columns it lacks.
  for (const auto& [table, column, add] : kAddedColumns) {
    CStatement has(database, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    has.fBind(1, std::string(table)).fBind(2, std::string(column));
    if (!has.fStep()) fExecute(database, add);
  }
  fExecute(database, kCreateGameIndex);
  fExecute(database, kCreateOpeningIndex);
  fExecute(database, kCreateChainIndex);
  fExecute(database, kCreateNameIndex);
  // Counted once when the count table is new; the triggers keep it after.
  const bool counted = CStatement(database, "SELECT 1 FROM sqlite_master WHERE name = 'mode_counts'").fStep();
  fExecute(database, kCreateCounts);
  if (!counted) {
    fExecute(database, "INSERT INTO mode_counts (mode, entries) SELECT mode, COUNT(*) FROM entries GROUP BY mode");
  }
  fExecute(database, kCountIn);
  fExecute(database, kCountOut);
  const bool scored = CStatement(database, "SELECT 1 FROM sqlite_master WHERE name = 'score_counts'").fStep();
  fExecute(database, kCreateScoreCounts);
  if (!scored) {
    fExecute(database,
             "INSERT INTO score_counts (mode, score, entries) SELECT mode, score, COUNT(*) FROM entries GROUP BY mode, score");
  }
  fExecute(database, kScoreIn);
  fExecute(database, kScoreOut);
  fExecute(database, kCreateDailySeeds);
  transaction.fCommit();
}

CSqliteRankingStore::~CSqliteRankingStore() {
  for (auto& slot : mPool.fSlots()) sqlite3_close(slot.connection);
  sqlite3_close(mHealth);
}

std::vector<SRankingEntry> CSqliteRankingStore::fList(const std::string& mode) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(), (std::string("SELECT ") + kRankingColumns +
                                     " FROM entries WHERE mode = ?1 ORDER BY score DESC, id ASC").c_str());
  query.fBind(1, mode);
  std::vector<SRankingEntry> entries;
  while (query.fStep()) entries.push_back(fEntryOf(query));
  return entries;
}

std::vector<SRankingEntry> CSqliteRankingStore::fRows(const std::string& mode, ERankingSort sort, long long offset,
                                                      std::size_t count) const {
  const CUse use(*this);
  sqlite3* database = use.fDatabase();
  CStatement counted(database, "SELECT entries FROM mode_counts WHERE mode = ?1");
  counted.fBind(1, mode);
  const long long total = counted.fStep() ? counted.fInt(0) : 0;
  if (offset < 0 || offset >= total || count == 0) return {};
  // From the nearer end: a deep page is counted back from the last row. The
  // ids are found in the index alone; only the page's rows are read.
  const auto [fromEnd, skip, take] = fPageWindow(offset, static_cast<long long>(count), total);
  const std::string sql = std::string("SELECT ") + kRankingColumns +
                          " FROM entries WHERE id IN (SELECT id FROM entries WHERE mode = ?1 ORDER BY " +
                          fRankingOrder(sort, fromEnd) + " LIMIT ?2 OFFSET ?3) ORDER BY " + fRankingOrder(sort, false);
  CStatement query(database, sql.c_str());
  query.fBind(1, mode).fBind(2, take).fBind(3, skip);
  std::vector<SRankingEntry> entries;
  while (query.fStep()) entries.push_back(fEntryOf(query));
  return entries;
}

std::vector<SRankingEntry> CSqliteRankingStore::fRowsAfter(const std::string& mode, ERankingSort sort,
                                                           const SRowKey& after, bool forward,
                                                           std::size_t count, long long skip) const {
  const CUse use(*this);
  // The rows passed over are found in the index alone, as in fRows.
  const std::string sql = std::string("SELECT ") + kRankingColumns +
                          " FROM entries WHERE id IN (SELECT id FROM entries WHERE mode = ?1 AND " +
                          fRankingAfter(sort, forward, "?", 2) + " ORDER BY " + fRankingOrder(sort, !forward) +
                          " LIMIT ?9 OFFSET ?10) ORDER BY " + fRankingOrder(sort, !forward);
  CStatement query(use.fDatabase(), sql.c_str());
  query.fBind(1, mode).fBind(9, static_cast<long long>(count)).fBind(10, std::max(0LL, skip));
  int index = 2;
  for (const long long value : fRankingKeyValues(sort, after)) query.fBind(index++, value);
  std::vector<SRankingEntry> entries;
  while (query.fStep()) entries.push_back(fEntryOf(query));
  if (!forward) std::reverse(entries.begin(), entries.end());
  return entries;
}

long long CSqliteRankingStore::fCount(const std::string& mode) const {
  const CUse use(*this);
  CStatement counted(use.fDatabase(), "SELECT entries FROM mode_counts WHERE mode = ?1");
  counted.fBind(1, mode);
  return counted.fStep() ? counted.fInt(0) : 0;
}

std::vector<SPlacedEntry> CSqliteRankingStore::fByName(const std::string& mode, const std::string& name,
                                                       std::size_t count) const {
  const CUse use(*this);
  sqlite3* database = use.fDatabase();
  CStatement query(database, (std::string("SELECT ") + kRankingColumns +
                              " FROM entries WHERE mode = ?1 AND name = ?2 ORDER BY score DESC, id ASC LIMIT ?3")
                                 .c_str());
  query.fBind(1, mode).fBind(2, name).fBind(3, static_cast<long long>(count));
  std::vector<SPlacedEntry> placed;
  while (query.fStep()) placed.push_back(SPlacedEntry{0, fEntryOf(query)});
  std::vector<SRankingEntry> entries;
  for (const SPlacedEntry& entry : placed) entries.push_back(entry.entry);
  const std::vector<long long> places = fPlacesDownTheList(
      entries,
      [&](int above, int upTo) {
        CStatement summed(database, fScoresBetweenSql("?").c_str());
        summed.fBind(1, mode).fBind(2, static_cast<long long>(above)).fBind(3, static_cast<long long>(upTo));
        return summed.fStep() ? summed.fInt(0) : 0;
      },
      [&](int score, long long id) {
        CStatement counted(database, fEarlierTiesSql("?").c_str());
        counted.fBind(1, mode).fBind(2, static_cast<long long>(score)).fBind(3, id);
        return counted.fStep() ? counted.fInt(0) : 0;
      });
  for (std::size_t i = 0; i < placed.size(); ++i) placed[i].rank = places[i];
  return placed;
}


bool CSqliteRankingStore::fHasArchive(const std::string& archiveHash) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(), "SELECT 1 FROM entries WHERE archive_hash = ?1");
  query.fBind(1, archiveHash);
  return query.fStep();
}

namespace {

// Inserts the entry and gives it its key, inside the caller's transaction;
// nothing when the database holds its archive or its game already.
std::optional<SAddedEntry> fInsertEntry(sqlite3* database, const SNewRankingEntry& entry, long long& id) {
  // The hash is unique too, so it holds the key's place until the entry's
  // number is known; a second copy of an archive breaks that constraint.
  CStatement insert(database,
                    "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive, game_id, "
                    "opening_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?5, ?7, ?8, ?9)");
  insert.fBind(1, entry.mode).fBind(2, entry.name).fBind(3, static_cast<long long>(entry.score));
  insert.fBind(4, static_cast<long long>(entry.maxRensa)).fBind(5, entry.archiveHash).fBind(6, entry.date);
  insert.fBindBlob(7, entry.archive).fBindOrNull(8, entry.gameId).fBindOrNull(9, entry.openingId);
  const int inserted = insert.fRun();
  if (inserted == SQLITE_CONSTRAINT) return std::nullopt;
  if (inserted != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  id = sqlite3_last_insert_rowid(database);

  SAddedEntry added;
  added.replayKey = fMakeReplayKey(id, entry.archiveHash);
  CStatement setKey(database, "UPDATE entries SET replay_key = ?1 WHERE id = ?2");
  setKey.fBind(1, added.replayKey).fBind(2, id);
  if (setKey.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  return added;
}

// Its place in the list: equal scores registered before it come first.
int fPlaceOf(sqlite3* database, const SNewRankingEntry& entry, long long id) {
  CStatement higher(database, fPlaceSql("?").c_str());
  higher.fBind(1, entry.mode).fBind(2, static_cast<long long>(entry.score)).fBind(3, id);
  higher.fStep();
  return static_cast<int>(higher.fInt(0));
}

}  // namespace

std::optional<SAddedEntry> CSqliteRankingStore::fAdd(const SNewRankingEntry& entry) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CTransaction transaction(database);
  long long id = 0;
  auto added = fInsertEntry(database, entry, id);
  if (!added) return std::nullopt;
  added->rank = fPlaceOf(database, entry, id);
  transaction.fCommit();
  return added;
}

std::optional<std::int32_t> CSqliteRankingStore::fDailySeed(const std::string& day, const std::string& mode) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(), "SELECT seed FROM daily_seeds WHERE day = ?1 AND mode = ?2");
  query.fBind(1, day).fBind(2, mode);
  if (!query.fStep()) return std::nullopt;
  return static_cast<std::int32_t>(query.fInt(0));
}

std::int32_t CSqliteRankingStore::fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CTransaction transaction(database);
  CStatement insert(database, "INSERT INTO daily_seeds (day, mode, seed) VALUES (?1, ?2, ?3) ON CONFLICT DO NOTHING");
  insert.fBind(1, day).fBind(2, mode).fBind(3, static_cast<long long>(drawn));
  if (insert.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  CStatement query(database, "SELECT seed FROM daily_seeds WHERE day = ?1 AND mode = ?2");
  query.fBind(1, day).fBind(2, mode);
  if (!query.fStep()) throw CGameError("ranking database: the day's seed was not kept");
  const auto seed = static_cast<std::int32_t>(query.fInt(0));
  transaction.fCommit();
  return seed;
}

SBestAdded CSqliteRankingStore::fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  // BEGIN IMMEDIATE: the look at the name's best and the insert are one
  // writer's, whichever process uploads the same name meanwhile.
  CTransaction transaction(database);
  CStatement best(database, "SELECT MAX(score) FROM entries WHERE mode = ?1 AND name = ?2");
  best.fBind(1, entry.mode).fBind(2, entry.name);
  if (best.fStep() && !best.fIsNull(0) && best.fInt(0) >= entry.score) return SBestAdded{SBestAdded::EOutcome::NotBetter, {}};
  // The name's worse game leaves first: a better game of the same player
  // may open as that one did.
  CStatement copy(database,
                  "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, "
                  "archive, game_id, opening_id, reason) SELECT id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, COALESCE(game_id, ''), opening_id, ?3 FROM entries WHERE mode = ?1 AND name = ?2");
  copy.fBind(1, entry.mode).fBind(2, entry.name).fBind(3, replacedReason);
  CStatement remove(database, "DELETE FROM entries WHERE mode = ?1 AND name = ?2");
  remove.fBind(1, entry.mode).fBind(2, entry.name);
  if (copy.fRun() != SQLITE_DONE || remove.fRun() != SQLITE_DONE) {
    throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  }
  long long id = 0;
  // Another's game: the transaction rolls back, the worse game with it.
  auto added = fInsertEntry(database, entry, id);
  if (!added) return SBestAdded{SBestAdded::EOutcome::Copy, {}};
  added->rank = fPlaceOf(database, entry, id);
  transaction.fCommit();
  return SBestAdded{SBestAdded::EOutcome::Added, *added};
}

void CSqliteRankingStore::fPing() const {
  std::lock_guard lock(mHealthMutex);
  // A read of the file, as every call makes: a file gone or locked up fails.
  fExecute(mHealth, "SELECT COUNT(*) FROM sqlite_master");
}

std::optional<std::string> CSqliteRankingStore::fArchive(const std::string& mode, const std::string& replayKey) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(), "SELECT archive FROM entries WHERE mode = ?1 AND replay_key = ?2");
  query.fBind(1, mode).fBind(2, replayKey);
  if (!query.fStep()) return std::nullopt;
  return query.fText(0);
}

std::optional<SStoredGame> CSqliteRankingStore::fFindGame(const std::string& gameId,
                                                          const std::string& openingId) const {
  const CUse use(*this);
  // Each of the two is unique: at most one entry each, found by its index.
  CStatement query(use.fDatabase(),
                   "SELECT id, mode, name, replay_key FROM entries WHERE game_id = ?1 "
                   "UNION ALL SELECT id, mode, name, replay_key FROM entries WHERE opening_id = ?2 LIMIT 1");
  query.fBind(1, gameId).fBind(2, openingId);
  if (!query.fStep()) return std::nullopt;
  return SStoredGame{query.fInt(0), query.fText(1), query.fText(2), query.fText(3)};
}

std::vector<SUnnamedEntry> CSqliteRankingStore::fUnnamedEntries(long long afterId, std::size_t count) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(),
                   "SELECT id, archive FROM entries WHERE opening_id IS NULL AND unplayable IS NULL AND id > ?1 "
                   "ORDER BY id LIMIT ?2");
  query.fBind(1, afterId).fBind(2, static_cast<long long>(count));
  std::vector<SUnnamedEntry> entries;
  while (query.fStep()) entries.push_back(SUnnamedEntry{query.fInt(0), query.fText(1)});
  return entries;
}

SNaming CSqliteRankingStore::fNameEntry(long long id, const std::string& gameId, const std::string& openingId) {
  PLIMO_ASSERT(!gameId.empty() && !openingId.empty(), "an entry is named by its game and its opening");
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CTransaction transaction(database);
  CStatement name(database, "UPDATE entries SET game_id = ?1, opening_id = ?2 WHERE id = ?3");
  name.fBind(1, gameId).fBind(2, openingId).fBind(3, id);
  const int named = name.fRun();
  if (named == SQLITE_DONE) {
    transaction.fCommit();
    return SNaming{true, 0};
  }
  if (named != SQLITE_CONSTRAINT) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  // Only the failed statement was undone: the transaction goes on.
  CStatement holder(database,
                    "SELECT id FROM entries WHERE id != ?3 AND (game_id = ?1 OR opening_id = ?2) ORDER BY id LIMIT 1");
  holder.fBind(1, gameId).fBind(2, openingId).fBind(3, id);
  const long long copyOf = holder.fStep() ? holder.fInt(0) : 0;
  CStatement copy(database,
                  "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, game_id, copy_of) SELECT id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, ?1, ?2 FROM entries WHERE id = ?3");
  copy.fBind(1, gameId).fBind(2, copyOf).fBind(3, id);
  CStatement remove(database, "DELETE FROM entries WHERE id = ?1");
  remove.fBind(1, id);
  if (copy.fRun() != SQLITE_DONE || remove.fRun() != SQLITE_DONE) {
    throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  }
  transaction.fCommit();
  return SNaming{false, copyOf};
}

void CSqliteRankingStore::fMarkUnplayable(long long id, const std::string& reason) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CStatement mark(database, "UPDATE entries SET unplayable = ?1 WHERE id = ?2");
  mark.fBind(1, reason.empty() ? std::string("unplayable") : reason).fBind(2, id);
  if (mark.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
}

namespace {

// Any commit to the file by another connection, of this process or another,
// moves the file's data version: read on a connection that never writes.
class CSqliteWatch : public IStoreWatch {
 public:
  CSqliteWatch(const std::string& path, std::chrono::milliseconds busyTimeout) : mDatabase(fOpen(path, busyTimeout)) {
    mVersion = fVersion();
  }
  ~CSqliteWatch() override { sqlite3_close(mDatabase); }
  CSqliteWatch(const CSqliteWatch&) = delete;
  CSqliteWatch& operator=(const CSqliteWatch&) = delete;

  bool fWait(std::chrono::milliseconds timeout) override {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      long long version = -1;
      try {
        version = fVersion();
      } catch (const CGameError&) {
        return true;  // cannot tell: as if changed
      }
      if (version != mVersion) {
        mVersion = version;
        return true;
      }
      const auto left = until - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero()) return false;
      // A look costs a few microseconds and reads no table.
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kLookEvery));
    }
  }

 private:
  static constexpr std::chrono::milliseconds kLookEvery{50};

  long long fVersion() {
    CStatement version(mDatabase, "PRAGMA data_version");
    return version.fStep() ? version.fInt(0) : -1;
  }

  sqlite3* mDatabase;
  long long mVersion = -1;
};

}  // namespace

std::unique_ptr<IStoreWatch> CSqliteRankingStore::fWatch() const {
  return std::make_unique<CSqliteWatch>(mPath, mBusyTimeout);
}

std::vector<SRankingEntry> CSqliteRankingStore::fFind(const std::string& name, const std::string& replayKey) const {
  const CUse use(*this);
  CStatement query(use.fDatabase(), (std::string("SELECT ") + kRankingColumns +
                                     " FROM entries WHERE name = ?1 OR replay_key = ?2 UNION ALL SELECT id, mode, name, "
                                     "score, max_rensa, replay_key, date || ' (set aside)' FROM set_aside_entries "
                                     "WHERE name = ?1 OR replay_key = ?2 ORDER BY 2, 4 DESC, 1 LIMIT 100")
                                        .c_str());
  query.fBind(1, name).fBind(2, replayKey);
  std::vector<SRankingEntry> entries;
  while (query.fStep()) entries.push_back(fEntryOf(query));
  return entries;
}

bool CSqliteRankingStore::fSetAside(const std::string& replayKey, const std::string& reason) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CTransaction transaction(database);
  CStatement copy(database,
                  "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, "
                  "archive, game_id, opening_id, reason) SELECT id, mode, name, score, max_rensa, replay_key, date, "
                  "archive_hash, archive, COALESCE(game_id, ''), opening_id, ?2 FROM entries WHERE replay_key = ?1");
  copy.fBind(1, replayKey).fBind(2, reason);
  if (copy.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  if (sqlite3_changes(database) == 0) return false;
  CStatement remove(database, "DELETE FROM entries WHERE replay_key = ?1");
  remove.fBind(1, replayKey);
  if (remove.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  transaction.fCommit();
  return true;
}

bool CSqliteRankingStore::fRestore(const std::string& replayKey) {
  const CUse use(*this);
  sqlite3* const database = use.fDatabase();
  CTransaction transaction(database);
  CStatement copy(database,
                  "INSERT INTO entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, archive, "
                  "game_id, opening_id) SELECT id, mode, name, score, max_rensa, replay_key, date, archive_hash, "
                  "archive, NULLIF(game_id, ''), opening_id FROM set_aside_entries WHERE replay_key = ?1");
  copy.fBind(1, replayKey);
  const int copied = copy.fRun();
  if (copied == SQLITE_CONSTRAINT) throw CGameError("its game is listed again meanwhile: not restored");
  if (copied != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  if (sqlite3_changes(database) == 0) return false;
  CStatement remove(database, "DELETE FROM set_aside_entries WHERE replay_key = ?1");
  remove.fBind(1, replayKey);
  if (remove.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  transaction.fCommit();
  return true;
}
