// One game, one entry: a game is named by its mode, seed and the keys it
// was played with up to its end, so no re-packing of a registered game's
// archive registers it again, in either store, and databases written before
// entries were named get their names on start-up.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <zip.h>

#include <algorithm>

#include "gamelib/FileSystem.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayZip.h"
#include "server/CRankingService.h"
#include "server/DistinctGames.h"
#include "server/GameIdMigration.h"
#include "server/IRankingStore.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"
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

TEST(GameIdTest, TheCheckNamesTheGameNotItsArchive) {
  const std::string archive = fFixture("plimo_seed123.zip");
  const SReplayCheckResult played = fCheckReplayBytes(archive);
  ASSERT_TRUE(played.confirmed);
  EXPECT_EQ(played.gameId.size(), 64u);
  // Frames recorded after the confirmed end are not part of the game.
  const SReplayCheckResult pastEnd = fCheckReplayBytes(fFixture("plimo_seed123_past_end.zip"));
  EXPECT_EQ(pastEnd.frames, played.frames);
  EXPECT_EQ(pastEnd.gameId, played.gameId);
  const std::string repacked = fRepack(fReadZipMembers(archive, "x"), 1, true, "another packer");
  ASSERT_NE(repacked, archive);
  EXPECT_EQ(fCheckReplayBytes(repacked).gameId, played.gameId);
  // Other games: other modes and seeds, and the same play ending later.
  EXPECT_NE(fCheckReplayBytes(fFixture("yoiko_seed456.zip")).gameId, played.gameId);
  EXPECT_NE(fCheckReplayBytes(fFixture("wanpaku_seed789.zip")).gameId, played.gameId);
  const CDistinctGames games(archive);
  const SReplayCheckResult later = fCheckReplayBytes(games.fGame(3));
  EXPECT_TRUE(later.confirmed);
  EXPECT_EQ(later.score, played.score);
  EXPECT_EQ(later.frames, played.frames + 3);
  EXPECT_NE(later.gameId, played.gameId);
  // The id covers the mode, the seed and every played frame's keys.
  const std::string keys(8, '\0');
  EXPECT_NE(fGameId("plimo", 1, keys), fGameId("yoiko", 1, keys));
  EXPECT_NE(fGameId("plimo", 1, keys), fGameId("plimo", 2, keys));
  EXPECT_NE(fGameId("plimo", 1, keys), fGameId("plimo", 1, keys.substr(4)));
  EXPECT_NE(fGameId("plimo", 1, keys), fGameId("plimo", 1, std::string("\1\0\0\0\0\0\0\0", 8)));
}

// Every way of carrying a registered game again, under any name, is refused
// after a real check; another game of the same play is not.
class GameIdServiceTest : public HeadlessTest {};

TEST_F(GameIdServiceTest, ARegisteredGameIsRefusedHoweverItIsPacked) {
  {
    const auto store = fOpenRankingStore(fAbsolutePath("ranking.db"));
    CInProcessVerifier verifier;
    CRankingService service(*store, verifier);
    auto upload = [&](const std::string& name, const std::string& archive) {
      return service.fUpload("plimo", {"UploadRanking", name, "20600", "3"}, archive).body;
    };
    const std::string archive = fFixture("plimo_seed123.zip");
    const std::vector<SArchiveMember> members = fReadZipMembers(archive, "x");
    EXPECT_EQ(upload("taro", archive), "UploadSuccess?1");
    const std::vector<std::string> copies = {
        fFixture("plimo_seed123_past_end.zip"),  // key frames after the end
        fRepack(members, 1, false, ""),          // other compression
        fRepack(members, 9, false, "mine now"),  // a comment
        fRepack(members, 6, true, ""),           // members reordered
    };
    for (std::size_t i = 0; i < copies.size(); ++i) {
      EXPECT_NE(fSha256Hex(copies[i]), fSha256Hex(archive)) << i;
      EXPECT_EQ(upload("jiro" + std::to_string(i), copies[i]), "UploadFailed?replay already registered") << i;
    }
    const CDistinctGames games(archive);
    EXPECT_EQ(upload("saburo", games.fGame(1)), "UploadSuccess?1");  // an equal score
    EXPECT_EQ(upload("shiro", games.fGame(1)), "UploadFailed?replay already registered");
    EXPECT_EQ(store->fList("plimo").size(), 2u);
  }
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

void fWriteOldSqlite(const std::string& path, const std::vector<SOldRow>& rows) {
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
  sqlite3_close(database);
}

void fWriteOldPostgres(const std::string& uri, const std::vector<SOldRow>& rows) {
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
  PQfinish(connection);
}

SNewRankingEntry fNamedEntry(const std::string& name, const std::string& archive, const std::string& gameId) {
  SNewRankingEntry entry;
  entry.mode = "plimo";
  entry.name = name;
  entry.score = 10;
  entry.date = "2025/01/01 00:00:00";
  entry.archive = archive;
  entry.archiveHash = fSha256Hex(archive);
  entry.gameId = gameId;
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

// The database's constraint, not a look-up first: two stores on one
// database stand for two server processes.
TEST_P(GameIdStoreTest, OneEntryAGameAcrossServers) {
  const auto first = fOpenRankingStore(mLocation);
  const auto second = fOpenRankingStore(mLocation);
  const std::string game(64, 'a');
  EXPECT_TRUE(first->fAdd(fNamedEntry("one", "archive 1", game)).has_value());
  EXPECT_FALSE(second->fAdd(fNamedEntry("two", "archive 2", game)).has_value());
  EXPECT_FALSE(first->fAdd(fNamedEntry("three", "archive 3", game)).has_value());
  EXPECT_TRUE(second->fAdd(fNamedEntry("four", "archive 4", std::string(64, 'b'))).has_value());
  // Entries whose game is not known do not collide with each other.
  EXPECT_TRUE(first->fAdd(fNamedEntry("five", "archive 5", "")).has_value());
  EXPECT_TRUE(second->fAdd(fNamedEntry("six", "archive 6", "")).has_value());
  EXPECT_EQ(first->fList("plimo").size(), 4u);
  // A failed insert leaves no transaction open: the store goes on.
  EXPECT_TRUE(second->fAdd(fNamedEntry("seven", "archive 7", std::string(64, 'c'))).has_value());
}

// A database written by the server before entries were named: on start-up
// every entry is named by its game, the oldest copy of a game stays and
// later copies are set aside; afterwards no copy gets in again.
TEST_P(GameIdStoreTest, ADatabaseOfTheOldSchemaIsNamedOnStartUp) {
  const std::string plimo = fFixture("plimo_seed123.zip");
  const std::vector<SOldRow> rows = {
      {"plimo", "first", 20600, 3, plimo},
      {"yoiko", "other", 0, 0, fFixture("yoiko_seed456.zip")},
      {"plimo", "pastend", 20600, 3, fFixture("plimo_seed123_past_end.zip")},
      {"plimo", "repacked", 20600, 3, fRepack(fReadZipMembers(plimo, "x"), 1, true, "c")},
      {"plimo", "broken", 1, 1, "not a zip"},
  };
  if (GetParam() == "postgres") {
    fWriteOldPostgres(mLocation, rows);
  } else {
    fWriteOldSqlite(mLocation, rows);
  }
  CInProcessVerifier verifier;
  std::vector<std::string> log;
  std::string firstKey;
  {
    const auto store = fOpenRankingStore(mLocation);
    ASSERT_EQ(store->fList("plimo").size(), 4u);
    firstKey = store->fList("plimo")[0].replayKey;
    const SGameIdMigration done = fNameStoredGames(*store, verifier, 2, [&](const std::string& line) { log.push_back(line); });
    EXPECT_EQ(done.named, 2);
    EXPECT_EQ(done.setAside, 2);
    EXPECT_EQ(done.unplayable, 1);
    const auto list = store->fList("plimo");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "first");
    EXPECT_EQ(list[0].replayKey, firstKey);
    EXPECT_EQ(list[1].name, "broken");  // left as it was, without a name
    EXPECT_EQ(store->fArchive("plimo", firstKey), plimo);  // stored bytes unchanged
    EXPECT_EQ(store->fList("yoiko").size(), 1u);
  }
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("named 2"), std::string::npos) << log.back();

  // Once more, as a second start: only the unplayable one is tried again.
  const auto reopened = fOpenRankingStore(mLocation);
  const SGameIdMigration again = fNameStoredGames(*reopened, verifier, 1, [](const std::string&) {});
  EXPECT_EQ(again.named + again.setAside, 0);
  EXPECT_EQ(again.unplayable, 1);
  // The named game holds its constraint against new uploads of it.
  const std::string game = fCheckReplayBytes(plimo).gameId;
  EXPECT_FALSE(reopened->fAdd(fNamedEntry("late", "new bytes", game)).has_value());
  EXPECT_TRUE(reopened->fAdd(fNamedEntry("new", "other bytes", std::string(64, 'd'))).has_value());
}

INSTANTIATE_TEST_SUITE_P(Stores, GameIdStoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
