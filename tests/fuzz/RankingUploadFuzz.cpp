// The ranking server's upload path as a request reaches it: the claimed
// name, score and chain, and the archive body, checked by replaying it and
// stored when it holds. The input is "NAME?SCORE?CHAIN", a newline, then
// the archive's bytes. Every answer must be "UploadSuccess?RANK" or
// "UploadFailed?REASON", and an accepted archive is never accepted twice.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "online/SRankingData.h"
#include "server/CRankingService.h"
#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"

namespace {

struct SUploadServer {
  std::unique_ptr<IRankingStore> store = fOpenRankingStore(":memory:");
  CInProcessVerifier verifier;
  CRankingService service{*store, verifier, [] { return std::time_t{1714979289}; }};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fEnterFuzzDirectory();
  static SUploadServer server;
  const std::string input = fFuzzText(data, size);
  const std::size_t newline = input.find('\n');
  if (newline == std::string::npos) return 0;
  std::vector<std::string> arguments{"UploadRanking"};
  for (const std::string& field : fSplitFields(input.substr(0, newline), '?')) arguments.push_back(field);
  const std::string archive = input.substr(newline + 1);

  const SServiceAnswer answer = server.service.fHandle("plimo", arguments, archive);
  const bool accepted = answer.body.rfind("UploadSuccess?", 0) == 0;
  FUZZ_CHECK(answer.status == 200 || answer.status == 400);
  FUZZ_CHECK(accepted || answer.body.rfind("UploadFailed?", 0) == 0 || answer.status == 400);
  if (accepted) {
    FUZZ_CHECK(server.service.fListBody("plimo")->find(arguments[1] + "?") != std::string::npos);
    FUZZ_CHECK(server.service.fHandle("plimo", arguments, archive).body == "UploadFailed?replay already registered");
  }
  return 0;
}
