// RIFF WAV files: 16-bit PCM, the only kind the game's effects use.
#pragma once

#include <cstdint>
#include <vector>

// Float samples (interleaved when channels > 1) in [-1, 1] become 16-bit PCM;
// anything louder is clipped rather than wrapped.
std::vector<int16_t> fToPcm16(const std::vector<float>& samples);

// A complete WAV file: the 44-byte RIFF header and the sample data.
std::vector<uint8_t> fEncodeWav(const std::vector<int16_t>& samples, int channels, int sampleRate);
