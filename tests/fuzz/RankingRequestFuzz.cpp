// The ranking server's own request reading: the request line, the route
// with its "?"-separated, percent-decoded arguments, the values they hold,
// and the verifier workers' answer lines. Any input may be refused; none
// may crash, and what is accepted must be what the server relies on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "server/RankingRequest.h"
#include "server/VerifierWire.h"
#include "rules/StageModes.h"

namespace {

bool fIsMode(const std::string& text) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (text == fModeName(mode)) return true;
  }
  return false;
}

void fCheckRoute(const SRankingRoute& route) {
  using EKind = SRankingRoute::EKind;
  switch (route.kind) {
    case EKind::List:
      FUZZ_CHECK(!route.arguments.empty() && route.arguments[0] == "GetRankingList");
      FUZZ_CHECK(fIsMode(route.mode));
      break;
    case EKind::Upload:
      FUZZ_CHECK(!route.arguments.empty() && route.arguments[0] == "UploadRanking");
      FUZZ_CHECK(fIsMode(route.mode));
      break;
    case EKind::Download:
      FUZZ_CHECK(route.arguments.size() == 2 && route.arguments[0] == "DownloadReplay");
      FUZZ_CHECK(fIsMode(route.mode));
      break;
    default: break;
  }
  for (const std::string& argument : route.arguments) {
    if (fIsValidRankingName(argument)) {
      FUZZ_CHECK(argument.size() <= 8 && argument.find('?') == std::string::npos);
      FUZZ_CHECK(argument.find(' ') == std::string::npos);
    }
    if (const auto count = fParseCount(argument)) FUZZ_CHECK(*count >= 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = fFuzzText(data, size);
  const std::string line = input.substr(0, input.find("\r\n"));

  if (const auto request = fParseRequestLine(line)) {
    FUZZ_CHECK(!request->target.empty() && request->target[0] == '/');
    FUZZ_CHECK(request->target.find(' ') == std::string::npos);
    FUZZ_CHECK(request->method + " " + request->target + " " + request->version == line);
    fCheckRoute(fRouteRequest(request->method, request->target));
  }
  // Targets the line reader would refuse still reach the router in tests.
  fCheckRoute(fRouteRequest("POST", line));
  if (const auto decoded = fPercentDecode(line)) FUZZ_CHECK(decoded->size() <= line.size());

  if (const auto answer = fDecodeVerifierAnswer(line)) {
    std::string again = fEncodeVerifierAnswer(*answer);
    again.pop_back();
    const auto twice = fDecodeVerifierAnswer(again);
    FUZZ_CHECK(twice.has_value() && twice->kind == answer->kind && twice->result.score == answer->result.score &&
               twice->result.mode == answer->result.mode);
  }
  return 0;
}
