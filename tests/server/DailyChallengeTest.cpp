// The daily challenge: one seed a mode a UTC day, drawn at the day's first
// request and shared by every server process on the store; uploads taken
// only on that seed until 15 minutes after the day ends, each name keeping
// its best game of the day.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <set>
#include <sstream>
#include <thread>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "server/CRankingService.h"
#include "server/CountingStore.h"
#include "server/DailyBoard.h"
#include "server/DistinctGames.h"
#include "server/RankingRequest.h"
#include "server/ServerProgram.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "server/WebRoute.h"
#include "support/HeadlessTest.h"

namespace {

// 2026-12-08 12:00:00 UTC.
constexpr std::time_t kNoon = 1796731200;
constexpr std::time_t kDay = 24 * 60 * 60;
const std::string kToday = "2026-12-08";

std::vector<std::string> fFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, '?');) fields.push_back(field);
  return fields;
}

// The outcome the test sets, for any archive; counts the checks asked for.
class CDailyVerifier : public IReplayVerifier {
 public:
  SVerifyOutcome fVerify(const std::string&) override {
    ++mChecks;
    return mOutcome;
  }
  SVerifyOutcome mOutcome;
  std::atomic<int> mChecks{0};
};

class DailyChallengeTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mStore = std::make_unique<CCountingStore>(fOpenRankingStore(fAbsolutePath("ranking.db")));
    mVerifier.mOutcome.kind = SVerifyOutcome::EKind::Checked;
    mVerifier.mOutcome.result.mode = "plimo";
    mVerifier.mOutcome.result.confirmed = true;
    mVerifier.mOutcome.result.maxRensa = 2;
  }
  CRankingService& fService() {
    if (!mService) mService = std::make_unique<CRankingService>(*mStore, mVerifier, [this] { return mNow.load(); });
    return *mService;
  }
  // Archive n: another real plimo archive each (the checks are scripted).
  static const std::string& fArchive(int n) {
    static std::vector<std::string> archives;
    static const CDistinctGames games(fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
    while (static_cast<int>(archives.size()) <= n) archives.push_back(games.fGame(static_cast<int>(archives.size())).archive);
    return archives[static_cast<std::size_t>(n)];
  }
  // Game n of `name` on `seed`, claimed for `day`; it opens as game
  // `opening` did (itself when negative).
  std::string fUpload(const std::string& name, int score, const std::string& day, std::int32_t seed, int n,
                      int opening = -1) {
    SReplayCheckResult& result = mVerifier.mOutcome.result;
    result.score = score;
    result.seed = seed;
    result.gameId = fSha256Hex("game " + std::to_string(n));
    result.openingId = fSha256Hex("opening " + std::to_string(opening < 0 ? n : opening));
    return fService().fHandle("plimo", {"UploadDaily", name, std::to_string(score), "2", day}, fArchive(n)).body;
  }
  std::int32_t fPlimoSeed() { return fService().fToday().seeds[0]; }

  std::atomic<std::time_t> mNow{kNoon};
  std::unique_ptr<CCountingStore> mStore;
  CDailyVerifier mVerifier;
  std::unique_ptr<CRankingService> mService;
};

TEST(DailyBoardTest, DaysAreRealUtcCalendarDays) {
  EXPECT_EQ(fDayOf(kNoon), kToday);
  EXPECT_EQ(fDayOf(kNoon - 12 * 3600), kToday);
  EXPECT_EQ(fDayOf(kNoon - 12 * 3600 - 1), "2026-12-07");
  EXPECT_EQ(fDayStart(kToday), kNoon - 12 * 3600);
  EXPECT_EQ(fNextDay("2026-12-31"), "2027-01-01");
  EXPECT_EQ(fNextDay("2028-02-28"), "2028-02-29");
  EXPECT_EQ(fNextDay("2026-02-28"), "2026-03-01");
  EXPECT_EQ(fDayEndText(kToday), "2026-12-09T00:00:00Z");
  for (const char* bad : {"2026-02-29", "2026-13-01", "2026-00-10", "2026-12-32", "20261208", "2026-1-08", "1999-12-31",
                          "2026-12-08 ", "+026-12-08", ""}) {
    EXPECT_FALSE(fDayStart(bad).has_value()) << bad;
  }
  const auto board = fSplitDailyBoard(fDailyBoard("wanpaku", kToday));
  ASSERT_TRUE(board.has_value());
  EXPECT_EQ(board->mode, "wanpaku");
  EXPECT_EQ(board->day, kToday);
  EXPECT_FALSE(fSplitDailyBoard("plimo").has_value());
  for (int i = 0; i < 1000; ++i) EXPECT_GE(fDrawDailySeed(), 0);
}

TEST(DailyRouteTest, TheDaysRequestsAndPagesGoWhereTheyBelong) {
  using EKind = SRankingRoute::EKind;
  const std::string script = "/cgi-bin/plimoball100//ranking_yoiko.cgi?";
  EXPECT_EQ(fRouteRequest("POST", script + "GetDaily?").kind, EKind::Daily);
  EXPECT_EQ(fRouteRequest("POST", script + "GetDailyList?2026-12-08").kind, EKind::Daily);
  EXPECT_EQ(fRouteRequest("POST", script + "DownloadDaily?2026-12-08?00ab").kind, EKind::Daily);
  // Counted against the address's uploads like UploadRanking.
  EXPECT_EQ(fRouteRequest("POST", script + "UploadDaily?a?1?1?2026-12-08").kind, EKind::Upload);
  EXPECT_EQ(fRouteRequest("POST", script + "GetDaily?x").kind, EKind::BadRequest);
  EXPECT_EQ(fRouteRequest("POST", script + "DownloadDaily?2026-12-08").kind, EKind::BadRequest);

  const auto board = fParseWebTarget("/daily/wanpaku/2026-12-07?page=2&sort=chain");
  ASSERT_TRUE(board.has_value());
  EXPECT_TRUE(board->daily);
  EXPECT_EQ(board->kind, SWebRequest::EKind::Ranking);
  EXPECT_EQ(board->mode, "wanpaku");
  EXPECT_EQ(board->day, "2026-12-07");
  EXPECT_EQ(board->query.page, 2);
  EXPECT_EQ(board->query.sort, ERankingSort::Chain);
  const auto api = fParseWebTarget("/api/daily/plimo/2026-12-07");
  EXPECT_TRUE(api->daily && api->kind == SWebRequest::EKind::Api && api->refusal == 0 && api->mode == "plimo");
  const auto seeds = fParseWebTarget("/api/daily");
  EXPECT_TRUE(seeds->daily && seeds->kind == SWebRequest::EKind::Api && seeds->mode.empty());
  const auto picked = fParseWebTarget("/daily?date=2026-11-30");
  EXPECT_TRUE(picked->daily && picked->kind == SWebRequest::EKind::Index && picked->day == "2026-11-30");
  const auto watch = fParseWebTarget("/watch/yoiko/2026-12-07/00ab");
  EXPECT_TRUE(watch->daily && watch->kind == SWebRequest::EKind::Watch && watch->refusal == 0);
  EXPECT_EQ(watch->day, "2026-12-07");
  EXPECT_EQ(watch->key, "00ab");
  EXPECT_FALSE(fParseWebTarget("/watch/yoiko/00ab")->daily);
  EXPECT_EQ(fParseWebTarget("/daily/plimo/2026-02-30")->refusal, 404);
  EXPECT_EQ(fParseWebTarget("/daily/other/2026-12-07")->refusal, 404);
  EXPECT_EQ(fParseWebTarget("/daily/plimo")->refusal, 404);
  EXPECT_EQ(fParseWebTarget("/daily?date=yesterday")->refusal, 400);
}

// Two processes on one store serve the first seed stored; a process asks the
// store once a day; tomorrow's seed comes at midnight, not before.
TEST_F(DailyChallengeTest, SeedsAreDrawnAtTheDaysFirstRequestSharedAndNeverAhead) {
  const auto otherStore = fOpenRankingStore(fAbsolutePath("ranking.db"));
  CDailyVerifier otherVerifier;
  CRankingService other(*otherStore, otherVerifier, [this] { return mNow.load(); });
  EXPECT_FALSE(mStore->fDailySeed(kToday, "plimo").has_value());

  const std::vector<std::string> first = fFields(other.fGetDaily().body);
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[0], kToday);
  EXPECT_EQ(first[4], "43200\n");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fService().fGetDaily().body, other.fGetDaily().body);
  EXPECT_EQ(mStore->mSeedKeeps, 3);
  std::set<long long> seeds;
  for (int mode = 1; mode <= 3; ++mode) {
    const long long seed = std::stoll(first[static_cast<std::size_t>(mode)]);
    EXPECT_GE(seed, 0);
    EXPECT_LE(seed, INT_MAX);
    seeds.insert(seed);
  }
  EXPECT_EQ(seeds.size(), 3u) << "each mode draws its own";
  EXPECT_EQ(otherStore->fKeepDailySeed(kToday, "yoiko", 5), std::stoll(first[2])) << "the first stored stays";
  EXPECT_EQ(fService().fGetDaily().body, other.fGetDaily().body);
  EXPECT_FALSE(mStore->fDailySeed("2026-12-09", "plimo").has_value());

  mNow = kNoon + 12 * 3600 - 1;
  EXPECT_EQ(fFields(fService().fGetDaily().body)[4], "1\n");
  EXPECT_FALSE(mStore->fDailySeed("2026-12-09", "plimo").has_value());
  mNow = kNoon + 12 * 3600;
  const std::vector<std::string> next = fFields(fService().fGetDaily().body);
  EXPECT_EQ(next[0], "2026-12-09");
  EXPECT_EQ(next[4], "86400\n");
  EXPECT_EQ(mStore->mSeedKeeps, 6);
  EXPECT_NE(next[1] + next[2] + next[3], first[1] + first[2] + first[3]);
  EXPECT_EQ(fFields(other.fGetDaily().body)[1], next[1]);
  EXPECT_EQ(mStore->fDailySeed(kToday, "plimo"), std::stoll(first[1])) << "yesterday's seed stays";
}

TEST_F(DailyChallengeTest, OnlyTheDaysSeedIsTakenAndOnlyUntilAQuarterHourAfterTheDay) {
  const std::int32_t seed = fPlimoSeed();
  EXPECT_EQ(fUpload("taro", 100, kToday, seed ^ 1, 0), "UploadFailed?wrong seed");
  // Another mode's seed of the day is not this mode's.
  EXPECT_EQ(fUpload("taro", 100, kToday, fService().fToday().seeds[1], 0), "UploadFailed?wrong seed");
  for (const char* bad : {"2026-12-8", "2026-02-29", "today", ""}) {
    EXPECT_EQ(fUpload("taro", 100, bad, seed, 0), "UploadFailed?bad date") << bad;
  }
  // A day to come has no seed.
  EXPECT_EQ(fUpload("taro", 100, "2026-12-09", seed, 0), "UploadFailed?wrong seed");
  EXPECT_EQ(fUpload("taro", 100, "2026-12-07", seed, 0), "UploadFailed?day is over");
  EXPECT_EQ(fService().fHandle("plimo", {"UploadDaily", "taro", "100", "2"}, fArchive(0)).body,
            "UploadFailed?bad request");
  // None of these played the game.
  EXPECT_EQ(mVerifier.mChecks, 2);

  // Yesterday's seed, in the grace after midnight: a new day began.
  mNow = kNoon + 12 * 3600 + 15 * 60;
  EXPECT_EQ(fUpload("taro", 100, kToday, seed, 0), "UploadSuccess?1");
  EXPECT_EQ(fFields(fService().fGetDaily().body)[0], "2026-12-09");
  EXPECT_EQ(fUpload("hanako", 90, kToday, seed, 1), "UploadSuccess?2");
  mNow = kNoon + 12 * 3600 + 15 * 60 + 1;
  EXPECT_EQ(fUpload("jiro", 300, kToday, seed, 2), "UploadFailed?day is over");

  const std::string list = fService().fHandle("plimo", {"GetDailyList", kToday}, "").body;
  EXPECT_EQ(list.substr(0, 11), "taro?100?2?");
  EXPECT_NE(list.find("\nhanako?90?2?"), std::string::npos);
  EXPECT_EQ(fService().fHandle("plimo", {"GetDailyList", "2026-12-09"}, "").body, "");
  EXPECT_EQ(fService().fHandle("plimo", {"GetDailyList", "2026-12-10"}, "").body, "");
  EXPECT_EQ(fService().fHandle("plimo", {"GetDailyList", "bad"}, "").body, "");
  EXPECT_EQ(fService().fHandle("yoiko", {"GetDailyList", kToday}, "").body, "");
  // The mode's own ranking has none of the day's games.
  EXPECT_EQ(*fService().fListBody("plimo"), "");

  const std::string key = fFields(list.substr(0, list.find('\n')))[3];
  const SServiceAnswer download = fService().fHandle("plimo", {"DownloadDaily", kToday, key}, "");
  EXPECT_EQ(download.status, 200);
  EXPECT_EQ(download.body, fArchive(0));
  EXPECT_EQ(fService().fHandle("plimo", {"DownloadDaily", "2026-12-09", key}, "").status, 404);
  EXPECT_EQ(fService().fHandle("yoiko", {"DownloadDaily", kToday, key}, "").status, 404);
  EXPECT_EQ(fService().fHandle("plimo", {"DownloadReplay", key}, "").status, 404);
}

TEST_F(DailyChallengeTest, ANameKeepsItsBestGameOfTheDayAndTheReplacedOneIsKept) {
  const std::int32_t seed = fPlimoSeed();
  EXPECT_EQ(fUpload("taro", 100, kToday, seed, 0), "UploadSuccess?1");
  EXPECT_EQ(fUpload("hanako", 150, kToday, seed, 1), "UploadSuccess?1");
  const int checks = mVerifier.mChecks;
  EXPECT_EQ(fUpload("taro", 90, kToday, seed, 2), "UploadFailed?not better than your best today");
  EXPECT_EQ(fUpload("taro", 100, kToday, seed, 2), "UploadFailed?not better than your best today");
  EXPECT_EQ(mVerifier.mChecks, checks) << "refused before the game is played";
  EXPECT_EQ(fUpload("taro", 200, kToday, seed, 2), "UploadSuccess?1");
  // One game one entry, whoever uploads it.
  EXPECT_EQ(fUpload("jiro", 150, kToday, seed, 1), "UploadFailed?replay already registered");
  // A player's better game may open as their own earlier one did, not as
  // another's.
  EXPECT_EQ(fUpload("jiro", 400, kToday, seed, 4, 1), "UploadFailed?replay already registered");
  EXPECT_EQ(fUpload("taro", 160, kToday, seed, 5, 2), "UploadFailed?not better than your best today");
  EXPECT_EQ(fUpload("taro", 200 + 1, kToday, seed, 5, 2), "UploadSuccess?1");

  const std::string board = fDailyBoard("plimo", kToday);
  EXPECT_EQ(mStore->fCount(board), 2);
  const std::string list = fService().fHandle("plimo", {"GetDailyList", kToday}, "").body;
  EXPECT_EQ(list.substr(0, 11), "taro?201?2?");
  EXPECT_EQ(list.find("taro?100"), std::string::npos);
  EXPECT_EQ(list.find("taro?200"), std::string::npos);
  EXPECT_NE(list.find("\nhanako?150?2?"), std::string::npos);
  // The replaced game is set aside, not deleted.
  bool keptAside = false;
  for (const SRankingEntry& entry : mStore->fFind("taro", "")) {
    if (entry.mode == board && entry.score == 100) keptAside = entry.date.ends_with(" (set aside)");
  }
  EXPECT_TRUE(keptAside);
  // Another day starts afresh.
  mNow = kNoon + kDay;
  EXPECT_EQ(fUpload("taro", 50, "2026-12-09", fPlimoSeed(), 3), "UploadSuccess?1");
}

// Two uploads of one name at once, on two processes: the name is left with
// its best game, whatever the order.
class DailyStoreTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(DailyStoreTest, UploadsOfOneNameRacedByTwoProcessesLeaveItsBest) {
  const std::string location = fTestStoreLocation(GetParam());
  const auto first = fOpenRankingStore(location);
  const auto second = fOpenRankingStore(location);
  const std::string board = fDailyBoard("yoiko", kToday);
  constexpr int kGames = 12;
  std::atomic<int> added{0}, notBetter{0};
  auto race = [&](IRankingStore& store, int parity) {
    for (int i = parity; i < kGames; i += 2) {
      SNewRankingEntry entry;
      entry.mode = board;
      entry.name = "taro";
      entry.score = (i * 7) % kGames;  // every score once, in a jumbled order
      entry.archive = "game " + std::to_string(i);
      entry.archiveHash = fSha256Hex(entry.archive);
      entry.gameId = fSha256Hex("id " + entry.archive);
      entry.openingId = fSha256Hex("opening " + entry.archive);
      const SBestAdded outcome = store.fAddBest(entry, "replaced");
      (outcome.outcome == SBestAdded::EOutcome::Added ? added : notBetter)++;
      EXPECT_NE(outcome.outcome, SBestAdded::EOutcome::Copy);
    }
  };
  std::thread one(race, std::ref(*first), 0);
  std::thread two(race, std::ref(*second), 1);
  one.join();
  two.join();
  EXPECT_EQ(added + notBetter, kGames);
  const auto listed = first->fList(board);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed.front().score, kGames - 1);
  EXPECT_EQ(first->fCount(board), 1);
  // Every added game but the best was set aside.
  EXPECT_EQ(static_cast<int>(first->fFind("taro", "").size()), added.load());
}

INSTANTIATE_TEST_SUITE_P(Stores, DailyStoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

// The real program twice on one PostgreSQL database, as behind a balancer:
// both serve the seed the first drew; a real game on it is taken by one
// and listed and served by the other; the same game on another seed is not.
class DailyProgramTest : public HeadlessTest {};

TEST_F(DailyProgramTest, TwoServersOnOneDatabaseServeOneSeedAndOneBoard) {
  const std::string store = fTestStoreLocation("postgres");
  CServerProgram one(store, fAbsolutePath("one.out"), {"--workers", "1", "--upload-rate", "0"});
  CServerProgram two(store, fAbsolutePath("two.out"), {"--workers", "1", "--upload-rate", "0"});
  ASSERT_NE(one.fPort(), 0) << one.fOutput();
  ASSERT_NE(two.fPort(), 0) << two.fOutput();
  auto post = [](const CServerProgram& server, const std::string& mode, const std::string& arguments,
                 const std::string& body = {}) {
    return CCurlWrapper::fPostBytes(server.fScriptUrl(mode) + arguments, body);
  };
  const std::vector<std::string> fromOne = fFields(post(one, "plimo", "GetDaily?").body);
  const std::vector<std::string> fromTwo = fFields(post(two, "wanpaku", "GetDaily?").body);
  ASSERT_EQ(fromOne.size(), 5u);
  ASSERT_EQ(fromTwo.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fromOne[i], fromTwo[i]);
  const std::string& day = fromOne[0];
  const int seed = std::stoi(fromOne[1]);

  const CDistinctGames games(fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  const CDistinctGames::SGame game = games.fGameOnSeed(seed);
  const CDistinctGames::SGame offSeed = games.fGameOnSeed(seed == INT_MAX ? 0 : seed + 1);
  EXPECT_EQ(post(two, "plimo", "UploadDaily?hanako?" + offSeed.fClaim() + "?" + day, offSeed.archive).body,
            "UploadFailed?wrong seed");
  EXPECT_EQ(post(one, "plimo", "UploadDaily?taro?" + game.fClaim() + "?" + day, game.archive).body,
            "UploadSuccess?1");
  const std::string list = post(two, "plimo", "GetDailyList?" + day).body;
  ASSERT_EQ(list.substr(0, 5 + game.fClaim().size()), "taro?" + game.fClaim());
  const std::string key = fFields(list)[3];
  const auto download = post(two, "plimo", "DownloadDaily?" + day + "?" + key);
  EXPECT_EQ(download.status, 200);
  EXPECT_EQ(download.body, game.archive);
  // The same game again, through the other server: one game one entry.
  EXPECT_EQ(post(two, "plimo", "UploadDaily?jiro?" + game.fClaim() + "?" + day, game.archive).body,
            "UploadFailed?replay already registered");
  EXPECT_EQ(post(one, "plimo", "GetRankingList?").body, "");
}

}  // namespace
