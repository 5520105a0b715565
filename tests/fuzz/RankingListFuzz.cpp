// The ranking server's answers as the client reads them: the ranking list
// (then sorted, ranked and formatted as the ranking window shows it), the
// answer to an upload, and the replay keys that become file paths and URLs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "menu/CShowRankingWindow.h"
#include "online/CCurlWrapper.h"
#include "online/RankingClient.h"
#include "online/RankingUrl.h"
#include "online/SRankingData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SHttpResponse response;
  response.status = 200;
  response.body = fFuzzText(data, size);

  SRankingListResult list = fReadRankingListResponse(response);
  FUZZ_CHECK(list.fIsListed() == !list.entries.empty());
  FUZZ_CHECK(list.fIsListed() == list.message.empty());

  // Every way the window sorts the list, then its ranks and rows.
  auto& entries = list.entries;
  std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.maxRensa > b.maxRensa; });
  std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.date > b.date; });
  std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.score > b.score; });
  fAssignRanks(entries);
  int previousRank = 0;
  for (const SRankingData& entry : entries) {
    FUZZ_CHECK(entry.rank >= 1 && entry.rank >= previousRank);
    FUZZ_CHECK(entry.rank <= static_cast<int>(entries.size()));
    previousRank = entry.rank;
    fRankingRow(entry);
    fGroupDigits(3, std::to_string(entry.score));

    // A key only ever names a file directly inside the download folder.
    const auto path = fDownloadedReplayPath(0, entry.replayName);
    if (path) {
      const std::string folder = path->substr(0, path->rfind('/'));
      FUZZ_CHECK(*path == folder + "/" + entry.replayName);
      FUZZ_CHECK(entry.replayName.find('/') == std::string::npos);
      FUZZ_CHECK(entry.replayName != "." && entry.replayName != "..");
    }
    const std::string url = fDownloadReplayUrl("127.0.0.1:8080", 0, entry.replayName);
    FUZZ_CHECK(url.find_first_of(" /#\n\r", url.find("DownloadReplay")) == std::string::npos);
  }

  // The same bytes as the answer to an upload.
  if (const auto rank = fParseUploadAnswer(response.body)) FUZZ_CHECK(*rank >= 1);
  return 0;
}
