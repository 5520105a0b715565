#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/CSqliteRankingStore.h"
#include "server/IRankingStore.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"

namespace {

SNewRankingEntry fEntry(const std::string& mode, const std::string& name, int score, const std::string& archive) {
  SNewRankingEntry entry;
  entry.mode = mode;
  entry.name = name;
  entry.score = score;
  entry.maxRensa = score % 7;
  entry.date = "2024/01/01 00:00:00";
  entry.archive = archive;
  entry.archiveHash = fSha256Hex(archive);
  return entry;
}

// The same tests for the embedded and the shared store.
class RankingStoreTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mLocation = fTestStoreLocation(GetParam());
  }
  std::string mLocation;
};

TEST_P(RankingStoreTest, EntriesAndTheirArchivesSurviveReopeningByteForByte) {
  // Every byte value, zero bytes included, as a real archive may hold.
  std::string archive;
  for (int i = 0; i < 3 * 256; ++i) archive += static_cast<char>(i % 256);
  std::string key;
  {
    const auto store = fOpenRankingStore(mLocation);
    EXPECT_TRUE(store->fList("plimo").empty());
    const auto added = store->fAdd(fEntry("plimo", "a&b#%", 1200, archive));
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->rank, 1);
    EXPECT_EQ(added->replayKey.size(), 16u);
    key = added->replayKey;
    EXPECT_TRUE(store->fHasArchive(fSha256Hex(archive)));
    EXPECT_FALSE(store->fHasArchive(fSha256Hex("other")));
    store->fPing();
  }
  const auto reopened = fOpenRankingStore(mLocation);
  const auto list = reopened->fList("plimo");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, "a&b#%");
  EXPECT_EQ(list[0].score, 1200);
  EXPECT_EQ(list[0].maxRensa, 1200 % 7);
  EXPECT_EQ(list[0].replayKey, key);
  EXPECT_EQ(list[0].date, "2024/01/01 00:00:00");
  EXPECT_EQ(reopened->fArchive("plimo", key), archive);
  // A key belongs to its mode.
  EXPECT_FALSE(reopened->fArchive("yoiko", key).has_value());
  EXPECT_FALSE(reopened->fArchive("plimo", "0000000000000000").has_value());
}

// A rank is the entry's place in its mode's list, ties included: an equal
// score registered earlier stands before it.
TEST_P(RankingStoreTest, RanksArePlacesInTheSameModesListTiesIncluded) {
  const auto store = fOpenRankingStore(mLocation);
  EXPECT_EQ(store->fAdd(fEntry("plimo", "a", 500, "1"))->rank, 1);
  EXPECT_EQ(store->fAdd(fEntry("plimo", "b", 900, "2"))->rank, 1);
  EXPECT_EQ(store->fAdd(fEntry("plimo", "c", 500, "3"))->rank, 3);
  EXPECT_EQ(store->fAdd(fEntry("wanpaku", "d", 100, "4"))->rank, 1);
  const auto list = store->fList("plimo");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name, "b");
  EXPECT_EQ(list[1].name, "a");  // ties keep the order they came in
  EXPECT_EQ(list[2].name, "c");
}

// Places come from counts kept beside the entries: they follow an entry set
// aside and restored, and a store made before the counts gets them at its
// next opening.
TEST_P(RankingStoreTest, PlacesFollowEntriesSetAsideRestoredAndStoresMadeBeforeTheCounts) {
  auto store = fOpenRankingStore(mLocation);
  for (int i = 0; i < 12; ++i) store->fAdd(fEntry("plimo", "p" + std::to_string(i), 100 * (i % 4), "a" + std::to_string(i)));
  const std::string best = store->fAdd(fEntry("plimo", "best", 1000, "best"))->replayKey;
  auto placeOf = [&](const std::string& name) {
    const auto placed = store->fByName("plimo", name, 1);
    return placed.empty() ? 0LL : placed.front().rank;
  };
  auto expectPlacesAsListed = [&] {
    const auto list = store->fList("plimo");
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(placeOf(list[i].name), static_cast<long long>(i) + 1) << list[i].name;
  };
  expectPlacesAsListed();
  EXPECT_EQ(placeOf("p3"), 2);  // 300, the first of three
  ASSERT_TRUE(store->fSetAside(best, "a test"));
  EXPECT_EQ(placeOf("p3"), 1);
  expectPlacesAsListed();
  ASSERT_TRUE(store->fRestore(best));
  EXPECT_EQ(placeOf("p3"), 2);
  // A store as it was before the counts were kept.
  store.reset();
  if (GetParam() == "postgres") {
    PGconn* connection = PQconnectdb(mLocation.c_str());
    PQclear(PQexec(connection, "DROP TABLE score_counts"));
    PQfinish(connection);
  } else {
    sqlite3* database = nullptr;
    sqlite3_open(mLocation.c_str(), &database);
    sqlite3_exec(database, "DROP TABLE score_counts", nullptr, nullptr, nullptr);
    sqlite3_close(database);
  }
  store = fOpenRankingStore(mLocation);
  expectPlacesAsListed();
  EXPECT_EQ(store->fAdd(fEntry("plimo", "tie", 300, "tie"))->rank, 5);  // after 1000 and three of 300
}

// Two stores on one database stand for two server processes: the database's
// unique constraint, not a check in memory, lets one copy of an archive in.
TEST_P(RankingStoreTest, AnArchiveRacedInByTwoServersIsStoredOnce) {
  const auto first = fOpenRankingStore(mLocation);
  const auto second = fOpenRankingStore(mLocation);
  constexpr int kArchives = 20;
  std::atomic<int> accepted{0};
  auto race = [&](IRankingStore& store, const std::string& name) {
    for (int i = 0; i < kArchives; ++i) {
      if (store.fAdd(fEntry("yoiko", name, 100 + i, "archive " + std::to_string(i)))) ++accepted;
    }
  };
  std::thread one(race, std::ref(*first), "one");
  std::thread two(race, std::ref(*second), "two");
  one.join();
  two.join();
  EXPECT_EQ(accepted.load(), kArchives);
  EXPECT_EQ(first->fList("yoiko").size(), static_cast<std::size_t>(kArchives));
  EXPECT_FALSE(second->fAdd(fEntry("plimo", "three", 1, "archive 0")).has_value());
}

INSTANTIATE_TEST_SUITE_P(Stores, RankingStoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

TEST(RankingStoreOpenTest, UnusableLocationsAreRecoverableErrors) {
  const std::string folder = fMakeTemporaryDirectory("plimo-store-");
  fWriteWholeFile(folder + "/not-a-database", std::string(4096, 'x'));
  EXPECT_THROW(fOpenRankingStore(folder + "/not-a-database"), CGameError);
  EXPECT_THROW(fOpenRankingStore(folder + "/no/such/folder/ranking.db"), CGameError);
  // Nothing listens on port 1.
  EXPECT_THROW(fOpenRankingStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2"), CGameError);
  fRemoveTree(folder);
  EXPECT_TRUE(fIsPostgresLocation("postgres://h/db"));
  EXPECT_FALSE(fIsPostgresLocation("ranking.postgresql"));
}

}  // namespace
