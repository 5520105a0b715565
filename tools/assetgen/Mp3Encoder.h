// MP3 encoding with libmp3lame, for the music and the two announcement
// chimes the game loads as ".mp3".
#pragma once

#include <cstdint>
#include <vector>

// Interleaved stereo float samples at 44100 Hz in [-1, 1]. The first frame
// of the result is a LAME/Info tag holding the encoder delay and padding, so
// gapless decoders (mpg123, which SDL_mixer uses) give back exactly the input
// samples: a music loop then joins without a gap. No ID3 tags: equal input
// gives equal bytes.
std::vector<uint8_t> fEncodeMp3(const std::vector<float>& interleavedStereo, int kbps);
