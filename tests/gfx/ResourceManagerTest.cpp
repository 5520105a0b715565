#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "util/Assert.h"
#include "support/HeadlessTest.h"
#include "support/PngHeader.h"

namespace {

class ResourceManagerTest : public HeadlessTest {
 protected:
  static void fMakeSoundFolder(const std::vector<std::string>& skip = {}) {
    fCreateDirectories("dat/sound");
    for (const char* name :
         {"se017-0006.wav", "get_50.wav", "bom10.wav", "tm2_laser001.wav", "crash25.wav", "power32.wav",
          "mecha20.wav", "ok1a.mp3", "ok1b.mp3", "cursor00_a.wav", "shoot16_b.wav", "quiz1.wav", "hit76_d.wav",
          "power31.wav", "tm2_quiz000good.wav", "PutA@22.wav", "pochi01@11.wav", "tm2_quiz004.wav",
          "power04.wav", "pi14.wav", "chain.wav", "levelup.wav", "bgml031.mp3", "bgml001.mp3", "tamco03.mp3"}) {
      if (std::find(skip.begin(), skip.end(), name) == skip.end()) {
        fWriteWholeFile(std::string("dat/sound/") + name, "sound");
      }
    }
  }
};

TEST_F(ResourceManagerTest, PicturesAreNamedByTheirPathBelowTheRoot) {
  fCreateDirectories("dat/image/ui_parts");
  fCreateDirectories("dat/image/.svn");
  fCreateDirectories("dat/mask");
  fWriteWholeFile("dat/image/title.png", fPngHeader(640, 480));
  fWriteWholeFile("dat/image/ui_parts/menu_bg.png", fPngHeader(64, 64));
  fWriteWholeFile("dat/image/.svn/hidden.png", fPngHeader(1, 1));
  fWriteWholeFile("dat/image/readme.txt", "not a picture");
  fWriteWholeFile("dat/image/LOUD.PNG", fPngHeader(2, 2));
  fWriteWholeFile("dat/image/broken.png", "no header");
  fWriteWholeFile("dat/mask/circle.png", fPngHeader(32, 32));

  CImageManager images;
  EXPECT_EQ(images.fGetImageNames(),
            (std::vector<std::string>{"broken.png", "title.png", "ui_parts/menu_bg.png"}));
  int width = 0, height = 0;
  GetGraphSize(images.fGetImage("ui_parts/menu_bg.png"), &width, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(images.fGetImage("broken.png"), -1);  // a failed load is kept as -1
  EXPECT_NE(images.fGetMask("circle.png"), -1);
  try {
    images.fGetImage("menu_bg.png");
    FAIL() << "a name without its folder must not be found";
  } catch (const CGameError& error) {
    EXPECT_STREQ(error.what(), "file not exist:menu_bg.png");
  }
}

TEST_F(ResourceManagerTest, TheRootTextIsRemovedWherevereItAppears) {
  CResourceCollector collector("dat/image/");
  EXPECT_EQ(collector.fNameOf("dat/image/a/dat/image/b.png"), "a/b.png");
}

TEST_F(ResourceManagerTest, SoundTablesGetTheirHandlesAndVolumes) {
  fMakeSoundFolder();
  backend().fSetLogging(true);
  CSoundManager sounds(true);
  const auto volumes = backend().fLogOf({"ChangeVolumeSoundMem"});
  ASSERT_EQ(volumes.size(), 10u);  // nine effects and one piece of music set their volume
  EXPECT_EQ(volumes.front(), "ChangeVolumeSoundMem(100, " + std::to_string(sounds.fEffectHandle(ESoundEffect::Se017)) + ")");
  EXPECT_EQ(volumes.back(), "ChangeVolumeSoundMem(20, " + std::to_string(sounds.fBgmHandle(EBgm::Bgml031)) + ")");
  EXPECT_EQ(backend().fLogOf({"SetCreateSoundDataType"}), std::vector<std::string>{"SetCreateSoundDataType(2)"});

  backend().fClearLog();
  sounds.fPlayEffect(ESoundEffect::Ok1a, false);
  sounds.fPlayEffect(ESoundEffect::Pi14, true);
  const std::string ok = std::to_string(sounds.fEffectHandle(ESoundEffect::Ok1a));
  const std::string pi = std::to_string(sounds.fEffectHandle(ESoundEffect::Pi14));
  EXPECT_EQ(backend().fLog(), (std::vector<std::string>{"PlaySoundMem(" + ok + ", 1, 1)", "PlaySoundMem(" + pi + ", 3, 1)"}));
}

TEST_F(ResourceManagerTest, StoppedMusicIsReloadedWhenPlayedAgain) {
  fMakeSoundFolder();
  CSoundManager sounds(true);
  const int first = sounds.fBgmHandle(EBgm::Tamco03);
  sounds.fStopBgm(EBgm::Tamco03);
  EXPECT_EQ(sounds.fBgmHandle(EBgm::Tamco03), 0);
  backend().fSetLogging(true);
  sounds.fPlayBgm(EBgm::Tamco03);
  const int second = sounds.fBgmHandle(EBgm::Tamco03);
  EXPECT_NE(second, first);
  EXPECT_EQ(backend().fLog(), (std::vector<std::string>{"LoadSoundMem(\"dat/sound/tamco03.mp3\", 3, -1)",
                                                        "PlaySoundMem(" + std::to_string(second) + ", 3, 1)"}));
  EXPECT_TRUE(backend().fIsSoundPlaying(second));
  sounds.fStopAll();
  EXPECT_FALSE(backend().fIsSoundPlaying(second)) << "music reloaded outside the map is stopped too";
}

TEST_F(ResourceManagerTest, ThePlayersVolumesScaleTheDesignedOnes) {
  fMakeSoundFolder();
  CSoundManager sounds(true);
  backend().fSetLogging(true);
  sounds.fSetVolumes(5, 3);
  const auto set = [&](int volume, int handle) {
    return "ChangeVolumeSoundMem(" + std::to_string(volume) + ", " + std::to_string(handle) + ")";
  };
  const auto log = backend().fLogOf({"ChangeVolumeSoundMem"});
  const auto has = [&](const std::string& call) { return std::find(log.begin(), log.end(), call) != log.end(); };
  EXPECT_TRUE(has(set(3, sounds.fEffectHandle(ESoundEffect::Bom10)))) << "designed 10, at 3/10";
  EXPECT_TRUE(has(set(76, sounds.fEffectHandle(ESoundEffect::Get50)))) << "the library's 255, at 3/10";
  EXPECT_TRUE(has(set(10, sounds.fBgmHandle(EBgm::Bgml031)))) << "designed 20, at 5/10";
  EXPECT_TRUE(has(set(127, sounds.fBgmHandle(EBgm::Tamco03))));

  // A paused game lowers the music to a quarter; effects keep their volume.
  backend().fClearLog();
  sounds.fSetMusicLowered(true);
  const auto lowered = backend().fLogOf({"ChangeVolumeSoundMem"});
  EXPECT_NE(std::find(lowered.begin(), lowered.end(), set(31, sounds.fBgmHandle(EBgm::Tamco03))), lowered.end());
  EXPECT_NE(std::find(lowered.begin(), lowered.end(), set(3, sounds.fEffectHandle(ESoundEffect::Bom10))), lowered.end());

  // Music reloaded after a stop gets the player's volume, not the library's.
  sounds.fSetMusicLowered(false);
  sounds.fStopBgm(EBgm::Tamco03);
  backend().fClearLog();
  sounds.fPlayBgm(EBgm::Tamco03);
  const auto reloaded = backend().fLogOf({"ChangeVolumeSoundMem"});
  EXPECT_NE(std::find(reloaded.begin(), reloaded.end(), set(127, sounds.fBgmHandle(EBgm::Tamco03))), reloaded.end());
}

TEST_F(ResourceManagerTest, DisabledSoundLoadsAndPlaysNothing) {
  fMakeSoundFolder();
  backend().fSetLogging(true);
  CSoundManager sounds(false);
  sounds.fPlayEffect(ESoundEffect::Ok1a, false);
  sounds.fPlayBgm(EBgm::Tamco03);
  sounds.fStopAll();
  EXPECT_TRUE(backend().fLog().empty());
  EXPECT_DEATH(sounds.fPlayEffect(static_cast<ESoundEffect>(kSoundEffectCount), false), "out of range");
}

TEST_F(ResourceManagerTest, AnIncompleteSoundFolderTurnsSoundOffInsteadOfFailing) {
  fMakeSoundFolder({"pi14.wav"});
  testing::internal::CaptureStderr();
  CSoundManager sounds(true);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("file not exist:pi14.wav"), std::string::npos);
  EXPECT_FALSE(sounds.fIsEnabled());
}

}  // namespace
