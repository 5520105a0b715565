// Sound effects and music: every sound under "dat/sound/" loaded once, plus
// the fixed tables of effects and music pieces with their volumes.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "gfx/CResourceCollector.h"

enum class ESoundEffect : int {
  Se017 = 0,
  Get50,
  Bom10,
  Laser001,
  Crash25,
  Power32,
  Mecha20,
  Ok1a,
  Ok1b,
  Cursor00a,
  Shoot16b,
  Quiz1,
  Hit76d,
  Power31,
  Quiz000Good,
  PutA22,
  Pochi01,
  Quiz004,
  Power04,
  Pi14,
  ChainStep,  // played higher for each step of a chain
  LevelUp
};
constexpr int kSoundEffectCount = 22;

enum class EBgm : int { Bgml031 = 0, Bgml001, Tamco03 };
constexpr int kBgmCount = 3;

class CSoundManager {
 public:
  explicit CSoundManager(bool enabled);
  virtual ~CSoundManager() = default;

  virtual void fPlay(const std::string& name, bool loop);
  virtual void fStopAll();
  virtual void fSetupTables();
  virtual void fSetEffectFrequency(ESoundEffect effect, int frequency);
  virtual void fPlayEffect(ESoundEffect effect, bool loop);
  virtual void fPlayBgm(EBgm bgm);
  virtual void fStopBgm(EBgm bgm);
  virtual void fStopAllBgm();
  virtual void fStopAllEffects();

  // Effects stay silent while muted (frames simulated for a replay jump);
  // the music plays on.
  void fSetEffectsMuted(bool muted) { mEffectsMuted = muted; }
  // The player's volumes, 0 (silent) to 10 (as designed), applied to every
  // sound at once.
  void fSetVolumes(int music, int effects);
  // Music at a quarter of its volume, for a paused game.
  void fSetMusicLowered(bool lowered);

  bool fIsEnabled() const { return mEnabled; }
  int fEffectHandle(ESoundEffect effect) const;
  int fBgmHandle(EBgm bgm) const;

 private:
  CResourceCollector mSounds{"dat/sound/"};
  std::array<int, kSoundEffectCount> mEffectHandles{};
  std::array<std::string, kBgmCount> mBgmFiles{};
  std::array<int, kBgmCount> mBgmHandles{};
  bool mEnabled;
  bool mEffectsMuted = false;
  int mMusicLevel = 10;
  int mEffectLevel = 10;
  bool mMusicLowered = false;
  bool mVolumesChanged = false;  // until then the designed volumes stand untouched

  void fApplyVolumes();
};
