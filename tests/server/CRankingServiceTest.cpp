#include "server/CRankingService.h"

#include <gtest/gtest.h>

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

TEST_F(CRankingServiceTest, AListOlderThanItsMaximumAgeIsBuiltAgainForOtherServersUploads) {
  CRankingService service(*mStore, mVerifier, {}, std::chrono::seconds(2));
  service.fListBody("plimo");
  service.fListBody("plimo");
  EXPECT_EQ(mStore->mLists, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  service.fListBody("plimo");
  EXPECT_EQ(mStore->mLists, 2);
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
