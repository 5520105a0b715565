// Archives that inflate to about 4 GiB from under 4 MiB, uploaded to the
// real program: the server reads their directories only, so its memory
// stays flat and lists go on; a worker inflates what the directory let by.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"
#include "server/ServerProgram.h"
#include "server/ZipBomb.h"
#include "support/HeadlessTest.h"

namespace {

class RankingZipBombTest : public HeadlessTest {};

TEST_F(RankingZipBombTest, BombsCostTheServerNoMemoryAndListsGoOn) {
  CServerProgram server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"),
                        {"--workers", "1", "--upload-rate", "0", "--check-ms", "60000"});
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  const int port = server.fPort();
  const std::string list = fScriptRequest("plimo", "GetRankingList?");

  // The memory an honest upload and a list take, as the baseline.
  const std::string plimo = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
  ASSERT_EQ(fTimedExchange(port, fScriptRequest("plimo", "UploadRanking?taro?20600?3", plimo)).fBody(), "UploadSuccess?1");
  const std::string cached = fTimedExchange(port, list).fBody();
  ASSERT_FALSE(cached.empty());
  const long baseHwm = server.fStatusKib("VmHWM");

  // About 4 GiB of zeros in one member; its directory entry tells the
  // truth in one archive and claims 200 kB in the other.
  const std::uint64_t copies = (4'290'000'000ull - 1) / 258;
  const std::string deflated = fDeflatedZeros(copies);
  const std::string honest = fZipOfDeflatedKeyLog(deflated, static_cast<std::uint32_t>(1 + 258 * copies), 0);
  const std::string lying = fZipOfDeflatedKeyLog(deflated, 200'000, 0);
  ASSERT_LT(honest.size(), CRankingService::kMaxArchiveBytes);

  std::atomic<bool> uploading{true};
  auto lists = std::async(std::launch::async, [&] {
    std::vector<double> ms;
    while (uploading) {
      const STimedAnswer answer = fTimedExchange(port, list);
      EXPECT_EQ(answer.fBody(), cached);
      ms.push_back(answer.ms);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ms;
  });
  for (int round = 0; round < 2; ++round) {
    auto first = std::async(std::launch::async, [&] {
      return fTimedExchange(port, fScriptRequest("plimo", "UploadRanking?bomb?20600?3", honest)).fBody();
    });
    auto second = std::async(std::launch::async, [&] {
      return fTimedExchange(port, fScriptRequest("plimo", "UploadRanking?liar?20600?3", lying)).fBody();
    });
    // Refused from its directory; inflated by a worker, which gives up.
    EXPECT_EQ(first.get(), "UploadFailed?not a replay of this mode");
    const std::string inflated = second.get();
    EXPECT_TRUE(inflated == "UploadFailed?replay cannot be played" || inflated == "UploadFailed?replay check failed")
        << inflated;
  }
  uploading = false;
  std::vector<double> listMs = lists.get();
  ASSERT_FALSE(listMs.empty());
  std::sort(listMs.begin(), listMs.end());

  const long hwm = server.fStatusKib("VmHWM");
  const long rss = server.fStatusKib("VmRSS");
  std::printf("server memory: peak %ld KiB before the bombs, %ld KiB after (now %ld KiB); %zu lists meanwhile, "
              "median %.2f ms, slowest %.2f ms\n",
              baseHwm, hwm, rss, listMs.size(), listMs[listMs.size() / 2], listMs.back());
  // Two 4 MiB bodies in hand at once with their copies (and, in a sanitizer
  // build, freed ones held back a while), but none of the 64 MiB and more
  // an archive was inflated to in the server.
  EXPECT_LT(hwm - baseHwm, 64 * 1024) << "the server's peak grew by this many KiB";
  EXPECT_EQ(fTimedExchange(port, list).fBody(), cached);
}

}  // namespace
