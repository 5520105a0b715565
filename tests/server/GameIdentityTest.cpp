// One game, one entry: a game is named by its mode, seed and the keys it
// was played with up to its end, so no re-packing of a registered game's
// archive registers it again, in either store, and databases written before
// entries were named get their names on start-up.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <zip.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayGame.h"
#include "replay/ReplayZip.h"
#include "server/CRankingService.h"
#include "server/DistinctGames.h"
#include "server/GameIdMigration.h"
#include "server/IRankingStore.h"
#include "server/Sha256.h"
#include "server/ServerProgram.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"
#include "support/KeyLogEdit.h"
#include "util/Assert.h"

namespace {

std::string fFixture(const std::string& name) { return fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/" + name); }

// The members packed again by libzip with the given deflate level, in the
// given order, with an archive comment when one is given.
std::string fRepack(std::vector<SArchiveMember> members, int level, bool reversed, const std::string& comment) {
  if (reversed) std::reverse(members.begin(), members.end());
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  PLIMO_ASSERT(archive != nullptr, "libzip opens an empty buffer");
  zip_source_keep(buffer);
  for (const SArchiveMember& member : members) {
    zip_source_t* bytes = zip_source_buffer(archive, member.mBytes.data(), member.mBytes.size(), 0);
    const zip_int64_t at = zip_file_add(archive, member.mName.c_str(), bytes, ZIP_FL_ENC_UTF_8);
    PLIMO_ASSERT(at >= 0, "libzip adds a member");
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(at), ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
  }
  if (!comment.empty()) zip_set_archive_comment(archive, comment.data(), static_cast<zip_uint16_t>(comment.size()));
  PLIMO_ASSERT(zip_close(archive) == 0, "libzip writes the archive");
  zip_source_open(buffer);
  zip_source_seek(buffer, 0, SEEK_END);
  const zip_int64_t size = zip_source_tell(buffer);
  zip_source_seek(buffer, 0, SEEK_SET);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(buffer);
  zip_source_free(buffer);
  return bytes;
}

// Where things happen in a recorded game, found by playing it.
struct SGameMarks {
  long long gameOver = 0;    // the log frame in which the end screen came
  long long toppingOut = 0;  // the log frame in which the top-out began
  std::vector<long long> spawns;  // log frames in which a piece came
  std::vector<long long> locks;   // log frames in which a piece came to rest
};

SGameMarks fMarks(const std::string& archive) {
  const SCheckedReplay replay = fCheckReplayArchive(archive, "x");
  CStageRules rules = fReplayRules(replay);
  CRecordedKeys keys = fReplayKeys(replay);
  rules.fAnimate();
  rules.fClearEvents();
  SGameMarks marks;
  for (long long frame = 0; keys.fHasWholeFrame(); ++frame) {
    if (!fPlayRecordedFrame(rules, keys)) break;
    for (const SRuleEvent& event : rules.fEvents()) {
      if (event.kind == ERuleEvent::GameOver || event.kind == ERuleEvent::StageClear) marks.gameOver = frame;
      if (event.kind == ERuleEvent::ToppingOut && marks.toppingOut == 0) marks.toppingOut = frame;
      if (event.kind == ERuleEvent::PieceSpawned) marks.spawns.push_back(frame);
      if (event.kind == ERuleEvent::PieceLocked) marks.locks.push_back(frame);
    }
    rules.fClearEvents();
  }
  return marks;
}

// The ways a copier changes a ranked game's archive, each a copy of the
// same play (or of its opening), with what it is.
std::vector<std::pair<std::string, std::string>> fHostileCopies(const std::string& archive) {
  using key_log_edit::SEditable;
  const SGameMarks marks = fMarks(archive);
  std::vector<std::pair<std::string, std::string>> copies;
  {
    SEditable copy(archive);
    copy.fInsertIdle(copy.fFrames() - 1, 60);  // before the confirming press
    copies.push_back({"60 idle frames on the end screen", copy.fPack()});
  }
  {
    SEditable copy(archive);
    copy.fInsertIdle(marks.toppingOut + 5, 30);
    copies.push_back({"30 idle frames while the box tops out", copy.fPack()});
  }
  {
    // Mid-play after the opening, where no key is held on either side: the
    // piece in play falls on a little longer, and the rest may go otherwise.
    SEditable copy(archive);
    long long at = marks.locks.at(CPlayRecord::kOpeningPlacements + 5) + 1;
    while (!copy.fIsIdle(at - 1) || !copy.fIsIdle(at)) ++at;
    copy.fInsertIdle(at, 20);
    copies.push_back({"20 idle frames in the middle of play", copy.fPack()});
  }
  {
    SEditable copy(archive);
    copy.fSetKey(100, EGameKey::KeyF5, true);
    copy.fSetKey(marks.gameOver + 2, EGameKey::Left, true);
    copies.push_back({"keys the rules ignore", copy.fPack()});
  }
  copies.push_back({"re-packed with a comment", fRepack(fReadZipMembers(archive, "x"), 9, true, "mine now")});
  {
    // The last pieces steered elsewhere: another end, the same score.
    const SReplayCheckResult original = fCheckReplayBytes(archive);
    for (std::size_t back = 1; back <= 6; ++back) {
      SEditable copy(archive);
      const long long spawn = marks.spawns[marks.spawns.size() - back];
      for (long long frame = spawn + 1; frame < spawn + 7; ++frame) copy.fSetKey(frame, EGameKey::Right, frame % 2 == 1);
      const std::string changed = copy.fPack();
      const SReplayCheckResult result = fCheckReplayBytes(changed);
      if (result.confirmed && result.score == original.score && result.gameId != original.gameId) {
        copies.push_back({"the last moves changed", changed});
        break;
      }
    }
  }
  return copies;
}

TEST(GameIdTest, AGameIsWhatWasPlayedNotHowItsLogWasWritten) {
  const std::string archive = fFixture("plimo_seed123.zip");
  const SReplayCheckResult played = fCheckReplayBytes(archive);
  ASSERT_TRUE(played.confirmed);
  EXPECT_EQ(played.gameId.size(), 64u);
  EXPECT_EQ(played.openingId.size(), 64u);
  EXPECT_GT(played.placements, CPlayRecord::kOpeningPlacements);
  EXPECT_EQ(fCheckReplayBytes(fFixture("plimo_seed123_past_end.zip")).gameId, played.gameId);
  const auto copies = fHostileCopies(archive);
  ASSERT_EQ(copies.size(), 6u) << "every kind of copy could be made";
  for (const auto& [what, copy] : copies) {
    const SReplayCheckResult result = fCheckReplayBytes(copy);
    EXPECT_TRUE(result.confirmed) << what;
    EXPECT_EQ(result.openingId, played.openingId) << what;
    // Changed moves make another game of the same opening; a shifted log
    // may too (the piece in play falls on while the inserted frames pass).
    if (what == "the last moves changed") {
      EXPECT_NE(result.gameId, played.gameId) << what;
      EXPECT_EQ(result.score, played.score) << what;
    } else if (what != "20 idle frames in the middle of play") {
      EXPECT_EQ(result.gameId, played.gameId) << what;
      EXPECT_EQ(result.placements, played.placements) << what;
      EXPECT_EQ(result.score, played.score) << what;
    }
  }
  // Other games: other modes, and the same keys on other seeds.
  EXPECT_NE(fCheckReplayBytes(fFixture("yoiko_seed456.zip")).openingId, played.openingId);
  EXPECT_NE(fCheckReplayBytes(fFixture("wanpaku_seed789.zip")).openingId, played.openingId);
  const CDistinctGames games(archive);
  for (int n = 1; n <= 2; ++n) {
    const SReplayCheckResult other = fCheckReplayBytes(games.fGame(n).archive);
    EXPECT_TRUE(other.confirmed);
    EXPECT_NE(other.gameId, played.gameId);
    EXPECT_NE(other.openingId, played.openingId);
  }
}

TEST(GameIdTest, ThePlayRecordKeepsPlacementsAndHoldsInOrder) {
  auto placed = [](int colour, int a, int b, int h) {
    return SRuleEvent{ERuleEvent::PieceLocked, 0, 1, colour, a, b, h};
  };
  CPlayRecord one;
  one.fFeed({placed(1, 0, 0, 0), SRuleEvent{ERuleEvent::BallLanded}, SRuleEvent{ERuleEvent::Held}});
  one.fFeed({placed(2, 1, 0, 0)});
  CPlayRecord other;
  other.fFeed({placed(1, 0, 0, 0), placed(2, 1, 0, 0)});
  EXPECT_EQ(one.fPlacements(), 2);
  EXPECT_NE(one.fPlay(), other.fPlay());  // the hold is part of the play
  EXPECT_EQ(fSharedPlacements(one.fPlay(), other.fPlay()), 1);
  EXPECT_EQ(fSharedPlacements(one.fPlay(), one.fPlay()), 2);
  // The opening stops growing at its length; the play goes on.
  CPlayRecord longer;
  for (int i = 0; i < CPlayRecord::kOpeningPlacements + 5; ++i) longer.fFeed({placed(i % 5, i % 3, 0, i / 3)});
  CPlayRecord changedEnd = longer;
  changedEnd.fFeed({placed(0, 2, 0, 9)});
  longer.fFeed({placed(1, 2, 0, 9)});
  EXPECT_EQ(longer.fOpening(), changedEnd.fOpening());
  EXPECT_NE(longer.fPlay(), changedEnd.fPlay());
  EXPECT_NE(fGameId("plimo", 1, longer.fPlay()), fGameId("plimo", 1, changedEnd.fPlay()));
  EXPECT_NE(fOpeningId("plimo", 1, longer.fOpening()), fOpeningId("plimo", 2, longer.fOpening()));
  EXPECT_NE(fOpeningId("plimo", 1, longer.fOpening()), fOpeningId("yoiko", 1, longer.fOpening()));
}

// Every hostile copy of a ranked game, under another name, is refused after
// a real check, and the log names the entry it copies; honest other games
// of the same seed's keys are not.
class GameIdServiceTest : public HeadlessTest {};

TEST_F(GameIdServiceTest, EveryCopyOfARankedGameIsRefusedAndTheOriginalStays) {
  const std::string archive = fFixture("plimo_seed123.zip");
  const std::string claim = "?20600?3";
  CServerProgram server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"),
                        {"--workers", "2", "--check-ms", "60000", "--check-memory-mb", "4096", "--upload-rate", "0"});
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  auto upload = [&](const std::string& name, const std::string& bytes, const std::string& claimed) {
    return CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?" + name + claimed, bytes).body;
  };
  EXPECT_EQ(upload("alice", archive, claim), "UploadSuccess?1");
  const auto copies = fHostileCopies(archive);
  ASSERT_EQ(copies.size(), 6u);
  for (const auto& [what, copy] : copies) {
    // Claimed as it plays, so only the copy rule stands in its way.
    const SReplayCheckResult result = fCheckReplayBytes(copy);
    const std::string claimed = "?" + std::to_string(result.score) + "?" + std::to_string(result.maxRensa);
    EXPECT_EQ(upload("mallory", copy, claimed), "UploadFailed?replay already registered") << what;
  }
  const CDistinctGames games(archive);
  const CDistinctGames::SGame other = games.fGame(1);
  EXPECT_EQ(upload("bob", other.archive, "?" + other.fClaim()).rfind("UploadSuccess?", 0), 0u);
  const std::string list = CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body;
  EXPECT_EQ(list.find("mallory"), std::string::npos) << list;
  EXPECT_EQ(list.rfind("alice?20600?3?", 0), 0u) << list;
  EXPECT_NE(list.find("bob?"), std::string::npos) << list;
  // Each refusal names the entry it copies: alice's, the first.
  server.fSignal(SIGTERM);
  EXPECT_EQ(server.fWaitExit(20'000), 0);
  const std::string log = server.fOutput();
  std::size_t named = 0;
  for (std::size_t at = log.find("copies entry 1 ("); at != std::string::npos; at = log.find("copies entry 1 (", at + 1)) {
    ++named;
  }
  EXPECT_EQ(named, copies.size()) << log;
  EXPECT_NE(log.find("by alice)"), std::string::npos) << log;
}

// The entries table as the server created it before entries were named by
// their game; a test writes such a database the way that server did.
constexpr const char* kOldSqliteTable =
    "CREATE TABLE entries (id INTEGER PRIMARY KEY AUTOINCREMENT, mode TEXT NOT NULL, name TEXT NOT NULL,"
    " score INTEGER NOT NULL, max_rensa INTEGER NOT NULL, replay_key TEXT NOT NULL UNIQUE, date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL UNIQUE, archive BLOB NOT NULL)";
constexpr const char* kOldPostgresTable =
    "CREATE TABLE entries (id BIGSERIAL PRIMARY KEY, mode TEXT NOT NULL, name TEXT NOT NULL,"
    " score INTEGER NOT NULL, max_rensa INTEGER NOT NULL, replay_key TEXT NOT NULL UNIQUE, date TEXT NOT NULL,"
    " archive_hash TEXT NOT NULL UNIQUE, archive BYTEA NOT NULL)";
constexpr const char* kOldIndex = "CREATE INDEX entries_by_score ON entries (mode, score DESC, id)";

struct SOldRow {
  std::string mode;
  std::string name;
  int score;
  int maxRensa;
  std::string archive;
};

// The previous server named entries by a hash of their keys: such a column,
// filled with ids of that kind, one a row.
constexpr const char* kPreviousColumn = "ALTER TABLE entries ADD COLUMN game_id TEXT";
constexpr const char* kPreviousIds = "UPDATE entries SET game_id = 'keys-' || id";

void fWriteOldSqlite(const std::string& path, const std::vector<SOldRow>& rows, bool previous) {
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(database, kOldSqliteTable, nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(database, kOldIndex, nullptr, nullptr, nullptr), SQLITE_OK);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SOldRow& row = rows[i];
    const std::string hash = fSha256Hex(row.archive);
    const std::string key = fMakeReplayKey(static_cast<long long>(i + 1), hash);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database,
                                 "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, "
                                 "archive) VALUES (?1, ?2, ?3, ?4, ?5, '2025/01/01 00:00:00', ?6, ?7)",
                                 -1, &insert, nullptr),
              SQLITE_OK);
    sqlite3_bind_text(insert, 1, row.mode.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 3, row.score);
    sqlite3_bind_int(insert, 4, row.maxRensa);
    sqlite3_bind_text(insert, 5, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 6, hash.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 7, row.archive.data(), static_cast<int>(row.archive.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
  }
  if (previous) {
    ASSERT_EQ(sqlite3_exec(database, kPreviousColumn, nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database, kPreviousIds, nullptr, nullptr, nullptr), SQLITE_OK);
  }
  sqlite3_close(database);
}

void fWriteOldPostgres(const std::string& uri, const std::vector<SOldRow>& rows, bool previous) {
  PGconn* connection = PQconnectdb(uri.c_str());
  ASSERT_EQ(PQstatus(connection), CONNECTION_OK) << PQerrorMessage(connection);
  for (const char* sql : {kOldPostgresTable, kOldIndex}) {
    PGresult* result = PQexec(connection, sql);
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
    PQclear(result);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SOldRow& row = rows[i];
    const std::string hash = fSha256Hex(row.archive);
    const std::string key = fMakeReplayKey(static_cast<long long>(i + 1), hash);
    const std::string score = std::to_string(row.score);
    const std::string maxRensa = std::to_string(row.maxRensa);
    const char* values[] = {row.mode.c_str(), row.name.c_str(), score.c_str(), maxRensa.c_str(),
                            key.c_str(),      hash.c_str(),     row.archive.data()};
    const int lengths[] = {0, 0, 0, 0, 0, 0, static_cast<int>(row.archive.size())};
    const int formats[] = {0, 0, 0, 0, 0, 0, 1};
    PGresult* result = PQexecParams(connection,
                                    "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, "
                                    "archive_hash, archive) VALUES ($1, $2, $3::integer, $4::integer, $5, "
                                    "'2025/01/01 00:00:00', $6, $7)",
                                    7, nullptr, values, lengths, formats, 0);
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
    PQclear(result);
  }
  if (previous) {
    for (const char* sql : {kPreviousColumn, kPreviousIds}) {
      PGresult* result = PQexec(connection, sql);
      EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
      PQclear(result);
    }
  }
  PQfinish(connection);
}

SNewRankingEntry fNamedEntry(const std::string& name, const std::string& archive, const std::string& gameId,
                             const std::string& openingId) {
  SNewRankingEntry entry;
  entry.mode = "plimo";
  entry.name = name;
  entry.score = 10;
  entry.date = "2025/01/01 00:00:00";
  entry.archive = archive;
  entry.archiveHash = fSha256Hex(archive);
  entry.gameId = gameId;
  entry.openingId = openingId;
  return entry;
}

class GameIdStoreTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mLocation = fTestStoreLocation(GetParam());
  }
  std::string mLocation;
};

// The database's constraints, not a look-up first: two stores on one
// database stand for two server processes.
TEST_P(GameIdStoreTest, OneEntryAGameAndAnOpeningAcrossServers) {
  const auto first = fOpenRankingStore(mLocation);
  const auto second = fOpenRankingStore(mLocation);
  const std::string a(64, 'a'), b(64, 'b'), c(64, 'c');
  EXPECT_TRUE(first->fAdd(fNamedEntry("one", "archive 1", a, a)).has_value());
  EXPECT_FALSE(second->fAdd(fNamedEntry("two", "archive 2", a, b)).has_value());  // the same game
  EXPECT_FALSE(first->fAdd(fNamedEntry("three", "archive 3", b, a)).has_value());  // the same opening
  EXPECT_TRUE(second->fAdd(fNamedEntry("four", "archive 4", b, b)).has_value());
  // Entries whose game is not known do not collide with each other.
  EXPECT_TRUE(first->fAdd(fNamedEntry("five", "archive 5", "", "")).has_value());
  EXPECT_TRUE(second->fAdd(fNamedEntry("six", "archive 6", "", "")).has_value());
  EXPECT_EQ(first->fList("plimo").size(), 4u);
  // The holder of a game or an opening is found by either.
  const auto holder = second->fFindGame(c, a);
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->name, "one");
  EXPECT_EQ(holder->mode, "plimo");
  EXPECT_EQ(second->fFindGame(b, c)->name, "four");
  EXPECT_FALSE(second->fFindGame(c, c).has_value());
  // A failed insert leaves no transaction open: the store goes on.
  EXPECT_TRUE(second->fAdd(fNamedEntry("seven", "archive 7", c, c)).has_value());
}

// A database written by an earlier server (without names, or with names of
// keys): on start-up every entry is named by what was played, the oldest of
// a family stays and later copies are set aside beside the entry they copy;
// an entry that cannot be played is marked and not tried again.
TEST_P(GameIdStoreTest, EarlierDatabasesAreNamedByWhatWasPlayedOnStartUp) {
  const std::string plimo = fFixture("plimo_seed123.zip");
  const auto copies = fHostileCopies(plimo);
  ASSERT_EQ(copies.size(), 6u);
  for (const bool previous : {false, true}) {
    SCOPED_TRACE(previous ? "named by keys" : "unnamed");
    const std::string location =
        !previous ? mLocation : GetParam() == "postgres" ? fTestStoreLocation("postgres") : fAbsolutePath("previous.db");
    std::vector<SOldRow> rows = {
        {"plimo", "first", 20600, 3, plimo},
        {"yoiko", "other", 12800, 2, fFixture("yoiko_seed456.zip")},
        {"plimo", "pastend", 20600, 3, fFixture("plimo_seed123_past_end.zip")},
        {"plimo", "broken", 1, 1, "not a zip"},
    };
    for (std::size_t i = 0; i < copies.size(); ++i) rows.push_back({"plimo", "copy" + std::to_string(i), 20600, 3, copies[i].second});
    if (GetParam() == "postgres") {
      fWriteOldPostgres(location, rows, previous);
    } else {
      fWriteOldSqlite(location, rows, previous);
    }
    CInProcessVerifier verifier;
    std::vector<std::string> log;
    const auto store = fOpenRankingStore(location);
    ASSERT_EQ(store->fList("plimo").size(), rows.size() - 1);
    const std::string firstKey = store->fList("plimo")[0].replayKey;
    const SGameIdMigration done =
        fNameStoredGames(*store, verifier, 3, [&](const std::string& line) { log.push_back(line); });
    EXPECT_EQ(done.named, 2);
    EXPECT_EQ(done.setAside, 1 + static_cast<int>(copies.size()));
    EXPECT_EQ(done.unplayable, 1);
    EXPECT_FALSE(done.stopped);
    const auto list = store->fList("plimo");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "first");
    EXPECT_EQ(list[0].replayKey, firstKey);
    EXPECT_EQ(list[1].name, "broken");  // listed as it was
    EXPECT_EQ(store->fArchive("plimo", firstKey), plimo);  // stored bytes unchanged
    EXPECT_EQ(store->fList("yoiko").size(), 1u);
    // Each copy is logged with the entry it copies: the first, entry 1.
    const auto copyLines = std::count_if(log.begin(), log.end(), [](const std::string& line) {
      return line.find("copies entry 1: set aside") != std::string::npos;
    });
    EXPECT_EQ(copyLines, done.setAside);

    // A second start finds nothing to do: the unplayable one is marked.
    const auto reopened = fOpenRankingStore(location);
    const SGameIdMigration again = fNameStoredGames(*reopened, verifier, 1, [](const std::string&) {});
    EXPECT_EQ(again.named + again.setAside + again.unplayable + again.failed, 0);
    // The named game and its opening hold against new uploads.
    const SReplayCheckResult result = fCheckReplayBytes(plimo);
    EXPECT_FALSE(reopened->fAdd(fNamedEntry("late", "new bytes", result.gameId, std::string(64, 'e'))).has_value());
    EXPECT_FALSE(reopened->fAdd(fNamedEntry("later", "newer bytes", std::string(64, 'e'), result.openingId)).has_value());
    EXPECT_TRUE(reopened->fAdd(fNamedEntry("new", "other bytes", std::string(64, 'd'), std::string(64, 'd'))).has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, GameIdStoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

// Stored entries are named while the server serves: lists answer, uploads
// are refused until the naming ends. A stop meanwhile ends the server within
// its stop time; the next start goes on where it stopped.
class GameIdStopTest : public HeadlessTest {};

TEST_F(GameIdStopTest, SigtermDuringTheStartUpNamingEndsTheServerInTime) {
  // Many long games to name: the same recorded game under other comments,
  // so each takes a whole check.
  const std::string wanpaku = fFixture("wanpaku_seed789.zip");
  const std::vector<SArchiveMember> members = fReadZipMembers(wanpaku, "x");
  std::vector<SOldRow> rows;
  for (int i = 0; i < 40; ++i) rows.push_back({"wanpaku", "w" + std::to_string(i), 20200, 3, fRepack(members, 6, false, "copy " + std::to_string(i))});
  fWriteOldSqlite(fAbsolutePath("ranking.sqlite"), rows, false);
  {
    CServerProgram server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"),
                          {"--workers", "1", "--check-ms", "60000", "--check-memory-mb", "4096", "--stop-ms", "1000"},
                          "- naming stored entries");
    const std::string output = server.fOutput();
    ASSERT_NE(output.find("- naming stored entries"), std::string::npos) << output;
    const std::size_t listening = output.find("listening on 127.0.0.1:");
    ASSERT_NE(listening, std::string::npos) << output;
    const int port = std::stoi(output.substr(listening + 23));
    const STimedAnswer list = fTimedExchange(port, fScriptRequest("wanpaku", "GetRankingList?"));
    EXPECT_EQ(list.fStatus(), "HTTP/1.1 200") << list.text;
    EXPECT_EQ(fTimedExchange(port, fScriptRequest("plimo", "UploadRanking?taro?20600?3", fFixture("plimo_seed123.zip")))
                  .fBody(),
              "UploadFailed?server busy, try again later");
    server.fSignal(SIGTERM);
    const auto signalled = std::chrono::steady_clock::now();
    EXPECT_EQ(server.fWaitExit(5'000), 0) << server.fOutput();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled);
    // The stop time and the process's own exit: far below 40 checks.
    EXPECT_LT(took.count(), 3'000) << server.fOutput();
    EXPECT_NE(server.fOutput().find("stopped while naming stored entries"), std::string::npos) << server.fOutput();
  }
  // The next start serves at once and names the rest: then one entry for
  // the one game.
  CServerProgram again(fAbsolutePath("ranking.sqlite"), fAbsolutePath("again.out"),
                       {"--workers", "2", "--check-ms", "60000", "--check-memory-mb", "4096"});
  ASSERT_NE(again.fPort(), 0) << again.fOutput();
  std::string list;
  for (int wait = 0; wait < 1200; ++wait) {
    list = CCurlWrapper::fPostFile(again.fScriptUrl("wanpaku") + "GetRankingList?", "a.txt").body;
    if (again.fOutput().find("- named ") != std::string::npos && std::count(list.begin(), list.end(), '\n') == 1) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_NE(again.fOutput().find("- named "), std::string::npos) << again.fOutput();
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 1) << list;
  EXPECT_EQ(list.rfind("w0?", 0), 0u) << list;
}

}  // namespace
