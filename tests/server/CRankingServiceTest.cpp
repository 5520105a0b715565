#include "server/CRankingService.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/CountingStore.h"
#include "server/IRankingStore.h"
#include "support/HeadlessTest.h"

namespace {

// Answers every check with the outcome the test sets.
class CScriptedVerifier : public IReplayVerifier {
 public:
  SVerifyOutcome fVerify(const std::string&) override { return mOutcome; }
  SVerifyOutcome mOutcome;
};

class CRankingServiceTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mStore = std::make_unique<CCountingStore>(fOpenRankingStore(fAbsolutePath("ranking.db")));
    mArchive = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
    mVerifier.mOutcome.kind = SVerifyOutcome::EKind::Checked;
    mVerifier.mOutcome.result.mode = "plimo";
    mVerifier.mOutcome.result.confirmed = true;
    mVerifier.mOutcome.result.score = 20600;
    mVerifier.mOutcome.result.maxRensa = 3;
  }
  std::string fUpload(CRankingService& service, const std::string& archive) {
    return service.fUpload("plimo", {"UploadRanking", "taro", "20600", "3"}, archive).body;
  }

  // An entry "other" stored by another server process: a store of its own
  // on the file.
  bool fStoreAsAnotherProcess(int score, int maxRensa) {
    SNewRankingEntry entry;
    entry.mode = "plimo";
    entry.name = "other";
    entry.score = score;
    entry.maxRensa = maxRensa;
    entry.date = "2024/05/06 07:08:09";
    entry.archiveHash = std::string(64, 'a');
    entry.archive = "archive";
    return fOpenRankingStore(fAbsolutePath("ranking.db"))->fAdd(entry).has_value();
  }

  std::unique_ptr<CCountingStore> mStore;
  CScriptedVerifier mVerifier;
  std::string mArchive;
};

TEST_F(CRankingServiceTest, AListIsBuiltOnceAndAgainOnlyAfterAnAcceptedUpload) {
  CRankingService service(*mStore, mVerifier, {}, std::chrono::hours(1));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(*service.fListBody("plimo"), "");
  EXPECT_EQ(mStore->mLists, 1);
  // The answer is shared, not copied, while it is current.
  EXPECT_EQ(service.fListBody("plimo"), service.fListBody("plimo"));

  // A refused upload changes nothing; an accepted one rebuilds its mode only.
  mVerifier.mOutcome.result.score = 1;
  EXPECT_EQ(fUpload(service, mArchive), "UploadFailed?score does not match replay");
  EXPECT_EQ(*service.fListBody("plimo"), "");
  service.fListBody("yoiko");
  EXPECT_EQ(mStore->mLists, 2);
  mVerifier.mOutcome.result.score = 20600;
  EXPECT_EQ(fUpload(service, mArchive), "UploadSuccess?1");
  EXPECT_EQ(service.fListBody("plimo")->substr(0, 17), "taro?20600?3?0000");
  service.fListBody("yoiko");
  EXPECT_EQ(mStore->mLists, 3);
}

// Other server processes' uploads show within a second, told by the store
// itself; while nothing changes, nothing is read again.
TEST_F(CRankingServiceTest, AnotherProcesssUploadShowsAtOnceAndNothingIsReadWhileNothingChanges) {
  CRankingService service(*mStore, mVerifier, {}, std::chrono::seconds(1), 1000, std::chrono::milliseconds(100));
  const auto first = service.fListBody("plimo");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(service.fListBody("plimo"), first);
  EXPECT_EQ(mStore->mLists, 1);
  ASSERT_TRUE(fStoreAsAnotherProcess(500, 1));
  const auto stored = std::chrono::steady_clock::now();
  while (service.fListBody("plimo")->find("other?500?1?") == std::string::npos &&
         std::chrono::steady_clock::now() - stored < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_LE(std::chrono::steady_clock::now() - stored, std::chrono::seconds(1));
  EXPECT_EQ(mStore->mLists, 2);
}

// Pages far down are read from marks. They are read only once such a page
// was asked for, and again after every change, in the background.
TEST_F(CRankingServiceTest, MarksAreReadOnceAskedForAndAgainAfterEachChange) {
  const long long kEntries = kMarkSpacing * 5 / 2;  // two marks in each order
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(fAbsolutePath("ranking.db").c_str(), &database), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(database,
                         ("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                          std::to_string(kEntries) + ") "
                         "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive) "
                         "SELECT 'plimo', 'p', (i * 7919) % 5000, i % 13, printf('%016x', i), '2026/01/01 00:00:00', "
                         "printf('%064x', i), x'00' FROM n")
                             .c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(database);
  CRankingService service(*mStore, mVerifier, {}, std::chrono::seconds(1), 1000, std::chrono::milliseconds(100));
  auto markedAfter = [&](long long total) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      const auto ranking = service.fRanking("plimo");
      if (ranking->total == total && ranking->scoreMarks.size() == 2 && ranking->chainMarks.size() == 2) return ranking;
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) return ranking;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };
  auto keyAt = [&](ERankingSort sort, long long place) { return mStore->fRows("plimo", sort, place - 1, 1).at(0).id; };

  EXPECT_TRUE(service.fRanking("plimo")->scoreMarks.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(service.fRanking("plimo")->scoreMarks.empty());  // nobody asked
  service.fWantMarks("plimo");
  auto ranking = markedAfter(kEntries);
  ASSERT_EQ(ranking->scoreMarks.size(), 2u);
  ASSERT_EQ(ranking->chainMarks.size(), 2u);
  EXPECT_EQ(ranking->scoreMarks[1].id, keyAt(ERankingSort::Score, 2 * kMarkSpacing));
  EXPECT_EQ(ranking->chainMarks[0].id, keyAt(ERankingSort::Chain, kMarkSpacing));

  // A new best entry from another process moves every mark down one place.
  const long long oldFirst = ranking->scoreMarks[0].id;
  ASSERT_TRUE(fStoreAsAnotherProcess(9999, 20));
  ranking = markedAfter(kEntries + 1);
  ASSERT_EQ(ranking->scoreMarks.size(), 2u);
  EXPECT_EQ(ranking->scoreMarks[0].id, keyAt(ERankingSort::Score, kMarkSpacing));
  EXPECT_NE(ranking->scoreMarks[0].id, oldFirst);
  EXPECT_EQ(ranking->chainMarks[1].id, keyAt(ERankingSort::Chain, 2 * kMarkSpacing));
}

// A store that hangs or fails on request, in front of the real one.
class CTroubledStore : public CCountingStore {
 public:
  using CCountingStore::CCountingStore;
  long long fCount(const std::string& mode) const override {
    fTrouble();
    return CCountingStore::fCount(mode);
  }
  void fPing() const override {
    fTrouble();
    CCountingStore::fPing();
  }
  void fSet(bool hang, bool fail) {
    std::lock_guard lock(mMutex);
    mHang = hang;
    mFail = fail;
    mChanged.notify_all();
  }

 private:
  void fTrouble() const {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return !mHang; });
    if (mFail) throw CGameError("ranking database: refused for the test");
  }
  mutable std::mutex mMutex;
  mutable std::condition_variable mChanged;
  bool mHang = false;
  bool mFail = false;
};

TEST_F(CRankingServiceTest, CachedListsAndHealthAnswerAtOnceWhateverTheStoreDoes) {
  CTroubledStore store(fOpenRankingStore(fAbsolutePath("troubled.db")));
  CRankingService service(store, mVerifier, {}, std::chrono::milliseconds(200), 1000, std::chrono::milliseconds(50));
  EXPECT_EQ(service.fHealth().status, 200);

  // Before the first build nothing is cached: the caller is told when the
  // build ends, and nobody waits meanwhile.
  store.fSet(true, false);
  std::promise<void> built;
  EXPECT_EQ(service.fCachedRanking("yoiko", [&] { built.set_value(); }), nullptr);
  EXPECT_EQ(service.fCachedRanking("yoiko", {}), nullptr);
  store.fSet(false, false);
  built.get_future().wait();
  const auto ranking = service.fCachedRanking("yoiko", {});
  ASSERT_NE(ranking, nullptr);

  // A store that hangs: the cached ranking comes at once, again and again,
  // and the health check turns bad while its own check hangs.
  store.fSet(true, false);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(service.fCachedRanking("yoiko", [] {}), ranking);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  const SServiceAnswer slow = service.fHealth();
  EXPECT_EQ(slow.status, 503);
  EXPECT_EQ(slow.body.rfind("store too slow", 0), 0u) << slow.body;

  // A store that fails: unhealthy with its reason; then healthy again.
  store.fSet(false, true);
  for (int i = 0; i < 100 && service.fHealth().body.find("refused for the test") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(service.fHealth().body, "store unavailable: ranking database: refused for the test\n");
  EXPECT_EQ(service.fCachedRanking("yoiko", {}), ranking);
  store.fSet(false, false);
  for (int i = 0; i < 100 && service.fHealth().status != 200; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(service.fHealth().body, "ok\n");
}

TEST_F(CRankingServiceTest, ChecksThatFailOrCannotPlayAreRefusedUploads) {
  CRankingService service(*mStore, mVerifier);
  mVerifier.mOutcome.kind = SVerifyOutcome::EKind::Failed;
  EXPECT_EQ(fUpload(service, mArchive), "UploadFailed?replay check failed");
  mVerifier.mOutcome.kind = SVerifyOutcome::EKind::Unplayable;
  EXPECT_EQ(fUpload(service, mArchive), "UploadFailed?replay cannot be played");
  mVerifier.mOutcome.kind = SVerifyOutcome::EKind::Checked;
  mVerifier.mOutcome.result.confirmed = false;
  EXPECT_EQ(fUpload(service, mArchive), "UploadFailed?game not finished");
  EXPECT_EQ(*service.fListBody("plimo"), "");
  EXPECT_EQ(service.fHealth().body, "ok\n");
}

}  // namespace
