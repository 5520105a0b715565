#include "gfx/CSoundManager.h"

#include <cstdio>

#include "gamelib/GameLib.h"
#include "util/Assert.h"

namespace {

constexpr int kDefaultVolume = -1;  // leave the library's own volume
constexpr int kPlayBuffers = 3;
constexpr const char* kSoundRoot = "dat/sound/";

struct SSoundEntry {
  const char* file;
  int volume;
};

constexpr SSoundEntry kEffects[kSoundEffectCount] = {
    {"se017-0006.wav", 100},      {"get_50.wav", kDefaultVolume},    {"bom10.wav", 10},
    {"tm2_laser001.wav", kDefaultVolume}, {"crash25.wav", kDefaultVolume}, {"power32.wav", kDefaultVolume},
    {"mecha20.wav", 30},          {"ok1a.mp3", 127},                 {"ok1b.mp3", 127},
    {"cursor00_a.wav", 10},       {"shoot16_b.wav", 51},             {"quiz1.wav", kDefaultVolume},
    {"hit76_d.wav", kDefaultVolume}, {"power31.wav", kDefaultVolume}, {"tm2_quiz000good.wav", kDefaultVolume},
    {"PutA@22.wav", kDefaultVolume}, {"pochi01@11.wav", kDefaultVolume}, {"tm2_quiz004.wav", kDefaultVolume},
    {"power04.wav", 76},          {"pi14.wav", 76},                  {"chain.wav", kDefaultVolume},
    {"levelup.wav", kDefaultVolume},
};

constexpr SSoundEntry kMusic[kBgmCount] = {
    {"bgml031.mp3", 20},
    {"bgml001.mp3", kDefaultVolume},
    {"tamco03.mp3", kDefaultVolume},
};

int fPlayType(bool loop) { return loop ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK; }

std::size_t fEffectIndex(ESoundEffect effect) {
  const int index = static_cast<int>(effect);
  PLIMO_ASSERT(index >= 0 && index < kSoundEffectCount, "sound effect out of range");
  return static_cast<std::size_t>(index);
}

std::size_t fBgmIndex(EBgm bgm) {
  const int index = static_cast<int>(bgm);
  PLIMO_ASSERT(index >= 0 && index < kBgmCount, "music out of range");
  return static_cast<std::size_t>(index);
}

}  // namespace

CSoundManager::CSoundManager(bool enabled) : mEnabled(enabled) {
  for (std::size_t i = 0; i < kBgmCount; ++i) mBgmFiles[i] = kMusic[i].file;
  if (!mEnabled) return;
  SetCreateSoundDataType(DX_SOUNDDATATYPE_MEMPRESS);
  mSounds.fSetLoader([this](const std::string& path) {
    return std::make_pair(mSounds.fNameOf(path), LoadSoundMem(path.c_str(), kPlayBuffers, -1));
  });
  mSounds.fAddExtension("wav");
  mSounds.fAddExtension("mp3");
  mSounds.fLoad();
  try {
    fSetupTables();
  } catch (const CGameError& error) {
    // An incomplete sound folder must not keep the game from starting.
    std::fprintf(stderr, "PlimoBall: sound is off: %s\n", error.what());
    fStopAll();
    mEnabled = false;
  }
}

void CSoundManager::fPlay(const std::string& name, bool loop) {
  if (!mEnabled) return;
  const int handle = mSounds.fGet(name);
  PLIMO_ASSERT(handle != -1, "sound could not be loaded");
  PlaySoundMem(handle, fPlayType(loop), 1);
}

void CSoundManager::fStopAll() {
  if (!mEnabled) return;
  for (const auto& [name, handle] : mSounds.fResources()) StopSoundMem(handle);
  // Music reloaded after fStopBgm has a handle of its own outside the map.
  const auto& loaded = mSounds.fResources();
  for (std::size_t i = 0; i < kBgmCount; ++i) {
    const auto it = loaded.find(mBgmFiles[i]);
    if (mBgmHandles[i] > 0 && (it == loaded.end() || it->second != mBgmHandles[i])) StopSoundMem(mBgmHandles[i]);
  }
}

void CSoundManager::fSetupTables() {
  if (!mEnabled) return;
  for (std::size_t i = 0; i < kSoundEffectCount; ++i) {
    mEffectHandles[i] = mSounds.fGet(kEffects[i].file);
    if (kEffects[i].volume != kDefaultVolume) ChangeVolumeSoundMem(kEffects[i].volume, mEffectHandles[i]);
  }
  for (std::size_t i = 0; i < kBgmCount; ++i) {
    mBgmHandles[i] = mSounds.fGet(kMusic[i].file);
    if (kMusic[i].volume != kDefaultVolume) ChangeVolumeSoundMem(kMusic[i].volume, mBgmHandles[i]);
  }
}

namespace {

// The designed volume (255 where the library's own stands) scaled by level/10.
int fScaledVolume(int designed, int level, int divisor) {
  const int base = designed == kDefaultVolume ? 255 : designed;
  return base * level / 10 / divisor;
}

}  // namespace

void CSoundManager::fSetVolumes(int music, int effects) {
  PLIMO_ASSERT(music >= 0 && music <= 10 && effects >= 0 && effects <= 10, "volume out of range");
  mMusicLevel = music;
  mEffectLevel = effects;
  mVolumesChanged = true;
  fApplyVolumes();
}

void CSoundManager::fSetMusicLowered(bool lowered) {
  mMusicLowered = lowered;
  mVolumesChanged = true;
  fApplyVolumes();
}

void CSoundManager::fApplyVolumes() {
  if (!mEnabled || !mVolumesChanged) return;
  for (std::size_t i = 0; i < kSoundEffectCount; ++i) {
    if (mEffectHandles[i] > 0) ChangeVolumeSoundMem(fScaledVolume(kEffects[i].volume, mEffectLevel, 1), mEffectHandles[i]);
  }
  for (std::size_t i = 0; i < kBgmCount; ++i) {
    if (mBgmHandles[i] > 0) {
      ChangeVolumeSoundMem(fScaledVolume(kMusic[i].volume, mMusicLevel, mMusicLowered ? 4 : 1), mBgmHandles[i]);
    }
  }
}

void CSoundManager::fSetEffectFrequency(ESoundEffect effect, int frequency) {
  SetFrequencySoundMem(frequency, mEffectHandles[fEffectIndex(effect)]);
}

void CSoundManager::fPlayEffect(ESoundEffect effect, bool loop) {
  const std::size_t index = fEffectIndex(effect);
  if (!mEnabled || mEffectsMuted) return;
  PlaySoundMem(mEffectHandles[index], fPlayType(loop), 1);
}

void CSoundManager::fPlayBgm(EBgm bgm) {
  const std::size_t index = fBgmIndex(bgm);
  if (!mEnabled) return;
  if (mBgmHandles[index] <= 0) {
    mBgmHandles[index] = LoadSoundMem((std::string(kSoundRoot) + mBgmFiles[index]).c_str(), kPlayBuffers, -1);
    fApplyVolumes();
  }
  PlaySoundMem(mBgmHandles[index], DX_PLAYTYPE_LOOP, 1);
}

void CSoundManager::fStopBgm(EBgm bgm) {
  const std::size_t index = fBgmIndex(bgm);
  if (!mEnabled) return;
  StopSoundMem(mBgmHandles[index]);
  DeleteSoundMem(mBgmHandles[index], 0);
  mBgmHandles[index] = 0;
}

void CSoundManager::fStopAllBgm() {
  if (!mEnabled) return;
  for (auto& handle : mBgmHandles) {
    if (handle > 0) {
      StopSoundMem(handle);
      DeleteSoundMem(handle, 0);
      handle = 0;
    }
  }
}

void CSoundManager::fStopAllEffects() {
  if (!mEnabled) return;
  for (int handle : mEffectHandles) {
    if (handle > 0) StopSoundMem(handle);
  }
}

int CSoundManager::fEffectHandle(ESoundEffect effect) const { return mEffectHandles[fEffectIndex(effect)]; }
int CSoundManager::fBgmHandle(EBgm bgm) const { return mBgmHandles[fBgmIndex(bgm)]; }
