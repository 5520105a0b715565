#include "gamelib/sdl/CSdlSound.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <string>

#include "gamelib/FileRoots.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "gamelib/sdl/SoundMath.h"

namespace {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;
constexpr int kMixChunkBytes = 1024;  // about 23 ms of latency at 44.1 kHz
// Every effect of the game could sound at once, and the music besides.
constexpr int kMixerChannels = 48;
// MP3 files longer than this are streamed (see the header).
constexpr std::size_t kStreamedBytes = 128 * 1024;

bool fIsMp3(const std::string& bytes) {
  if (bytes.size() < 3) return false;
  if (bytes.compare(0, 3, "ID3") == 0) return true;
  const auto first = static_cast<unsigned char>(bytes[0]);
  const auto second = static_cast<unsigned char>(bytes[1]);
  return first == 0xFF && (second & 0xE0) == 0xE0;  // an MPEG frame sync
}

extern "C" void fIgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card the ALSA library prints a dozen lines of its own
// before the mixer fails; the game says it once, in its own words. The
// library stays loaded, so the audio driver opens this same instance.
void fQuietAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (alsa == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto* setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler != nullptr) setHandler(&fIgnoreAlsaMessage);
}

}  // namespace

bool CSdlSound::fOpenMixer() {
  if (Mix_OpenAudio(kMixRate, AUDIO_S16SYS, kMixChannels, kMixChunkBytes) != 0) return false;
  Uint16 format = 0;
  if (Mix_QuerySpec(&mDeviceRate, &format, &mDeviceChannels) == 0 || format != AUDIO_S16SYS) {
    Mix_CloseAudio();  // rate changes work on 16-bit samples only
    return false;
  }
  Mix_AllocateChannels(kMixerChannels);
  return true;
}

void CSdlSound::fInit() {
  if (mStarted) return;
  mStarted = true;
  if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) {
    std::fprintf(stderr, "PlimoBall: MP3 sounds cannot be decoded: %s\n", Mix_GetError());
  }
  fQuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    if (fOpenMixer()) {
      mOpen = true;
      return;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  // No sound device: the dummy driver consumes the mix in real time, so the
  // game runs exactly as it would with sound, silently.
  std::fprintf(stderr, "PlimoBall: no sound device (%s); the game runs silent\n", SDL_GetError());
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    if (fOpenMixer()) {
      mOpen = true;
      return;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  std::fprintf(stderr, "PlimoBall: not even silent audio starts (%s); sounds are ignored\n", SDL_GetError());
}

void CSdlSound::fShutdown() {
  if (!mStarted) return;
  for (auto& [handle, sound] : mSounds) fFree(sound);
  mSounds.clear();
  if (mOpen) {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mOpen = false;
  }
  Mix_Quit();
  mStarted = false;
}

CSdlSound::SSound* CSdlSound::fFind(int sound) {
  auto it = mSounds.find(sound);
  return it == mSounds.end() ? nullptr : &it->second;
}

bool CSdlSound::fIsOnChannel(const SSound& sound) const {
  if (sound.streamed) return mOpen && sound.music != nullptr && sound.music == mCurrentMusic && Mix_PlayingMusic() != 0;
  // Channels are handed to whatever plays next once a sound ends.
  return mOpen && sound.channel >= 0 && sound.fChunk() != nullptr && Mix_Playing(sound.channel) != 0 &&
         Mix_GetChunk(sound.channel) == sound.fChunk();
}

void CSdlSound::fHalt(SSound& sound) {
  if (sound.streamed) {
    if (sound.music == nullptr) return;
    if (sound.music == mCurrentMusic) {
      Mix_HaltMusic();
      mCurrentMusic = nullptr;
    }
    // Opened again from its file when it next plays.
    Mix_FreeMusic(sound.music);
    sound.music = nullptr;
    return;
  }
  if (fIsOnChannel(sound)) Mix_HaltChannel(sound.channel);
  sound.channel = -1;
}

void CSdlSound::fFree(SSound& sound) {
  fHalt(sound);
  sound.undecoded.clear();
  if (sound.resampled != nullptr) Mix_FreeChunk(sound.resampled);  // does not own `samples`
  if (sound.decoded != nullptr) Mix_FreeChunk(sound.decoded);
  sound.resampled = nullptr;
  sound.decoded = nullptr;
  sound.samples.clear();
}

int CSdlSound::fLoad(const char* path) {
  if (path == nullptr || !mStarted) return -1;
  std::string bytes;
  try {
    bytes = fReadWholeFile(path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "PlimoBall: cannot read sound %s: %s\n", path, error.what());
    return -1;
  }
  SSound sound;
  sound.sourceRate = fSoundFileSampleRate(bytes).value_or(mDeviceRate);
  sound.name = path;
  if (mOpen && bytes.size() > kStreamedBytes && fIsMp3(bytes)) {
    // Tried once now, so that a file the decoder refuses is refused here;
    // then only its place is kept until it plays.
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    Mix_Music* tried = stream == nullptr ? nullptr : Mix_LoadMUS_RW(stream, 1);
    if (tried == nullptr) {
      std::fprintf(stderr, "PlimoBall: cannot decode sound %s: %s\n", path, Mix_GetError());
      return -1;
    }
    Mix_FreeMusic(tried);
    sound.streamed = true;
    sound.location = fReadLocation(path);
    const int handle = mNextHandle++;
    mSounds.emplace(handle, std::move(sound));
    return handle;
  }
  if (mOpen) {
    sound.undecoded = std::move(bytes);
    // A file its header shows to be a WAV or MP3 waits until it plays; any
    // other is tried now, so that one the mixer cannot read is refused here.
    if (!fSoundFileSampleRate(sound.undecoded).has_value() && !fDecode(sound)) return -1;
  }
  const int handle = mNextHandle++;
  mSounds.emplace(handle, std::move(sound));
  return handle;
}

bool CSdlSound::fDecode(SSound& sound) const {
  if (sound.decoded != nullptr) return true;
  if (sound.undecoded.empty()) return false;  // failed before, or never had a mixer
  const std::string bytes = std::move(sound.undecoded);
  sound.undecoded.clear();
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  sound.decoded = stream == nullptr ? nullptr : Mix_LoadWAV_RW(stream, 1);
  if (sound.decoded == nullptr) {
    std::fprintf(stderr, "PlimoBall: cannot decode sound %s: %s\n", sound.name.c_str(), Mix_GetError());
    return false;
  }
  Mix_VolumeChunk(sound.decoded, sound.volume);  // set while it waited
  return true;
}

int CSdlSound::fDecodedCount() const {
  int count = 0;
  for (const auto& [handle, sound] : mSounds) count += sound.decoded != nullptr ? 1 : 0;
  return count;
}

int CSdlSound::fOpenStreamCount() const {
  int count = 0;
  for (const auto& [handle, sound] : mSounds) count += sound.music != nullptr ? 1 : 0;
  return count;
}

int CSdlSound::fPlay(int sound, int playType, bool fromTop) {
  SSound* found = fFind(sound);
  if (found == nullptr) return -1;
  const int loops = playType == DX_PLAYTYPE_LOOP ? -1 : 0;
  if (found->streamed) {
    if (fIsOnChannel(*found) && !fromTop) return 0;
    found->loops = loops;
    if (!mOpen) return 0;
    // One stream at a time: the one playing before gives up its file.
    for (auto& [handle, other] : mSounds) {
      if (other.streamed && &other != found) fHalt(other);
    }
    if (found->music == nullptr) found->music = Mix_LoadMUS(found->location.c_str());
    if (found->music == nullptr) {
      std::fprintf(stderr, "PlimoBall: cannot play sound %s: %s\n", found->name.c_str(), Mix_GetError());
      return 0;  // silent, like an effect that cannot be decoded
    }
    Mix_VolumeMusic(found->volume);
    if (Mix_PlayMusic(found->music, loops) != 0) return -1;
    mCurrentMusic = found->music;
    return 0;
  }
  if (!mOpen || !fDecode(*found)) return 0;
  found->loops = loops;
  if (fIsOnChannel(*found)) {
    if (!fromTop) return 0;
    // Playing a channel anew replaces what it plays: a restart in place.
    return Mix_PlayChannel(found->channel, found->fChunk(), loops) < 0 ? -1 : 0;
  }
  const int channel = Mix_PlayChannel(-1, found->fChunk(), loops);
  if (channel < 0) return -1;
  found->channel = channel;
  return 0;
}

int CSdlSound::fStop(int sound) {
  SSound* found = fFind(sound);
  if (found == nullptr) return -1;
  fHalt(*found);
  return 0;
}

int CSdlSound::fIsPlaying(int sound) {
  SSound* found = fFind(sound);
  if (found == nullptr) return -1;
  return fIsOnChannel(*found) ? 1 : 0;
}

int CSdlSound::fSetVolume(int volume, int sound) {
  SSound* found = fFind(sound);
  if (found == nullptr) return -1;
  found->volume = fMixerVolume(volume);
  if (found->decoded != nullptr) Mix_VolumeChunk(found->decoded, found->volume);
  if (found->resampled != nullptr) Mix_VolumeChunk(found->resampled, found->volume);
  if (found->music != nullptr && found->music == mCurrentMusic) Mix_VolumeMusic(found->volume);
  return 0;
}

int CSdlSound::fSetFrequency(int frequency, int sound) {
  SSound* found = fFind(sound);
  if (found == nullptr) return -1;
  const double ratio = frequency == -1 ? 1.0 : static_cast<double>(frequency) / found->sourceRate;
  if (!(ratio >= 1.0 / kMaxRateChange && ratio <= kMaxRateChange)) return -1;
  if (found->streamed) return ratio == 1.0 ? 0 : -1;  // a stream plays at its own rate
  // Back to the recorded rate before it ever played: nothing to undo.
  if (ratio == 1.0 && found->decoded == nullptr) return 0;
  if (!fDecode(*found)) return 0;  // silent: nothing to resample

  const bool wasPlaying = fIsOnChannel(*found);
  fHalt(*found);
  if (found->resampled != nullptr) Mix_FreeChunk(found->resampled);
  found->resampled = nullptr;
  found->samples.clear();
  if (ratio != 1.0) {
    const auto* samples = reinterpret_cast<const std::int16_t*>(found->decoded->abuf);
    const std::size_t frames = found->decoded->alen / (sizeof(std::int16_t) * static_cast<std::size_t>(mDeviceChannels));
    found->samples = fResampleFrames(samples, frames, mDeviceChannels, ratio);
    found->resampled = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(found->samples.data()),
                                         static_cast<Uint32>(found->samples.size() * sizeof(std::int16_t)));
    if (found->resampled == nullptr) {
      found->samples.clear();
      return -1;
    }
    Mix_VolumeChunk(found->resampled, found->volume);
  }
  // A sound that was playing goes on at the new rate, from its beginning.
  if (wasPlaying) return fPlay(sound, found->loops < 0 ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, true);
  return 0;
}

int CSdlSound::fDelete(int sound) {
  auto it = mSounds.find(sound);
  if (it == mSounds.end()) return -1;
  fFree(it->second);
  mSounds.erase(it);
  return 0;
}
