#include "server/CPostgresRankingStore.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "util/Assert.h"

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
constexpr const char* kAddCopyOf = "ALTER TABLE set_aside_entries ADD COLUMN IF NOT EXISTS copy_of BIGINT";
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

// One result, cleared when it goes out of scope.
class CResult {
 public:
  explicit CResult(PGresult* result) : mResult(result) {}
  ~CResult() { PQclear(mResult); }
  CResult(CResult&& other) noexcept : mResult(other.mResult) { other.mResult = nullptr; }
  CResult(const CResult&) = delete;
  CResult& operator=(const CResult&) = delete;
  CResult& operator=(CResult&&) = delete;
  PGresult* fGet() const { return mResult; }
  int fRows() const { return PQntuples(mResult); }
  std::string fText(int row, int column) const {
    return std::string(PQgetvalue(mResult, row, column), static_cast<std::size_t>(PQgetlength(mResult, row, column)));
  }
  int fInt(int row, int column) const { return std::stoi(fText(row, column)); }

 private:
  PGresult* mResult;
};

using Clock = std::chrono::steady_clock;

// The deadline of the store call running on this thread: every statement
// of the call waits on it. The schema's set-up has none.
thread_local Clock::time_point tDeadline = Clock::time_point::max();

// A pause between failed connects: calls meanwhile fail at once.
constexpr auto kReconnectPause = std::chrono::milliseconds(250);

std::string fErrorText(PGconn* connection) {
  std::string message = PQerrorMessage(connection);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return message;
}

[[noreturn]] void fFail(PGconn* connection, const char* what) {
  throw CGameError(std::string("ranking database: cannot ") + what + ": " + fErrorText(connection));
}

[[noreturn]] void fTimedOut(const char* what) {
  throw CGameError(std::string("ranking database: no answer in time to ") + what);
}

// Waits until the connection's socket can be read (or written), or the
// deadline passes: false then.
bool fWaitSocket(PGconn* connection, bool forWriting, Clock::time_point deadline) {
  pollfd entry{PQsocket(connection), static_cast<short>(POLLIN | (forWriting ? POLLOUT : 0)), 0};
  if (entry.fd < 0) return true;  // libpq reports the broken connection itself
  for (;;) {
    int wait = -1;
    if (deadline != Clock::time_point::max()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      wait = static_cast<int>(std::min<long long>(left, 60'000));
    }
    const int ready = ::poll(&entry, 1, wait);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return true;  // the next libpq call reports it
  }
}

// Runs a statement with text or binary parameters and checks that it
// worked; binaryResult asks for raw bytes back. Waits at most until the
// call's deadline: the connection is then left mid-statement, and the call
// drops it.
CResult fRunRaw(PGconn* connection, const char* sql, int count, const char* const* data, const int* lengths,
                const int* formats, bool binaryResult, bool checked = true) {
  if (PQsendQueryParams(connection, sql, count, nullptr, data, lengths, formats, binaryResult ? 1 : 0) == 0) {
    fFail(connection, "send a statement");
  }
  // A large archive may not fit the socket's buffer at once.
  for (;;) {
    const int flushed = PQflush(connection);
    if (flushed == 0) break;
    if (flushed < 0) fFail(connection, "send a statement");
    if (!fWaitSocket(connection, true, tDeadline)) fTimedOut("a statement");
    if (PQconsumeInput(connection) == 0) fFail(connection, "read an answer");
  }
  PGresult* last = nullptr;
  for (;;) {
    while (PQisBusy(connection) != 0) {
      if (!fWaitSocket(connection, false, tDeadline)) {
        PQclear(last);
        fTimedOut("a statement");
      }
      if (PQconsumeInput(connection) == 0) {
        PQclear(last);
        fFail(connection, "read an answer");
      }
    }
    PGresult* next = PQgetResult(connection);
    if (next == nullptr) break;
    PQclear(last);
    last = next;
  }
  if (last == nullptr) fFail(connection, "run a statement");
  CResult result(last);
  const ExecStatusType status = PQresultStatus(result.fGet());
  if (checked && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fFail(connection, "run a statement");
  return result;
}

CResult fRun(PGconn* connection, const char* sql, std::initializer_list<const std::string*> values,
             bool binaryResult = false) {
  std::vector<const char*> data;
  // Text parameters end with the zero byte std::string always has.
  for (const std::string* value : values) data.push_back(value->c_str());
  return fRunRaw(connection, sql, static_cast<int>(data.size()), data.data(), nullptr, nullptr, binaryResult);
}

// Connects without blocking, within the timeout.
PGconn* fConnect(const std::string& uri, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = std::min(tDeadline, Clock::now() + timeout);
  PGconn* connection = PQconnectStart(uri.c_str());
  if (connection == nullptr) throw CGameError("ranking database: out of memory connecting to PostgreSQL");
  try {
    PostgresPollingStatusType polling = PGRES_POLLING_WRITING;
    while (PQstatus(connection) != CONNECTION_BAD && polling != PGRES_POLLING_OK) {
      if (polling == PGRES_POLLING_FAILED) break;
      if (!fWaitSocket(connection, polling == PGRES_POLLING_WRITING, deadline)) fTimedOut("connect to PostgreSQL");
      polling = PQconnectPoll(connection);
    }
    if (PQstatus(connection) != CONNECTION_OK) fFail(connection, "connect to PostgreSQL");
    if (PQsetnonblocking(connection, 1) != 0) fFail(connection, "connect to PostgreSQL");
  } catch (...) {
    PQfinish(connection);
    throw;
  }
  return connection;
}

bool fIsUniqueViolation(PGresult* result) {
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  return state != nullptr && std::string(state) == "23505";
}

}  // namespace

// Takes the connection within the call's deadline, and drops it when the
// call ends with it mid-statement or mid-transaction (timed out, lost, or
// failed inside a transaction): the server rolls that back.
class CPostgresRankingStore::CCall {
 public:
  explicit CCall(const CPostgresRankingStore& store, bool timed = true) : mStore(store), mLock(store.mMutex, std::defer_lock) {
    tDeadline = timed ? Clock::now() + store.mTimeouts.statement : Clock::time_point::max();
    if (!timed) {
      mLock.lock();
    } else if (!mLock.try_lock_until(tDeadline)) {
      fTimedOut("wait for the connection");
    }
  }
  ~CCall() {
    PGconn*& connection = mStore.mConnection;
    if (connection != nullptr &&
        (PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE)) {
      PQfinish(connection);
      connection = nullptr;
    }
    tDeadline = Clock::time_point::max();
  }
  CCall(const CCall&) = delete;
  CCall& operator=(const CCall&) = delete;

 private:
  const CPostgresRankingStore& mStore;
  std::unique_lock<std::timed_mutex> mLock;
};

CPostgresRankingStore::CPostgresRankingStore(const std::string& connectionUri, SStoreTimeouts timeouts)
    : mUri(connectionUri), mTimeouts(timeouts) {
  // The schema's set-up (and any change to it) may take its time.
  const CCall call(*this, false);
  try {
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
    fRun(connection, "COMMIT", {});
  } catch (const CGameError& error) {
    PQfinish(mConnection);
    mConnection = nullptr;
    throw CGameError(std::string("cannot use the PostgreSQL database as the ranking database: ") + error.what());
  }
}

CPostgresRankingStore::~CPostgresRankingStore() { PQfinish(mConnection); }

pg_conn* CPostgresRankingStore::fConnection() const {
  if (mConnection != nullptr && PQstatus(mConnection) == CONNECTION_OK) {
    // Nothing arrives on an idle connection but the server's goodbye (it
    // restarted, or ended us): then a new one, before a statement fails.
    pollfd entry{PQsocket(mConnection), POLLIN, 0};
    if (::poll(&entry, 1, 0) == 0) return mConnection;
  }
  PQfinish(mConnection);
  mConnection = nullptr;
  if (Clock::now() < mRetryAfter) throw CGameError("ranking database: unavailable (" + mLastFailure + ")");
  try {
    mConnection = fConnect(mUri, mTimeouts.connect);
    // Notices ("relation already exists, skipping") would land in the
    // request log.
    PQsetNoticeProcessor(mConnection, [](void*, const char*) {}, nullptr);
    // A commit returns once the log is on the disk, whatever the server's
    // default; the session's time zone does not matter (dates are text). A
    // statement the server works on too long is ended there as well.
    fRun(mConnection, "SET synchronous_commit = on", {});
    const std::string timeout = std::to_string(mTimeouts.statement.count());
    fRun(mConnection, "SELECT set_config('statement_timeout', $1, false)", {&timeout});
  } catch (const CGameError& error) {
    PQfinish(mConnection);
    mConnection = nullptr;
    mLastFailure = error.what();
    mRetryAfter = Clock::now() + kReconnectPause;
    throw;
  }
  return mConnection;
}

std::vector<SRankingEntry> CPostgresRankingStore::fList(const std::string& mode) const {
  const CCall call(*this);
  const CResult result = fRun(fConnection(),
                              "SELECT name, score, max_rensa, replay_key, date FROM entries WHERE mode = $1 "
                              "ORDER BY score DESC, id ASC",
                              {&mode});
  std::vector<SRankingEntry> entries;
  entries.reserve(static_cast<std::size_t>(result.fRows()));
  for (int row = 0; row < result.fRows(); ++row) {
    SRankingEntry entry;
    entry.mode = mode;
    entry.name = result.fText(row, 0);
    entry.score = result.fInt(row, 1);
    entry.maxRensa = result.fInt(row, 2);
    entry.replayKey = result.fText(row, 3);
    entry.date = result.fText(row, 4);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool CPostgresRankingStore::fHasArchive(const std::string& archiveHash) const {
  const CCall call(*this);
  return fRun(fConnection(), "SELECT 1 FROM entries WHERE archive_hash = $1", {&archiveHash}).fRows() > 0;
}

std::optional<SAddedEntry> CPostgresRankingStore::fAdd(const SNewRankingEntry& entry) {
  const CCall call(*this);
  PGconn* connection = fConnection();
  fRun(connection, "BEGIN", {});
  try {
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
    const std::string idText = std::to_string(id);
    fRun(connection, "UPDATE entries SET replay_key = $1 WHERE id = $2::bigint", {&added.replayKey, &idText});
    const CResult higher =
        fRun(connection, "SELECT COUNT(*) FROM entries WHERE mode = $1 AND score > $2::integer", {&entry.mode, &score});
    added.rank = 1 + higher.fInt(0, 0);
    fRun(connection, "COMMIT", {});
    return added;
  } catch (...) {
    // The call drops a connection left inside the transaction: the server
    // rolls it back, and a new connection starts without it.
    throw;
  }
}

std::optional<std::string> CPostgresRankingStore::fArchive(const std::string& mode, const std::string& replayKey) const {
  const CCall call(*this);
  const CResult result = fRun(fConnection(), "SELECT archive FROM entries WHERE mode = $1 AND replay_key = $2",
                              {&mode, &replayKey}, true);
  if (result.fRows() == 0) return std::nullopt;
  return result.fText(0, 0);
}

void CPostgresRankingStore::fPing() const {
  const CCall call(*this);
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
