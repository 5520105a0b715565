// Sound handles on SDL2_mixer: each sound is decoded into memory the first
// time it plays (a WAV or MP3 file is kept as it is until then, a fraction
// of its decoded size; one the headers do not name is decoded at once, to be
// refused if it cannot be) and plays on a mixer channel of its own, so
// effects overlap freely. Long MP3 files (the music) are read from their
// files while they play, as SDL_mixer's one music stream: decoded whole they
// would cost megabytes each and a pause before the first frame, and only the
// one playing holds its file open. Only one of them plays at a time;
// starting another stops it. Without a sound device the mixer runs on SDL's
// silent "dummy" driver: the game plays on, only nothing is heard.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CSdlSound {
 public:
  // nextHandle: the backend's handle counter, shared with the other handles.
  explicit CSdlSound(int& nextHandle) : mNextHandle(nextHandle) {}
  ~CSdlSound() { fShutdown(); }
  CSdlSound(const CSdlSound&) = delete;
  CSdlSound& operator=(const CSdlSound&) = delete;

  // Starts the audio; never fails the game (see above).
  void fInit();
  void fShutdown();
  // False when no mixer could be opened at all: sounds are then silent
  // handles that never play.
  bool fHasMixer() const { return mOpen; }

  int fLoad(const char* path);
  // playType: DX_PLAYTYPE_LOOP loops, anything else plays once in the
  // background. fromTop restarts a sound that is playing; otherwise a
  // playing sound is left alone.
  int fPlay(int sound, int playType, bool fromTop);
  int fStop(int sound);
  int fIsPlaying(int sound);
  int fSetVolume(int volume, int sound);
  // Plays the sound as if recorded at `frequency` Hz (faster and higher
  // above the file's own rate); -1 puts back the recorded rate.
  int fSetFrequency(int frequency, int sound);
  int fDelete(int sound);
  int fCount() const { return static_cast<int>(mSounds.size()); }
  // How many sounds are held decoded.
  int fDecodedCount() const;
  // How many streamed sounds hold their files open (at most the one playing).
  int fOpenStreamCount() const;

 private:
  struct SSound {
    Mix_Chunk* decoded = nullptr;   // at the device's rate and format
    std::string undecoded;          // the file, until it first plays
    Mix_Chunk* resampled = nullptr;  // after a rate change, over `samples`
    std::vector<std::int16_t> samples;
    int sourceRate = 0;  // the file's own rate
    int volume = kFullVolume;
    std::string name;  // the file it came from, for messages
    int channel = -1;  // the channel it last started on
    int loops = 0;     // as last started: -1 looping, 0 once
    // A streamed sound: where its file is, and the stream while it plays.
    bool streamed = false;
    std::string location;
    Mix_Music* music = nullptr;
    Mix_Chunk* fChunk() const { return resampled != nullptr ? resampled : decoded; }
  };
  static constexpr int kFullVolume = MIX_MAX_VOLUME;

  bool fOpenMixer();
  SSound* fFind(int sound);
  // Decodes a sound kept as its file; false (said once) when it cannot be.
  bool fDecode(SSound& sound) const;
  bool fIsOnChannel(const SSound& sound) const;
  void fHalt(SSound& sound);
  void fFree(SSound& sound);

  int& mNextHandle;
  bool mOpen = false;
  bool mOwnAudioInit = false;  // the dummy driver was started by hand
  bool mStarted = false;
  int mDeviceRate = 44100;
  int mDeviceChannels = 2;
  std::map<int, SSound> mSounds;
  Mix_Music* mCurrentMusic = nullptr;  // the one on the music stream
};
