// SHA-256 of a byte string: how the server knows an archive it has seen
// and the check names a game it played.
#pragma once

#include <array>
#include <cstdint>
#include <string>

std::array<std::uint8_t, 32> fSha256(const std::string& bytes);
// The digest as 64 lower-case hex digits.
std::string fSha256Hex(const std::string& bytes);
