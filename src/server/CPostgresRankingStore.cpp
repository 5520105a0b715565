#include "server/CPostgresRankingStore.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "server/ConnectionPool.h"
#include "server/PostgresCall.h"
#include "server/PostgresStoreCall.h"
#include "server/RankingSql.h"
#include "util/Assert.h"

using namespace postgres_store;

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS entries ("
    " id BIGSERIAL PRIMARY KEY,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " max_rensa INTEGER NOT NULL,"
    " replay_key TEXT NOT NULL UNIQUE,"
    " date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL UNIQUE,"
    " archive BYTEA NOT NULL,"
    " game_id TEXT,"
    " opening_id TEXT,"
    " unplayable TEXT)";
constexpr const char* kCreateIndex = "CREATE INDEX IF NOT EXISTS entries_by_score ON entries (mode, score DESC, id)";
// One entry a game, whatever archive carried it; a database written before
// entries had game ids gets the column (NULL until the server names them).
// A database written by an earlier server gets the columns it lacks.
constexpr const char* kAddColumns =
    "ALTER TABLE entries ADD COLUMN IF NOT EXISTS game_id TEXT, ADD COLUMN IF NOT EXISTS opening_id TEXT,"
    " ADD COLUMN IF NOT EXISTS unplayable TEXT";
constexpr const char* kCreateGameIndex = "CREATE UNIQUE INDEX IF NOT EXISTS entries_by_game ON entries (game_id)";
// One entry a family of games that open alike: a copy changed near its end.
constexpr const char* kCreateOpeningIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS entries_by_opening ON entries (opening_id)";
constexpr const char* kAddCopyOf =
    "ALTER TABLE set_aside_entries ADD COLUMN IF NOT EXISTS copy_of BIGINT, ADD COLUMN IF NOT EXISTS opening_id TEXT,"
    " ADD COLUMN IF NOT EXISTS reason TEXT";
// Later copies of a game found among entries stored before games had ids:
// out of the ranking, but kept.
constexpr const char* kCreateSetAside =
    "CREATE TABLE IF NOT EXISTS set_aside_entries ("
    " id BIGINT PRIMARY KEY,"
    " mode TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " max_rensa INTEGER NOT NULL,"
    " replay_key TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL,"
    " archive BYTEA NOT NULL,"
    " game_id TEXT NOT NULL,"
    " copy_of BIGINT)";
// Two servers starting at once may both try to create the table.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7261001)";
// A pause between failed connects: calls meanwhile fail at once.
constexpr auto kReconnectPause = std::chrono::milliseconds(250);
// The count of each mode's entries, kept by the database on every insert
// and delete, whoever makes them; and a notice to every listening server
// process, sent when the change commits.
constexpr const char* kCreateCounts =
    "CREATE TABLE IF NOT EXISTS mode_counts (mode TEXT PRIMARY KEY, entries BIGINT NOT NULL)";
constexpr const char* kFillCounts =
    "INSERT INTO mode_counts (mode, entries) SELECT mode, COUNT(*) FROM entries GROUP BY mode "
    "ON CONFLICT (mode) DO NOTHING";
// Once a statement, over the rows it inserted or deleted: a bulk load of a
// million rows counts them in one update, not a million updates of a row.
constexpr const char* kCountedInFunction =
    "CREATE OR REPLACE FUNCTION plimo_entries_added() RETURNS trigger LANGUAGE plpgsql AS $$ "
    "DECLARE changed RECORD; BEGIN "
    "FOR changed IN SELECT mode, COUNT(*) AS n FROM added GROUP BY mode LOOP "
    "INSERT INTO mode_counts (mode, entries) VALUES (changed.mode, changed.n) "
    "ON CONFLICT (mode) DO UPDATE SET entries = mode_counts.entries + EXCLUDED.entries; "
    "PERFORM pg_notify('plimo_entries', changed.mode); END LOOP; "
    "INSERT INTO score_counts (mode, score, entries) SELECT mode, score, COUNT(*) FROM added GROUP BY mode, score "
    "ON CONFLICT (mode, score) DO UPDATE SET entries = score_counts.entries + EXCLUDED.entries; "
    "RETURN NULL; END $$";
constexpr const char* kCountedOutFunction =
    "CREATE OR REPLACE FUNCTION plimo_entries_removed() RETURNS trigger LANGUAGE plpgsql AS $$ "
    "DECLARE changed RECORD; BEGIN "
    "FOR changed IN SELECT mode, COUNT(*) AS n FROM removed GROUP BY mode LOOP "
    "UPDATE mode_counts SET entries = entries - changed.n WHERE mode = changed.mode; "
    "PERFORM pg_notify('plimo_entries', changed.mode); END LOOP; "
    "UPDATE score_counts SET entries = score_counts.entries - gone.n "
    "FROM (SELECT mode, score, COUNT(*) AS n FROM removed GROUP BY mode, score) AS gone "
    "WHERE score_counts.mode = gone.mode AND score_counts.score = gone.score; "
    "RETURN NULL; END $$";
constexpr const char* kCountedInTrigger =
    "CREATE OR REPLACE TRIGGER entries_added AFTER INSERT ON entries REFERENCING NEW TABLE AS added "
    "FOR EACH STATEMENT EXECUTE FUNCTION plimo_entries_added()";
constexpr const char* kCountedOutTrigger =
    "CREATE OR REPLACE TRIGGER entries_removed AFTER DELETE ON entries REFERENCING OLD TABLE AS removed "
    "FOR EACH STATEMENT EXECUTE FUNCTION plimo_entries_removed()";
// The entries of each score, kept by the same triggers: an entry's place is
// the sum of the counts above its score (one row a score, not one an entry)
// and the few ties registered before it.
constexpr const char* kCreateScoreCounts =
    "CREATE TABLE score_counts (mode TEXT NOT NULL, score INTEGER NOT NULL, entries BIGINT NOT NULL, "
    "PRIMARY KEY (mode, score))";
constexpr const char* kFillScoreCounts =
    "INSERT INTO score_counts (mode, score, entries) SELECT mode, score, COUNT(*) FROM entries GROUP BY mode, score";
constexpr const char* kCreateChainIndex =
    "CREATE INDEX IF NOT EXISTS entries_by_chain ON entries (mode, max_rensa DESC, score DESC, id)";
constexpr const char* kCreateNameIndex =
    "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (mode, name, score DESC, id)";

// Each mode's seed of each day of the daily challenge: the first stored is
// the one every process serves.
constexpr const char* kCreateDailySeeds =
    "CREATE TABLE IF NOT EXISTS daily_seeds (day TEXT NOT NULL, mode TEXT NOT NULL, seed INTEGER NOT NULL, "
    "PRIMARY KEY (day, mode))";

// Inserts the entry and gives it its key, inside the caller's transaction;
// nothing (the transaction rolled back) when the database holds its archive
// or its game already.
std::optional<SAddedEntry> fInsertEntry(PGconn* connection, const SNewRankingEntry& entry, std::string& idText) {
  const std::string score = std::to_string(entry.score);
  const std::string maxRensa = std::to_string(entry.maxRensa);
  // The hash holds the key's place until the entry's number is known; the
  // unique constraint on it refuses a second copy of an archive, also
  // when another server process stored it a moment ago.
  const char* insertSql =
      "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive, game_id, "
      "opening_id) VALUES ($1, $2, $3::integer, $4::integer, $5, $6, $5, $7, $8, $9) RETURNING id";
  // No game id is NULL.
  std::vector<const char*> data{entry.mode.c_str(),        entry.name.c_str(), score.c_str(),
                                maxRensa.c_str(),          entry.archiveHash.c_str(), entry.date.c_str(),
                                entry.archive.data(),      entry.gameId.empty() ? nullptr : entry.gameId.c_str(),
                                entry.openingId.empty() ? nullptr : entry.openingId.c_str()};
  std::vector<int> lengths{0, 0, 0, 0, 0, 0, static_cast<int>(entry.archive.size()), 0, 0};
  std::vector<int> formats{0, 0, 0, 0, 0, 0, 1, 0, 0};
  CResult inserted = fRunRaw(connection, insertSql, 9, data.data(), lengths.data(), formats.data(), false, false);
  if (PQresultStatus(inserted.fGet()) != PGRES_TUPLES_OK) {
    const bool duplicate = fIsUniqueViolation(inserted.fGet());
    if (!duplicate) fFail(connection, "store an entry");
    fRun(connection, "ROLLBACK", {});
    return std::nullopt;
  }
  const long long id = std::stoll(inserted.fText(0, 0));
  SAddedEntry added;
  added.replayKey = fMakeReplayKey(id, entry.archiveHash);
  idText = std::to_string(id);
  fRun(connection, "UPDATE entries SET replay_key = $1 WHERE id = $2::bigint", {&added.replayKey, &idText});
  return added;
}

// Its place in the list: equal scores registered before it come first.
int fPlaceOf(PGconn* connection, const SNewRankingEntry& entry, const std::string& idText) {
  const std::string score = std::to_string(entry.score);
  return fRun(connection, fPlaceSql("$").c_str(), {&entry.mode, &score, &idText}).fInt(0, 0);
}

}  // namespace

thread_local CConnectionPool<pg_conn>::SSlot* postgres_store::tSlot = nullptr;

CPostgresRankingStore::CPostgresRankingStore(const std::string& connectionUri, SStoreTimeouts timeouts)
    : mUri(connectionUri), mTimeouts(timeouts), mPool(std::max(1, timeouts.connections)) {
  // The schema's set-up (and any change to it) may take its time.
  try {
    const CCall call(*this, CCall::EUse::Untimed);
    PGconn* connection = fConnection();
    fRun(connection, "BEGIN", {});
    fRun(connection, "SET LOCAL statement_timeout = 0", {});
    fRun(connection, kSchemaLock, {});
    fRun(connection, kCreateTable, {});
    fRun(connection, kCreateIndex, {});
    fRun(connection, kAddColumns, {});
    fRun(connection, kCreateGameIndex, {});
    fRun(connection, kCreateOpeningIndex, {});
    fRun(connection, kCreateSetAside, {});
    fRun(connection, kAddCopyOf, {});
    fRun(connection, kCreateChainIndex, {});
    fRun(connection, kCreateNameIndex, {});
    // Under the schema lock: the triggers come with the first count.
    fRun(connection, kCreateCounts, {});
    fRun(connection, kFillCounts, {});
    // Filled once, when new: the triggers keep it after.
    if (fRun(connection, "SELECT to_regclass('score_counts') IS NULL", {}).fText(0, 0) == "t") {
      fRun(connection, kCreateScoreCounts, {});
      fRun(connection, kFillScoreCounts, {});
    }
    fRun(connection, kCountedInFunction, {});
    fRun(connection, kCountedOutFunction, {});
    fRun(connection, kCountedInTrigger, {});
    fRun(connection, kCountedOutTrigger, {});
    fRun(connection, kCreateDailySeeds, {});
    fRun(connection, "COMMIT", {});
  } catch (const CGameError& error) {
    fCloseAll();
    throw CGameError(std::string("cannot use the PostgreSQL database as the ranking database: ") + error.what());
  }
}

CPostgresRankingStore::~CPostgresRankingStore() { fCloseAll(); }

void CPostgresRankingStore::fCloseAll() {
  for (auto& slot : mPool.fSlots()) {
    PQfinish(slot.connection);
    slot.connection = nullptr;
  }
  PQfinish(mHealthSlot.connection);
  mHealthSlot.connection = nullptr;
}

pg_conn* CPostgresRankingStore::fConnection() const {
  PLIMO_ASSERT(tSlot != nullptr, "a store call holds a connection");
  PGconn*& connection = tSlot->connection;
  if (connection != nullptr && PQstatus(connection) == CONNECTION_OK) {
    // Nothing arrives on an idle connection but the server's goodbye (it
    // restarted, or ended us): then a new one, before a statement fails.
    pollfd entry{PQsocket(connection), POLLIN, 0};
    if (::poll(&entry, 1, 0) == 0) return connection;
  }
  PQfinish(connection);
  connection = nullptr;
  {
    // Shared by every connection: one that just connected (the health
    // check's, say) ends the pause for all. A call whose deadline lies past
    // the pause waits it out and tries; the others fail at once.
    std::unique_lock lock(mRetryMutex);
    const Clock::time_point retryAfter = mRetryAfter;
    if (Clock::now() < retryAfter) {
      if (retryAfter >= tDeadline) throw CGameError("ranking database: unavailable (" + mLastFailure + ")");
      lock.unlock();
      std::this_thread::sleep_until(retryAfter);
    }
  }
  try {
    connection = fConnect(mUri, mTimeouts.connect);
    // Notices ("relation already exists, skipping") would land in the
    // request log.
    PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
    // A commit returns once the log is on the disk, whatever the server's
    // default; the session's time zone does not matter (dates are text). A
    // statement the server works on too long is ended there as well.
    fRun(connection, "SET synchronous_commit = on", {});
    const std::string timeout = std::to_string(mTimeouts.statement.count());
    fRun(connection, "SELECT set_config('statement_timeout', $1, false)", {&timeout});
  } catch (const CGameError& error) {
    PQfinish(connection);
    connection = nullptr;
    std::lock_guard lock(mRetryMutex);
    mLastFailure = error.what();
    mRetryAfter = Clock::now() + kReconnectPause;
    throw;
  }
  std::lock_guard lock(mRetryMutex);
  mRetryAfter = {};
  return connection;
}

bool CPostgresRankingStore::fHasArchive(const std::string& archiveHash) const {
  const CCall call(*this);
  return fRun(fConnection(), "SELECT 1 FROM entries WHERE archive_hash = $1", {&archiveHash}).fRows() > 0;
}

std::optional<SAddedEntry> CPostgresRankingStore::fAdd(const SNewRankingEntry& entry) {
  // A failure inside the transaction leaves the connection in it: the call
  // then drops the connection, and the server rolls the transaction back.
  const CCall call(*this);
  PGconn* connection = fConnection();
  fRun(connection, "BEGIN", {});
  std::string idText;
  auto added = fInsertEntry(connection, entry, idText);
  if (!added) return std::nullopt;
  added->rank = fPlaceOf(connection, entry, idText);
  fRun(connection, "COMMIT", {});
  return added;
}

std::optional<std::int32_t> CPostgresRankingStore::fDailySeed(const std::string& day, const std::string& mode) const {
  const CCall call(*this);
  const CResult result = fRun(fConnection(), "SELECT seed FROM daily_seeds WHERE day = $1 AND mode = $2", {&day, &mode});
  if (result.fRows() == 0) return std::nullopt;
  return result.fInt(0, 0);
}

std::int32_t CPostgresRankingStore::fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) {
  const CCall call(*this);
  PGconn* connection = fConnection();
  const std::string seed = std::to_string(drawn);
  // Two statements: the second's snapshot sees a seed another process
  // committed while the insert waited for it.
  fRun(connection, "INSERT INTO daily_seeds (day, mode, seed) VALUES ($1, $2, $3::integer) ON CONFLICT DO NOTHING",
       {&day, &mode, &seed});
  const CResult kept = fRun(connection, "SELECT seed FROM daily_seeds WHERE day = $1 AND mode = $2", {&day, &mode});
  if (kept.fRows() == 0) throw CGameError("ranking database: the day's seed was not kept");
  return kept.fInt(0, 0);
}

SBestAdded CPostgresRankingStore::fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) {
  const CCall call(*this);
  PGconn* connection = fConnection();
  fRun(connection, "BEGIN", {});
  // One upload of a name on a board at a time, across every process: the
  // look at its best and the insert see each other's.
  const std::string lockKey = entry.mode + "\n" + entry.name;
  fRun(connection, "SELECT pg_advisory_xact_lock(7261002, hashtext($1))", {&lockKey});
  const CResult best =
      fRun(connection, "SELECT MAX(score) FROM entries WHERE mode = $1 AND name = $2", {&entry.mode, &entry.name});
  if (!PQgetisnull(best.fGet(), 0, 0) && best.fInt(0, 0) >= entry.score) {
    fRun(connection, "ROLLBACK", {});
    return SBestAdded{SBestAdded::EOutcome::NotBetter, {}};
  }
  // The name's worse game leaves first: a better game of the same player
  // may open as that one did.
  fRun(connection,
       "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, archive, "
       "game_id, opening_id, reason) SELECT id, mode, name, score, max_rensa, replay_key, date, archive_hash, archive, "
       "COALESCE(game_id, ''), opening_id, $3 FROM entries WHERE mode = $1 AND name = $2",
       {&entry.mode, &entry.name, &replacedReason});
  fRun(connection, "DELETE FROM entries WHERE mode = $1 AND name = $2", {&entry.mode, &entry.name});
  std::string idText;
  // Another's game: the transaction rolls back, the worse game with it.
  auto added = fInsertEntry(connection, entry, idText);
  if (!added) return SBestAdded{SBestAdded::EOutcome::Copy, {}};
  added->rank = fPlaceOf(connection, entry, idText);
  fRun(connection, "COMMIT", {});
  return SBestAdded{SBestAdded::EOutcome::Added, *added};
}

std::optional<std::string> CPostgresRankingStore::fArchive(const std::string& mode, const std::string& replayKey) const {
  const CCall call(*this);
  const CResult result = fRun(fConnection(), "SELECT archive FROM entries WHERE mode = $1 AND replay_key = $2",
                              {&mode, &replayKey}, true);
  if (result.fRows() == 0) return std::nullopt;
  return result.fText(0, 0);
}

void CPostgresRankingStore::fPing() const {
  const CCall call(*this, CCall::EUse::Health);
  fRun(fConnection(), "SELECT 1", {});
}

std::optional<SStoredGame> CPostgresRankingStore::fFindGame(const std::string& gameId,
                                                            const std::string& openingId) const {
  const CCall call(*this);
  // Each of the two is unique: at most one entry each, found by its index.
  const CResult result = fRun(fConnection(),
                              "(SELECT id, mode, name, replay_key FROM entries WHERE game_id = $1) UNION ALL "
                              "(SELECT id, mode, name, replay_key FROM entries WHERE opening_id = $2) LIMIT 1",
                              {&gameId, &openingId});
  if (result.fRows() == 0) return std::nullopt;
  return SStoredGame{std::stoll(result.fText(0, 0)), result.fText(0, 1), result.fText(0, 2), result.fText(0, 3)};
}

std::vector<SUnnamedEntry> CPostgresRankingStore::fUnnamedEntries(long long afterId, std::size_t count) const {
  const CCall call(*this);
  const std::string after = std::to_string(afterId);
  const std::string limit = std::to_string(count);
  // Binary results: the id comes back as 8 big-endian bytes.
  const CResult result = fRun(fConnection(),
                              "SELECT id, archive FROM entries WHERE opening_id IS NULL AND unplayable IS NULL "
                              "AND id > $1::bigint ORDER BY id LIMIT $2::bigint",
                              {&after, &limit}, true);
  std::vector<SUnnamedEntry> entries;
  for (int row = 0; row < result.fRows(); ++row) {
    const std::string idBytes = result.fText(row, 0);
    long long id = 0;
    for (const char byte : idBytes) id = (id << 8) | static_cast<unsigned char>(byte);
    entries.push_back(SUnnamedEntry{id, result.fText(row, 1)});
  }
  return entries;
}

SNaming CPostgresRankingStore::fNameEntry(long long id, const std::string& gameId, const std::string& openingId) {
  PLIMO_ASSERT(!gameId.empty() && !openingId.empty(), "an entry is named by its game and its opening");
  const CCall call(*this);
  PGconn* connection = fConnection();
  const std::string idText = std::to_string(id);
  {
    const std::vector<const char*> data{gameId.c_str(), openingId.c_str(), idText.c_str()};
    const CResult named = fRunRaw(connection, "UPDATE entries SET game_id = $1, opening_id = $2 WHERE id = $3::bigint",
                                  3, data.data(), nullptr, nullptr, false, false);
    if (PQresultStatus(named.fGet()) == PGRES_COMMAND_OK) return SNaming{true, 0};
    if (!fIsUniqueViolation(named.fGet())) fFail(connection, "name an entry");
  }
  const CResult holder = fRun(connection,
                              "SELECT id FROM entries WHERE id != $3::bigint AND (game_id = $1 OR opening_id = $2) "
                              "ORDER BY id LIMIT 1",
                              {&gameId, &openingId, &idText});
  const std::string copyOf = holder.fRows() > 0 ? holder.fText(0, 0) : std::string("0");
  // A failure inside the transaction leaves the connection in it: the call
  // then drops the connection, and the server rolls the transaction back.
  fRun(connection, "BEGIN", {});
  fRun(connection,
       "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, archive, "
       "game_id, copy_of) SELECT id, mode, name, score, max_rensa, replay_key, date, archive_hash, archive, $1, "
       "$3::bigint FROM entries WHERE id = $2::bigint",
       {&gameId, &idText, &copyOf});
  fRun(connection, "DELETE FROM entries WHERE id = $1::bigint", {&idText});
  fRun(connection, "COMMIT", {});
  return SNaming{false, std::stoll(copyOf)};
}

void CPostgresRankingStore::fMarkUnplayable(long long id, const std::string& reason) {
  const CCall call(*this);
  const std::string idText = std::to_string(id);
  const std::string why = reason.empty() ? std::string("unplayable") : reason;
  fRun(fConnection(), "UPDATE entries SET unplayable = $1 WHERE id = $2::bigint", {&why, &idText});
}

bool CPostgresRankingStore::fSetAside(const std::string& replayKey, const std::string& reason) {
  const CCall call(*this);
  PGconn* connection = fConnection();
  fRun(connection, "BEGIN", {});
  const CResult copied = fRun(connection,
                              "INSERT INTO set_aside_entries (id, mode, name, score, max_rensa, replay_key, date, "
                              "archive_hash, archive, game_id, opening_id, reason) SELECT id, mode, name, score, "
                              "max_rensa, replay_key, date, archive_hash, archive, COALESCE(game_id, ''), opening_id, $2 "
                              "FROM entries WHERE replay_key = $1",
                              {&replayKey, &reason});
  if (std::string(PQcmdTuples(copied.fGet())) == "0") {
    fRun(connection, "ROLLBACK", {});
    return false;
  }
  fRun(connection, "DELETE FROM entries WHERE replay_key = $1", {&replayKey});
  fRun(connection, "COMMIT", {});
  return true;
}

bool CPostgresRankingStore::fRestore(const std::string& replayKey) {
  const CCall call(*this);
  PGconn* connection = fConnection();
  fRun(connection, "BEGIN", {});
  const std::vector<const char*> data{replayKey.c_str()};
  const CResult copied = fRunRaw(connection,
                                 "INSERT INTO entries (id, mode, name, score, max_rensa, replay_key, date, archive_hash, "
                                 "archive, game_id, opening_id) SELECT id, mode, name, score, max_rensa, replay_key, "
                                 "date, archive_hash, archive, NULLIF(game_id, ''), opening_id FROM set_aside_entries "
                                 "WHERE replay_key = $1",
                                 1, data.data(), nullptr, nullptr, false, false);
  if (PQresultStatus(copied.fGet()) != PGRES_COMMAND_OK) {
    // The connection is dropped with its transaction when the call ends.
    if (fIsUniqueViolation(copied.fGet())) throw CGameError("its game is listed again meanwhile: not restored");
    fFail(connection, "restore an entry");
  }
  if (std::string(PQcmdTuples(copied.fGet())) == "0") {
    fRun(connection, "ROLLBACK", {});
    return false;
  }
  fRun(connection, "DELETE FROM set_aside_entries WHERE replay_key = $1", {&replayKey});
  fRun(connection, "COMMIT", {});
  return true;
}
