// The balls' colours as flat colours, for what the stage draws itself (the
// bursts, the map, the points): the same as the generator paints the ball
// pictures and models with, by colour index, garbage last.
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::array<std::uint32_t, 7> kBallColourRgb = {0xEB3C1F, 0x129E75, 0x1C53C1, 0xFFE03A,
                                                                0xBC7CFF, 0x8AEEFF, 0x8C939C};
