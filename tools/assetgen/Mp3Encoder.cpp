#include "Mp3Encoder.h"

#include <lame.h>

#include <algorithm>
#include <stdexcept>

std::vector<uint8_t> fEncodeMp3(const std::vector<float>& interleavedStereo, int kbps) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) throw std::runtime_error("lame: cannot start the encoder");
  lame_set_in_samplerate(lame, 44100);
  lame_set_out_samplerate(lame, 44100);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 1);
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("lame: bad encoder settings");
  }

  const int frames = static_cast<int>(interleavedStereo.size() / 2);
  std::vector<float> left(frames), right(frames);
  for (int i = 0; i < frames; ++i) {
    left[i] = std::clamp(interleavedStereo[2 * i], -1.0f, 1.0f);
    right[i] = std::clamp(interleavedStereo[2 * i + 1], -1.0f, 1.0f);
  }
  std::vector<uint8_t> out(static_cast<size_t>(1.25 * frames + 7200 + 16384));
  int written = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), frames, out.data(),
                                              static_cast<int>(out.size()));
  if (written < 0) {
    lame_close(lame);
    throw std::runtime_error("lame: encoding failed");
  }
  const int flushed = lame_encode_flush(lame, out.data() + written, static_cast<int>(out.size()) - written);
  if (flushed < 0) {
    lame_close(lame);
    throw std::runtime_error("lame: flushing failed");
  }
  out.resize(static_cast<size_t>(written + flushed));

  // The encoder left room for the tag as the first frame; fill it in.
  std::vector<uint8_t> tag(4096);
  const size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
  lame_close(lame);
  if (tagSize == 0 || tagSize > out.size()) throw std::runtime_error("lame: no LAME tag frame");
  std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tagSize), out.begin());
  return out;
}
