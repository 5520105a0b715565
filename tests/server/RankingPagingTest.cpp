#include "server/RankingPaging.h"

#include <gtest/gtest.h>

#include <set>

namespace {

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
    entry.date = "2024/01/01 00:00:00";
    entries.push_back(entry);
  }
  return fMakeRankingSnapshot(std::move(entries), {});
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
    for (int number = 1; number <= 20; ++number) pages.push_back(fRankingPage(snapshot, "plimo", {sort, number}));
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
    const SRankingPage page = fRankingPage(snapshot, "plimo", {ERankingSort::Chain, number});
    EXPECT_TRUE(page.entries.empty());
    EXPECT_EQ(page.page, number);
    EXPECT_EQ(page.pages, 20);
    EXPECT_EQ(page.total, 1000);
  }
  std::vector<SRankingEntry> some(snapshot.entries.begin(), snapshot.entries.begin() + 51);
  const SRankingSnapshot small = fMakeRankingSnapshot(std::move(some), {});
  const SRankingPage last = fRankingPage(small, "plimo", {ERankingSort::Score, 2});
  EXPECT_EQ(last.pages, 2);
  ASSERT_EQ(last.entries.size(), 1u);
  EXPECT_EQ(last.entries[0].rank, 51);
  // An empty ranking still has its first page.
  const SRankingPage empty = fRankingPage(fMakeRankingSnapshot({}, {}), "yoiko", {});
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
  EXPECT_EQ(fTopEntries(fMakeRankingSnapshot(std::move(two), {}), 5).size(), 2u);
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
  for (const char* bad : {"page=0", "page=", "page", "page=-1", "page=+1", "page=1x", "page=%zz", "page=1.5",
                          "sort=name", "sort=", "sort=Score", "page=2&sort=rank"}) {
    EXPECT_FALSE(fParsed(bad)) << bad;
  }
}

}  // namespace
