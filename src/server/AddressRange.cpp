#include "server/AddressRange.h"

#include <arpa/inet.h>

#include <cstring>
#include <optional>

#include "server/RankingRequest.h"
#include "util/Assert.h"

namespace {

// The address's family and bytes, mapped IPv4 taken as IPv4.
std::optional<SAddressRange> fReadAddress(const std::string& text) {
  SAddressRange address;
  if (inet_pton(AF_INET, text.c_str(), address.bytes.data()) == 1) {
    address.prefix = 32;
    return address;
  }
  if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) != 1) return std::nullopt;
  static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (std::memcmp(address.bytes.data(), kMapped, sizeof kMapped) == 0) {
    std::memmove(address.bytes.data(), address.bytes.data() + 12, 4);
    std::memset(address.bytes.data() + 4, 0, 12);
    address.prefix = 32;
    return address;
  }
  address.v6 = true;
  address.prefix = 128;
  return address;
}

SAddressRange fParseRange(const std::string& part) {
  const std::size_t slash = part.find('/');
  const auto address = fReadAddress(part.substr(0, slash));
  if (!address) throw CGameError("--proxy-from: \"" + part + "\" is no address or CIDR range");
  SAddressRange range = *address;
  if (slash != std::string::npos) {
    const auto prefix = fParseCount(part.substr(slash + 1));
    if (!prefix || *prefix > range.prefix) throw CGameError("--proxy-from: \"" + part + "\" has a bad prefix length");
    range.prefix = *prefix;
  }
  return range;
}

bool fMatches(const SAddressRange& address, const SAddressRange& range) {
  if (address.v6 != range.v6) return false;
  const int whole = range.prefix / 8;
  if (std::memcmp(address.bytes.data(), range.bytes.data(), static_cast<std::size_t>(whole)) != 0) return false;
  const int rest = range.prefix % 8;
  if (rest == 0) return true;
  const auto mask = static_cast<unsigned char>(0xff << (8 - rest));
  return (address.bytes[static_cast<std::size_t>(whole)] & mask) == (range.bytes[static_cast<std::size_t>(whole)] & mask);
}

}  // namespace

std::vector<SAddressRange> fParseAddressRanges(const std::string& text) {
  std::vector<SAddressRange> ranges;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (part.empty()) throw CGameError("--proxy-from wants CIDR[,CIDR...], not \"" + text + "\"");
    ranges.push_back(fParseRange(part));
    if (comma == std::string::npos) return ranges;
    start = comma + 1;
  }
}

std::vector<SAddressRange> fLoopbackRanges() { return fParseAddressRanges("127.0.0.0/8,::1/128"); }

bool fIsInRanges(const std::string& address, const std::vector<SAddressRange>& ranges) {
  const auto read = fReadAddress(address);
  if (!read) return false;
  for (const SAddressRange& range : ranges) {
    if (fMatches(*read, range)) return true;
  }
  return false;
}
