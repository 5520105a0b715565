// ZIP archives made byte by byte for the server's archive tests: a member
// of zeros deflated at deflate's best ratio (about 1,032 to 1), whatever
// size its directory entry claims.
#pragma once

#include <cstdint>
#include <string>

// One dynamic-Huffman deflate block: a zero byte, then `copies` copies of
// the 258 bytes before (two bits each), so it inflates to 1 + 258 * copies
// zero bytes.
std::string fDeflatedZeros(std::uint64_t copies);
// A ZIP with the plimo replay's key log as that deflated member (declaring
// `declaredSize` bytes and the CRC given) and a 4-byte stored seed.
std::string fZipOfDeflatedKeyLog(const std::string& deflated, std::uint32_t declaredSize, std::uint32_t crc);
// CRC-32 of `count` zero bytes.
std::uint32_t fCrcOfZeros(std::uint64_t count);
