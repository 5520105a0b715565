#include "server/RankingPaging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

// The cache of a mode whose entries these are, in score order.
SRankingSnapshot fSnapshot(std::vector<SRankingEntry> entries, long long total = -1) {
  SRankingSnapshot snapshot;
  snapshot.total = total < 0 ? static_cast<long long>(entries.size()) : total;
  snapshot.chainTop = entries;
  std::stable_sort(snapshot.chainTop.begin(), snapshot.chainTop.end(),
                   [](const SRankingEntry& a, const SRankingEntry& b) { return a.maxRensa > b.maxRensa; });
  snapshot.entries = std::move(entries);
  return snapshot;
}

SRankingPage fPage(const SRankingSnapshot& snapshot, ERankingSort sort, int number) {
  SRankingQuery query;
  query.sort = sort;
  query.page = number;
  const auto page = fCachedRankingPage(snapshot, "plimo", query);
  EXPECT_TRUE(page.has_value()) << number;
  return page.value_or(SRankingPage{});
}

// 1,000 entries as the store lists them: scores falling (with ties), chains
// from a fixed scramble so that many chains tie.
SRankingSnapshot fThousandEntries() {
  std::vector<SRankingEntry> entries;
  for (int i = 0; i < 1000; ++i) {
    SRankingEntry entry;
    entry.mode = "plimo";
    entry.name = "n" + std::to_string(i);
    entry.score = 100000 - (i / 3) * 10;
    entry.maxRensa = (i * 37 + 11) % 13;
    entry.replayKey = "key" + std::to_string(i);
    entry.id = i + 1;
    entry.date = "2024/01/01 00:00:00";
    entries.push_back(entry);
  }
  return fSnapshot(std::move(entries));
}

// The entry's place in the store's order, read back from its key.
int fStoreIndex(const SRankedEntry& ranked) { return std::stoi(ranked.entry.replayKey.substr(3)); }

TEST(RankingPagingTest, EveryPageInBothOrdersHoldsFiftyWithContinuousRanks) {
  const SRankingSnapshot snapshot = fThousandEntries();
  for (const ERankingSort sort : {ERankingSort::Score, ERankingSort::Chain}) {
    SCOPED_TRACE(fSortName(sort));
    std::set<std::string> keys;
    int expectedRank = 1;
    const SRankedEntry* previous = nullptr;
    std::vector<SRankingPage> pages;
    for (int number = 1; number <= 20; ++number) pages.push_back(fPage(snapshot, sort, number));
    for (const SRankingPage& page : pages) {
      EXPECT_EQ(page.pages, 20);
      EXPECT_EQ(page.total, 1000);
      EXPECT_EQ(page.sort, sort);
      ASSERT_EQ(page.entries.size(), 50u);
      for (const SRankedEntry& ranked : page.entries) {
        EXPECT_EQ(ranked.rank, expectedRank++);
        keys.insert(ranked.entry.replayKey);
        if (previous != nullptr) {
          if (sort == ERankingSort::Score) {
            EXPECT_LT(fStoreIndex(*previous), fStoreIndex(ranked));
          } else {
            // Longest chain first; equal chains in the store's order.
            EXPECT_GE(previous->entry.maxRensa, ranked.entry.maxRensa);
            if (previous->entry.maxRensa == ranked.entry.maxRensa) {
              EXPECT_LT(fStoreIndex(*previous), fStoreIndex(ranked));
            }
          }
        }
        previous = &ranked;
      }
    }
    EXPECT_EQ(keys.size(), 1000u);  // every entry once
  }
}

TEST(RankingPagingTest, PagesPastTheEndAreEmptyAndAShortLastPageIsShort) {
  const SRankingSnapshot snapshot = fThousandEntries();
  for (const int number : {21, 22, 1'000'000}) {
    const SRankingPage page = fPage(snapshot, ERankingSort::Chain, number);
    EXPECT_TRUE(page.entries.empty());
    EXPECT_EQ(page.page, number);
    EXPECT_EQ(page.pages, 20);
    EXPECT_EQ(page.total, 1000);
  }
  std::vector<SRankingEntry> some(snapshot.entries.begin(), snapshot.entries.begin() + 51);
  const SRankingSnapshot small = fSnapshot(std::move(some));
  const SRankingPage last = fPage(small, ERankingSort::Score, 2);
  EXPECT_EQ(last.pages, 2);
  ASSERT_EQ(last.entries.size(), 1u);
  EXPECT_EQ(last.entries[0].rank, 51);
  // An empty ranking still has its first page.
  const SRankingPage empty = fCachedRankingPage(fSnapshot({}), "yoiko", {}).value();
  EXPECT_EQ(empty.pages, 1);
  EXPECT_EQ(empty.total, 0);
  EXPECT_TRUE(empty.entries.empty());
}

TEST(RankingPagingTest, TheFrontPageTakesTheBestFiveOrFewer) {
  const SRankingSnapshot snapshot = fThousandEntries();
  const auto top = fTopEntries(snapshot, 5);
  ASSERT_EQ(top.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(top[static_cast<std::size_t>(i)].rank, i + 1);
    EXPECT_EQ(fStoreIndex(top[static_cast<std::size_t>(i)]), i);
  }
  std::vector<SRankingEntry> two(snapshot.entries.begin(), snapshot.entries.begin() + 2);
  EXPECT_EQ(fTopEntries(fSnapshot(std::move(two)), 5).size(), 2u);
}

// The cache holds the first pages only: a deeper page, a page reached by a
// neighbour's key and a player's entries are for the store.
TEST(RankingPagingTest, OnlyTheCachedPagesComeFromTheCache) {
  const SRankingSnapshot snapshot = fSnapshot(fThousandEntries().entries, 1'000'000);
  SRankingQuery query;
  query.page = 20;
  ASSERT_TRUE(fCachedRankingPage(snapshot, "plimo", query).has_value());
  EXPECT_EQ(fCachedRankingPage(snapshot, "plimo", query)->pages, 20'000);
  EXPECT_EQ(fCachedRankingPage(snapshot, "plimo", query)->cachedPages, 20);
  query.page = 21;
  EXPECT_FALSE(fCachedRankingPage(snapshot, "plimo", query).has_value());
  query.page = 20'001;  // past the end: nothing to read
  EXPECT_TRUE(fCachedRankingPage(snapshot, "plimo", query)->entries.empty());
  query.page = 2;
  query.after = SRowKey{0, 99990, 3};
  EXPECT_FALSE(fCachedRankingPage(snapshot, "plimo", query).has_value());
  query.after.reset();
  query.name = "taro";
  EXPECT_FALSE(fCachedRankingPage(snapshot, "plimo", query).has_value());
  // A row's key as the links write it, read back in its order's form.
  SRankingEntry entry;
  entry.score = 4200;
  entry.maxRensa = 5;
  entry.id = 77;
  EXPECT_EQ(fRowKeyText(ERankingSort::Score, entry), "4200.77");
  EXPECT_EQ(fRowKeyText(ERankingSort::Chain, entry), "5.4200.77");
}

TEST(RankingPagingTest, QueriesTakeAPageAndAnOrderAndRefuseAnythingElse) {
  const auto fParsed = [](const char* query) { return fParseRankingQuery(query); };
  ASSERT_TRUE(fParsed(""));
  EXPECT_EQ(fParsed("")->page, 1);
  EXPECT_EQ(fParsed("")->sort, ERankingSort::Score);
  ASSERT_TRUE(fParsed("sort=chain&page=3"));
  EXPECT_EQ(fParsed("sort=chain&page=3")->page, 3);
  EXPECT_EQ(fParsed("sort=chain&page=3")->sort, ERankingSort::Chain);
  EXPECT_EQ(fParsed("page=007")->page, 7);
  EXPECT_EQ(fParsed("page=%32")->page, 2);
  EXPECT_EQ(fParsed("utm=x&page=2&")->page, 2);  // other fields are none of ours
  // Too large to count is past the end, not an error.
  ASSERT_TRUE(fParsed("page=99999999999999999999"));
  EXPECT_GT(fParsed("page=99999999999999999999")->page, 1'000'000);
  const auto after = fParsed("page=3&after=4200.77&sort=score");
  ASSERT_TRUE(after && after->after);
  EXPECT_EQ(after->after->score, 4200);
  EXPECT_EQ(after->after->id, 77);
  const auto before = fParsed("before=5.4200.77&sort=chain&page=2");
  ASSERT_TRUE(before && before->before);
  EXPECT_EQ(before->before->chain, 5);
  EXPECT_EQ(fParsed("name=taro%26x")->name, "taro&x");
  for (const char* bad : {"page=0", "page=", "page", "page=-1", "page=+1", "page=1x", "page=%zz", "page=1.5",
                          "sort=name", "sort=", "sort=Score", "page=2&sort=rank", "after=5.4200.77",
                          "sort=chain&after=4200.77", "after=1.x", "after=", "after=1.2&before=1.2",
                          "after=9999999999.1", "name=", "name=a%3Fb", "name=a%20b"}) {
    EXPECT_FALSE(fParsed(bad)) << bad;
  }
}

}  // namespace
