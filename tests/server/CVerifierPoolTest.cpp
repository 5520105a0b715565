#include "server/CVerifierPool.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"
#include "server/VerifierWire.h"
#include "util/Assert.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

SVerifierPoolOptions fShellPool(const std::string& script) {
  SVerifierPoolOptions options;
  options.command = {"/bin/sh", "-c", script};
  options.workers = 1;
  options.timeLimit = std::chrono::milliseconds(500);
  options.memoryLimitBytes = 64u * 1024 * 1024;
  return options;
}

TEST(CVerifierPoolTest, TwoWorkersCheckRealGamesAtOnce) {
  CVerifierPool pool(fTestPoolOptions(2));
  const std::string plimo = fReadWholeFile(kFixtures + "/plimo_seed123.zip");
  const std::string yoiko = fReadWholeFile(kFixtures + "/yoiko_seed456.zip");
  auto first = std::async(std::launch::async, [&] { return pool.fVerify(plimo); });
  auto second = std::async(std::launch::async, [&] { return pool.fVerify(yoiko); });
  const SVerifyOutcome one = first.get();
  const SVerifyOutcome two = second.get();
  ASSERT_EQ(one.kind, SVerifyOutcome::EKind::Checked) << one.detail;
  ASSERT_EQ(two.kind, SVerifyOutcome::EKind::Checked) << two.detail;
  EXPECT_EQ(one.result.mode, "plimo");
  EXPECT_EQ(one.result.score, 20600);
  EXPECT_EQ(one.result.maxRensa, 3);
  EXPECT_TRUE(one.result.confirmed);
  EXPECT_EQ(two.result.mode, "yoiko");
  EXPECT_EQ(two.result.score, 12800);
  // A damaged archive is the upload's fault, not the worker's.
  EXPECT_EQ(pool.fVerify("PK\x03\x04 not an archive").kind, SVerifyOutcome::EKind::Unplayable);
  EXPECT_EQ(pool.fReplacedCount(), 0);
}

// Whether the process has ended (a zombie its parent has not reaped yet).
bool fHasEnded(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string pidField, name, state;
  return !(stat >> pidField >> name >> state) || state == "Z";
}

TEST(CVerifierPoolTest, IdleWorkersKilledFromOutsideNeverFailAnHonestUpload) {
  CVerifierPool pool(fTestPoolOptions(2));
  const std::string plimo = fReadWholeFile(kFixtures + "/plimo_seed123.zip");
  for (int round = 0; round < 2; ++round) {
    const std::vector<pid_t> before = pool.fWorkerIds();
    for (const pid_t pid : before) ::kill(pid, SIGKILL);
    // The first round waits until they are gone (replaced before use); the
    // second uploads at once (a worker may die as it is handed the check).
    for (int wait = 0; round == 0 && wait < 200; ++wait) {
      if (fHasEnded(before[0]) && fHasEnded(before[1])) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    auto first = std::async(std::launch::async, [&] { return pool.fVerify(plimo); });
    const SVerifyOutcome second = pool.fVerify(plimo);
    const SVerifyOutcome one = first.get();
    EXPECT_EQ(one.kind, SVerifyOutcome::EKind::Checked) << one.detail;
    EXPECT_EQ(second.kind, SVerifyOutcome::EKind::Checked) << second.detail;
    EXPECT_EQ(second.result.score, 20600);
    for (const pid_t pid : pool.fWorkerIds()) EXPECT_EQ(std::count(before.begin(), before.end(), pid), 0);
  }
  EXPECT_EQ(pool.fReplacedCount(), 4);
}

TEST(CVerifierPoolTest, CrashingHangingGreedyAndBabblingWorkersFailOnlyTheirCheck) {
  struct SCase {
    const char* script;
    std::vector<const char*> expected;  // one of these in the reason
  };
  const SCase cases[] = {
      {"head -c 4 >/dev/null; kill -SEGV $$", {"crashed"}},
      {"exec sleep 60", {"time limit"}},
      // Grows by a megabyte at a time until the limit stops it: the
      // address-space limit (it dies) or the resident-size watch, well
      // before the time limit.
      {"exec awk 'BEGIN { s = \"x\"; for (i = 0; i < 20; i++) s = s s; while (1) t = t s }'", {"memory", "crashed"}},
      {"echo nonsense; exec sleep 60", {"not one"}},
  };
  for (const SCase& test : cases) {
    SVerifierPoolOptions options = fShellPool(test.script);
    if (test.expected[0] != std::string("time limit")) options.timeLimit = std::chrono::seconds(30);
    CVerifierPool pool(options);
    const auto start = std::chrono::steady_clock::now();
    const SVerifyOutcome outcome = pool.fVerify("archive");
    EXPECT_EQ(outcome.kind, SVerifyOutcome::EKind::Failed) << test.script;
    bool named = false;
    for (const char* reason : test.expected) named = named || outcome.detail.find(reason) != std::string::npos;
    EXPECT_TRUE(named) << test.script << ": " << outcome.detail;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25)) << test.script;
    EXPECT_EQ(pool.fReplacedCount(), 1) << test.script;
  }
}

TEST(CVerifierPoolTest, AWorkerProgramThatCannotRunIsReportedAtStart) {
  SVerifierPoolOptions options = fShellPool("");
  options.command = {"/nonexistent/verifier"};
  EXPECT_THROW(CVerifierPool pool(options), CGameError);
}

TEST(VerifierWireTest, AnswersRoundTripAndAnythingElseIsRefused) {
  SVerifyOutcome checked;
  checked.kind = SVerifyOutcome::EKind::Checked;
  checked.result.mode = "wanpaku";
  checked.result.confirmed = true;
  checked.result.score = 123456;
  checked.result.maxRensa = 7;
  checked.result.frames = 153135;
  checked.result.gameId = std::string(60, 'a') + "09f1";
  checked.result.openingId = std::string(63, 'b') + "7";
  checked.result.placements = 412;
  checked.result.seed = 2147483600;
  std::string line = fEncodeVerifierAnswer(checked);
  ASSERT_EQ(line.back(), '\n');
  line.pop_back();
  const auto decoded = fDecodeVerifierAnswer(line);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->kind, SVerifyOutcome::EKind::Checked);
  EXPECT_EQ(decoded->result.mode, "wanpaku");
  EXPECT_TRUE(decoded->result.confirmed);
  EXPECT_EQ(decoded->result.score, 123456);
  EXPECT_EQ(decoded->result.maxRensa, 7);
  EXPECT_EQ(decoded->result.frames, 153135);
  EXPECT_EQ(decoded->result.gameId, checked.result.gameId);
  EXPECT_EQ(decoded->result.openingId, checked.result.openingId);
  EXPECT_EQ(decoded->result.placements, 412);
  EXPECT_EQ(decoded->result.seed, 2147483600);
  EXPECT_EQ(fDecodeVerifierAnswer("unplayable")->kind, SVerifyOutcome::EKind::Unplayable);
  for (const char* bad : {"", "checked", "checked plimo 1 2 3", "checked other 1 2 3 4", "checked plimo 2 1 1 1",
                          "checked plimo 1 x 1 1", "checked plimo 1 1 1 1 extra", "unplayable ", "UNPLAYABLE"}) {
    EXPECT_FALSE(fDecodeVerifierAnswer(bad).has_value()) << bad;
  }
  // Without the game's and the opening's ids, each 64 lower-case hex
  // digits, the placements and the seed, an answer cannot register anything.
  const std::string id(64, 'c');
  const std::string good = "checked plimo 1 2 3 4 " + id + " " + id;
  EXPECT_TRUE(fDecodeVerifierAnswer(good + " 7 5").has_value());
  for (const std::string& bad : {std::string("checked plimo 1 2 3 4"), "checked plimo 1 2 3 4 " + id, good,
                                 good + " -1 5", good + " x 5", good + " 7",
                                 "checked plimo 1 2 3 4 " + id + " " + id.substr(1) + " 7 5",
                                 "checked plimo 1 2 3 4 " + id + "c " + id + " 7 5",
                                 "checked plimo 1 2 3 4 C" + id.substr(1) + " " + id + " 7 5",
                                 "checked plimo 1 2 3 4 " + id + " g" + id.substr(1) + " 7 5", good + " 7 x",
                                 good + " 7 5 x"}) {
    EXPECT_FALSE(fDecodeVerifierAnswer(bad).has_value()) << bad;
  }
  const std::string request = fEncodeVerifierRequest(std::string(300, 'a'));
  ASSERT_EQ(request.size(), 304u);
  EXPECT_EQ(fDecodeVerifierLength(reinterpret_cast<const unsigned char*>(request.data())), 300u);
}

}  // namespace

namespace {

// A stop: checks waiting for a worker end Stopped at once, the one running
// goes on until the stop's time is up, then ends Failed at once.
TEST(CVerifierPoolTest, AStopRefusesWaitingChecksAndGivesUpRunningOnesOnlyWhenTold) {
  SVerifierPoolOptions options = fShellPool("cat > /dev/null");  // reads forever, never answers
  options.timeLimit = std::chrono::milliseconds(60'000);
  CVerifierPool pool(options);
  const std::string archive = "PK\x03\x04 held";
  auto running = std::async(std::launch::async, [&] { return pool.fVerify(archive); });
  // The first takes the only worker before the second asks: started
  // together, either could be the one that waits.
  EXPECT_EQ(running.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
  auto waiting = std::async(std::launch::async, [&] { return pool.fVerify(archive); });
  // Neither can end while the only worker holds the first.
  EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);

  pool.fRefuseQueued();
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(waiting.get().kind, SVerifyOutcome::EKind::Stopped);
  EXPECT_EQ(pool.fVerify(archive).kind, SVerifyOutcome::EKind::Stopped) << "a check after the stop waited";
  EXPECT_EQ(running.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);

  const auto start = std::chrono::steady_clock::now();
  pool.fAbortRunning();
  ASSERT_EQ(running.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(running.get().kind, SVerifyOutcome::EKind::Failed);
}

}  // namespace
