// The PROXY protocol header (versions 1 and 2) a load balancer such as
// HAProxy sends first on each connection, naming the player's address: the
// server's per-address caps and upload rates then count players, not the
// balancer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct SProxyHeader {
  enum class EState {
    NeedMore,  // the bytes so far may still start a header
    Invalid,   // not a header, or a damaged one: drop the connection
    Done,      // `length` bytes are the header
  };
  EState state = EState::NeedMore;
  std::size_t length = 0;
  // The player's address as the server writes addresses ("203.0.113.7",
  // "2001:db8::1"); empty when the balancer speaks for itself (a health
  // check, version 2's LOCAL, version 1's UNKNOWN) or names no IP address.
  std::string address;
};

// The longest header taken: version 1's 107 bytes, version 2's 16 and
// room for the balancer's extra fields.
inline constexpr std::size_t kMaxProxyHeaderBytes = 16 + 1024;

// Reads the header at the start of the bytes a connection sent first.
SProxyHeader fParseProxyHeader(std::string_view bytes);
