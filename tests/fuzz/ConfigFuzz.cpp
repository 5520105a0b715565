// "config.dat" as a player or a stray editor may leave it: the flags and the
// ranking server's address, which goes straight into every ranking URL.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "app/Config.h"
#include "online/RankingUrl.h"

namespace {

// What an authority may hold without changing the URL's shape: no "/", "?",
// "#", "@", blanks or control bytes.
bool fIsPlainAuthority(const std::string& address) {
  for (const char c : address) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter && c != '.' && c != '-' && c != ':' && c != '[' && c != ']') return false;
  }
  return !address.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = fFuzzText(data, size);
  const SConfig config = fParseConfig(text);
  FUZZ_CHECK(fIsValidServerAddress(config.serverAddress));
  FUZZ_CHECK(fIsPlainAuthority(config.serverAddress));

  const std::string url = fRankingListUrl(config.serverAddress, 0);
  const std::string prefix = "http://" + config.serverAddress + "/";
  FUZZ_CHECK(url.compare(0, prefix.size(), prefix) == 0);

  // The address check on its own, on the whole text as one address.
  if (fIsValidServerAddress(text)) FUZZ_CHECK(fIsPlainAuthority(text));
  return 0;
}
