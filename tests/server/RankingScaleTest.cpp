// The ranking at a size where reading a whole mode would show: 200,000
// entries bulk-loaded into each store. Pages in both orders, by number and
// by a neighbour's key, agree with the whole list; the count comes from the
// kept counts; ranks are places, ties included; and the database's own plan
// reads a page through the order's index, with no sort and no scan.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>

#include "gamelib/FileSystem.h"
#include "server/IRankingStore.h"
#include "server/RankingPaging.h"
#include "server/RankingSql.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"

namespace {

constexpr long long kEntries = 200'000;

// Scores with many ties and chains 0..12, in no order; names from a few.
constexpr const char* kSqliteLoad =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
    "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive) "
    "SELECT 'plimo', 'p' || (i % 997), (i * 7919) % 50000, (i * 31) % 13, printf('%016x', i), "
    "'2026/01/01 00:00:00', printf('%064x', i), x'00' FROM n";
constexpr const char* kPostgresLoad =
    "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive) "
    "SELECT 'plimo', 'p' || (i % 997), (i * 7919) % 50000, (i * 31) % 13, lpad(to_hex(i), 16, '0'), "
    "'2026/01/01 00:00:00', lpad(to_hex(i), 64, '0'), '\\x00'::bytea FROM generate_series(1, 200000) AS i";

class RankingScaleTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mLocation = fTestStoreLocation(GetParam());
    mStore = fOpenRankingStore(mLocation);  // the schema, with its triggers
    if (GetParam() == "postgres") {
      PGconn* connection = PQconnectdb(mLocation.c_str());
      ASSERT_EQ(PQstatus(connection), CONNECTION_OK) << PQerrorMessage(connection);
      for (const char* sql : {kPostgresLoad, "ANALYZE entries"}) {
        PGresult* result = PQexec(connection, sql);
        EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
        PQclear(result);
      }
      PQfinish(connection);
    } else {
      sqlite3* database = nullptr;
      ASSERT_EQ(sqlite3_open(mLocation.c_str(), &database), SQLITE_OK);
      for (const char* sql : {"BEGIN", kSqliteLoad, "COMMIT", "ANALYZE"}) {
        ASSERT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(database);
      }
      sqlite3_close(database);
    }
  }

  // The plan the database chooses for a statement, as text.
  std::string fPlan(const std::string& sql) {
    std::string plan;
    if (GetParam() == "postgres") {
      PGconn* connection = PQconnectdb(mLocation.c_str());
      PGresult* result = PQexec(connection, ("EXPLAIN " + sql).c_str());
      for (int row = 0; row < PQntuples(result); ++row) plan += std::string(PQgetvalue(result, row, 0)) + "\n";
      PQclear(result);
      PQfinish(connection);
      return plan;
    }
    sqlite3* database = nullptr;
    sqlite3_open(mLocation.c_str(), &database);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      plan += reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)) + std::string("\n");
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return plan;
  }

  std::string mLocation;
  std::unique_ptr<IRankingStore> mStore;
};

std::vector<long long> fIds(const std::vector<SRankingEntry>& entries) {
  std::vector<long long> ids;
  for (const SRankingEntry& entry : entries) ids.push_back(entry.id);
  return ids;
}

TEST_P(RankingScaleTest, PagesByNumberAndByKeyAgreeWithTheWholeListInBothOrders) {
  ASSERT_EQ(mStore->fCount("plimo"), kEntries);
  EXPECT_EQ(mStore->fCount("yoiko"), 0);
  std::vector<SRankingEntry> whole = mStore->fList("plimo");
  ASSERT_EQ(static_cast<long long>(whole.size()), kEntries);
  for (const ERankingSort sort : {ERankingSort::Score, ERankingSort::Chain}) {
    SCOPED_TRACE(sort == ERankingSort::Score ? "score" : "chain");
    std::vector<SRankingEntry> ordered = whole;
    if (sort == ERankingSort::Chain) {
      std::stable_sort(ordered.begin(), ordered.end(),
                       [](const SRankingEntry& a, const SRankingEntry& b) { return a.maxRensa > b.maxRensa; });
    }
    auto slice = [&](long long from, long long count) {
      const auto end = std::min<long long>(from + count, kEntries);
      return fIds(std::vector<SRankingEntry>(ordered.begin() + from, ordered.begin() + end));
    };
    // The first, a middle and the last pages, counted from either end.
    for (const long long offset : {0LL, 50LL, 99'950LL, 100'000LL, 150'000LL, kEntries - 50, kEntries - 20}) {
      EXPECT_EQ(fIds(mStore->fRows("plimo", sort, offset, 50)), slice(offset, 50)) << offset;
    }
    EXPECT_TRUE(mStore->fRows("plimo", sort, kEntries, 50).empty());
    // The neighbours of a deep page, by its rows' keys.
    const SRankingEntry& last = ordered[120'049];
    const SRankingEntry& first = ordered[120'000];
    const SRowKey lastKey{last.maxRensa, last.score, last.id};
    const SRowKey firstKey{first.maxRensa, first.score, first.id};
    EXPECT_EQ(fIds(mStore->fRowsAfter("plimo", sort, lastKey, true, 50, 0)), slice(120'050, 50));
    EXPECT_EQ(fIds(mStore->fRowsAfter("plimo", sort, firstKey, false, 50, 0)), slice(119'950, 50));
    // Passing over rows after a key, to the end and beyond it.
    EXPECT_EQ(fIds(mStore->fRowsAfter("plimo", sort, lastKey, true, 50, 30'000)), slice(150'050, 50));
    EXPECT_EQ(fIds(mStore->fRowsAfter("plimo", sort, lastKey, true, 50, 79'930)), slice(199'980, 20));
    EXPECT_TRUE(mStore->fRowsAfter("plimo", sort, lastKey, true, 50, 80'000).empty());

    // The marks are the keys at every kMarkSpacing-th place, and a page by
    // number read from them is the page counted from an end.
    const std::vector<SRowKey> marks = fReadMarks(*mStore, "plimo", sort);
    ASSERT_EQ(static_cast<long long>(marks.size()), kEntries / kMarkSpacing);
    for (std::size_t i = 0; i < marks.size(); ++i) {
      const SRankingEntry& marked = ordered[(i + 1) * static_cast<std::size_t>(kMarkSpacing) - 1];
      EXPECT_EQ(marks[i].id, marked.id) << i;
      EXPECT_EQ(marks[i].score, marked.score) << i;
    }
    SRankingSnapshot snapshot;
    snapshot.total = kEntries;
    (sort == ERankingSort::Chain ? snapshot.chainMarks : snapshot.scoreMarks) = marks;
    SRankingSnapshot unmarked;
    unmarked.total = kEntries;
    for (const int number : {201, 1001, 1999, 2001, 3999}) {
      SRankingQuery query;
      query.sort = sort;
      query.page = number;
      const SRankingPage page = fStoredRankingPage(*mStore, snapshot, "plimo", query);
      const SRankingPage counted = fStoredRankingPage(*mStore, unmarked, "plimo", query);
      const long long first = (number - 1) * 50LL;
      std::vector<long long> ranks, ids;
      for (const SRankedEntry& entry : page.entries) {
        ranks.push_back(entry.rank);
        ids.push_back(entry.entry.id);
      }
      EXPECT_EQ(ids, slice(first, 50)) << number;
      ASSERT_EQ(page.entries.size(), counted.entries.size());
      EXPECT_EQ(ranks.front(), first + 1);
      EXPECT_EQ(counted.entries.front().rank, first + 1);
    }
  }
  // A player's best entries with their places.
  const auto placed = mStore->fByName("plimo", "p7", 10);
  ASSERT_EQ(placed.size(), 10u);
  for (const SPlacedEntry& entry : placed) {
    ASSERT_GE(entry.rank, 1);
    EXPECT_EQ(whole[static_cast<std::size_t>(entry.rank - 1)].id, entry.entry.id);
  }
}

TEST_P(RankingScaleTest, AnUploadsRankIsItsPlaceTiesIncluded) {
  const std::vector<SRankingEntry> whole = mStore->fList("plimo");
  const int tied = whole[70'000].score;  // a score many entries share
  SNewRankingEntry entry;
  entry.mode = "plimo";
  entry.name = "new";
  entry.score = tied;
  entry.date = "2026/01/02 00:00:00";
  entry.archive = "new";
  entry.archiveHash = fSha256Hex(entry.archive);
  const auto added = mStore->fAdd(entry);
  ASSERT_TRUE(added.has_value());
  const std::vector<SRankingEntry> after = mStore->fList("plimo");
  ASSERT_EQ(after[static_cast<std::size_t>(added->rank - 1)].replayKey, added->replayKey);
  EXPECT_EQ(after[static_cast<std::size_t>(added->rank - 2)].score, tied);  // an earlier tie stands before it
  EXPECT_EQ(mStore->fCount("plimo"), kEntries + 1);
}

// The plan of a list build's read and of a deep page by key: the order's
// index, a LIMIT, no sort of the table and no scan of it; the deep page
// seeks each of its ranges (no walk from the top of the mode to the key).
TEST_P(RankingScaleTest, ThePlansReadAPageThroughTheIndex) {
  const bool postgres = GetParam() == "postgres";
  const std::string columns = kRankingColumns;
  for (const ERankingSort sort : {ERankingSort::Score, ERankingSort::Chain}) {
    const std::string top = "SELECT " + columns + " FROM entries WHERE mode = 'plimo' ORDER BY " +
                            fRankingOrder(sort, false) + " LIMIT 1000";
    std::string after = fRankingAfter(sort, true, postgres ? "$" : "?", 1);
    // The key's values in place of the placeholders, for EXPLAIN.
    const std::vector<std::string> values =
        sort == ERankingSort::Chain ? std::vector<std::string>{"6", "25000", "1234"} : std::vector<std::string>{"25000", "1234"};
    for (std::size_t i = values.size(); i >= 1; --i) {
      const std::string placeholder = (postgres ? "$" : "?") + std::to_string(i);
      for (std::size_t at = after.find(placeholder); at != std::string::npos; at = after.find(placeholder)) {
        after.replace(at, placeholder.size(), values[i - 1]);
      }
    }
    // A deep page's ids, passing over 9,999 rows after the key.
    const std::string deep = "SELECT id FROM entries WHERE mode = 'plimo' AND " + after + " ORDER BY " +
                             fRankingOrder(sort, false) + " LIMIT 50 OFFSET 9999";
    const std::string index = sort == ERankingSort::Chain ? "entries_by_chain" : "entries_by_score";
    for (const bool isDeep : {false, true}) {
      const std::string& sql = isDeep ? deep : top;
      const std::string plan = fPlan(sql);
      SCOPED_TRACE(sql + "\n" + plan);
      EXPECT_NE(plan.find(index), std::string::npos);
      if (postgres) {
        EXPECT_NE(plan.find("Limit"), std::string::npos);
        EXPECT_EQ(plan.find("Sort"), std::string::npos);
        EXPECT_EQ(plan.find("Seq Scan"), std::string::npos);
        if (isDeep) {
          const char* seek = sort == ERankingSort::Chain ? "(ROW(max_rensa, score) <= ROW(6, 25000))" : "(score <= 25000)";
          EXPECT_NE(plan.find(seek), std::string::npos);
        }
      } else {
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos);
        EXPECT_EQ(plan.find("SCAN entries\n"), std::string::npos);
        if (isDeep) {
          EXPECT_NE(plan.find(sort == ERankingSort::Chain ? "(max_rensa,score)<(?,?)" : "score<?"), std::string::npos);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, RankingScaleTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
