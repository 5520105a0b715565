#include "server/ProxyProtocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using EState = SProxyHeader::EState;

constexpr std::string_view kV1Start = "PROXY ";
constexpr std::size_t kV1MaxBytes = 107;
constexpr std::string_view kV2Signature{"\r\n\r\n\0\r\nQUIT\n", 12};

SProxyHeader fState(EState state) {
  SProxyHeader header;
  header.state = state;
  return header;
}

// Whether the bytes so far agree with the start of `expected`.
bool fMayStart(std::string_view bytes, std::string_view expected) {
  const std::size_t count = std::min(bytes.size(), expected.size());
  return bytes.substr(0, count) == expected.substr(0, count);
}

// The address written back the way the server writes peer addresses.
std::string fAddressText(int family, const void* raw) {
  char text[INET6_ADDRSTRLEN];
  if (inet_ntop(family, raw, text, sizeof text) == nullptr) return {};
  return text;
}

// A port as version 1 writes it: 1 to 5 digits, no leading zero, at most 65535.
bool fIsPort(std::string_view text) {
  if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 65535;
}

std::vector<std::string_view> fSplitSpaces(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(' ', start);
    fields.push_back(line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
    if (space == std::string_view::npos) return fields;
    start = space + 1;
  }
}

// "PROXY TCP4 SRC DST SPORT DPORT\r\n" or "PROXY UNKNOWN...\r\n".
SProxyHeader fParseV1(std::string_view bytes) {
  const std::size_t end = bytes.find("\r\n");
  if (end == std::string_view::npos) {
    // A lone CR or LF, or too long a line, is no header.
    if (bytes.size() >= kV1MaxBytes || bytes.find('\n') != std::string_view::npos) return fState(EState::Invalid);
    const std::size_t cr = bytes.find('\r');
    if (cr != std::string_view::npos && cr + 1 < bytes.size()) return fState(EState::Invalid);
    return fState(EState::NeedMore);
  }
  if (end + 2 > kV1MaxBytes) return fState(EState::Invalid);
  const std::vector<std::string_view> fields = fSplitSpaces(bytes.substr(0, end));
  SProxyHeader header;
  header.length = end + 2;
  if (fields.size() >= 2 && fields[1] == "UNKNOWN") {
    header.state = EState::Done;
    return header;
  }
  if (fields.size() != 6 || (fields[1] != "TCP4" && fields[1] != "TCP6")) return fState(EState::Invalid);
  const int family = fields[1] == "TCP4" ? AF_INET : AF_INET6;
  unsigned char source[sizeof(in6_addr)];
  unsigned char destination[sizeof(in6_addr)];
  const std::string sourceText(fields[2]);
  const std::string destinationText(fields[3]);
  if (inet_pton(family, sourceText.c_str(), source) != 1 || inet_pton(family, destinationText.c_str(), destination) != 1 ||
      !fIsPort(fields[4]) || !fIsPort(fields[5])) {
    return fState(EState::Invalid);
  }
  header.address = fAddressText(family, source);
  header.state = EState::Done;
  return header;
}

// 12 signature bytes, version and command, family and transport, the
// length of what follows (big-endian), then the addresses and any extra
// fields.
SProxyHeader fParseV2(std::string_view bytes) {
  if (bytes.size() < 16) return fState(EState::NeedMore);
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  const unsigned version = byte(12) >> 4;
  const unsigned command = byte(12) & 0x0f;
  if (version != 2 || command > 1) return fState(EState::Invalid);
  const std::size_t length = static_cast<std::size_t>(byte(14)) << 8 | byte(15);
  if (16 + length > kMaxProxyHeaderBytes) return fState(EState::Invalid);
  const unsigned family = byte(13) >> 4;
  const unsigned transport = byte(13) & 0x0f;
  if (family > 3 || transport > 2) return fState(EState::Invalid);
  // Each family's addresses must fit in what the header says follows.
  const std::size_t needed = family == 1 ? 12 : family == 2 ? 36 : family == 3 ? 216 : 0;
  if (length < needed) return fState(EState::Invalid);
  if (bytes.size() < 16 + length) return fState(EState::NeedMore);
  SProxyHeader header;
  header.state = EState::Done;
  header.length = 16 + length;
  // LOCAL: the balancer's own connection (a health check).
  if (command == 0 || transport != 1) return header;
  if (family == 1) header.address = fAddressText(AF_INET, bytes.data() + 16);
  if (family == 2) header.address = fAddressText(AF_INET6, bytes.data() + 16);
  return header;
}

}  // namespace

SProxyHeader fParseProxyHeader(std::string_view bytes) {
  if (fMayStart(bytes, kV2Signature)) {
    return bytes.size() < kV2Signature.size() ? fState(EState::NeedMore) : fParseV2(bytes);
  }
  if (fMayStart(bytes, kV1Start)) {
    return bytes.size() < kV1Start.size() ? fState(EState::NeedMore) : fParseV1(bytes);
  }
  return fState(EState::Invalid);
}
