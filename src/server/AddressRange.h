// Address ranges in CIDR form ("10.0.0.0/8", "2001:db8::/32", a bare
// address for one host): which peers the server believes when they speak
// for a player with a PROXY protocol header.
#pragma once

#include <array>
#include <string>
#include <vector>

struct SAddressRange {
  bool v6 = false;
  std::array<unsigned char, 16> bytes{};  // IPv4 in the first four
  int prefix = 0;                          // bits that must match
};

// "CIDR[,CIDR...]"; throws CGameError naming the part it cannot read.
std::vector<SAddressRange> fParseAddressRanges(const std::string& text);
// The loopback ranges, 127.0.0.0/8 and ::1: a balancer on the same machine.
std::vector<SAddressRange> fLoopbackRanges();
// An address as the server writes it; an IPv4 address mapped into IPv6
// ("::ffff:10.1.2.3") counts as the IPv4 one. False for anything unreadable.
bool fIsInRanges(const std::string& address, const std::vector<SAddressRange>& ranges);
