// A software renderer is sent each frame in pieces of a few draws. The
// picture must be the one the whole frame gives: see-through shapes blended
// in their order across the pieces, models hidden behind ones drawn in an
// earlier piece, pictures and copies from the screen in between.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/CSdlBackend.h"
#include "gamelib/sdl/SdlBackend.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A four-sided pyramid with an opaque and a see-through material.
constexpr const char* kModel = R"(Metasequoia Document
Format Text Ver 1.1

Material 2 {
	"solid" col(0.9 0.3 0.2 1.0) dif(0.8) amb(0.5) emi(0.1) spc(0.6) power(30)
	"glass" col(0.2 0.5 0.9 0.5) dif(0.8) amb(0.5) emi(0.1) spc(0.0) power(5)
}
Object "pyramid" {
	vertex 5 {
		-20 -20 0
		20 -20 0
		20 20 0
		-20 20 0
		0 0 30
	}
	face 5 {
		4 V(3 2 1 0) M(0)
		3 V(0 1 4) M(0)
		3 V(1 2 4) M(1)
		3 V(2 3 4) M(0)
		3 V(3 0 4) M(1)
	}
}
Eof
)";

struct SFrame {
  std::vector<std::uint8_t> pixels;  // RGBA rows
  long pieces = 0;
};

class SdlFramePiecesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    mFolder = std::filesystem::temp_directory_path() / ("plimo-pieces-" + std::to_string(getpid()));
    std::filesystem::create_directories(mFolder);
    std::ofstream(mFolder / "pyramid.mqo") << kModel;
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 32, 24, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(picture, nullptr);
    for (int y = 0; y < 24; ++y) {
      auto* row = static_cast<std::uint8_t*>(picture->pixels) + y * picture->pitch;
      for (int x = 0; x < 32; ++x) {
        const std::uint8_t texel[4] = {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 10), 90,
                                       static_cast<std::uint8_t>((x + y) % 3 == 0 ? 96 : 255)};
        std::copy(texel, texel + 4, row + x * 4);
      }
    }
    ASSERT_EQ(IMG_SavePNG(picture, (mFolder / "picture.png").c_str()), 0);
    SDL_FreeSurface(picture);
  }
  void TearDown() override {
    unsetenv("PLIMO_DRAWS_PER_PIECE");
    std::filesystem::remove_all(mFolder);
  }

  // Draws the same busy frame with `drawsPerPiece` and reads it back.
  SFrame fDrawFrame(const char* drawsPerPiece) {
    setenv("PLIMO_DRAWS_PER_PIECE", drawsPerPiece, 1);
    std::unique_ptr<CGameLibBackend> sdl = fMakeSdlBackend();
    CGameLibBackend* previous = fInstallBackend(sdl.get());
    SetGraphMode(kWidth, kHeight, 32, 60);
    ChangeWindowMode(1);
    SFrame frame;
    EXPECT_EQ(DxLib_Init(), 0);
    const int model = MV1LoadModel((mFolder / "pyramid.mqo").c_str());
    const int picture = LoadGraph((mFolder / "picture.png").c_str());
    const int taken = MakeGraph(64, 48);
    EXPECT_NE(model, -1);
    EXPECT_NE(picture, -1);
    SetCameraPositionAndTargetAndUpVec(VGet(0, -330, 260), VGet(0, 0, 0), VGet(0, 0, 1));

    ClearDrawScreen();
    DrawBox(0, 0, kWidth, kHeight, 0x203040, 1);
    for (int i = 0; i < 60; ++i) {
      // Each row of pyramids half hides the one drawn before it.
      MV1SetPosition(model, VGet(static_cast<float>((i % 10) * 30 - 150), static_cast<float>(60 - (i / 10) * 25),
                                 static_cast<float>(i % 3) * 10.0f));
      MV1SetRotationXYZ(model, VGet(0.0f, 0.0f, static_cast<float>(i) * 0.3f));
      MV1DrawModel(model);
      if (i % 7 == 0) {
        SetDrawBlendMode(DX_BLENDMODE_ALPHA, 100 + i);
        DrawBox(i * 9, i * 5, i * 9 + 120, i * 5 + 90, 0x10101 * static_cast<unsigned>(i * 3) + 0x400000, 1);
        SetDrawBlendMode(DX_BLENDMODE_ADD, 80);
        DrawGraph(500 - i * 6, 300 - i * 3, picture, 1);
        SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
        DrawGraph(i * 8, 400, picture, 0);
      }
      if (i == 30) {
        EXPECT_EQ(GetDrawScreenGraph(200, 150, 264, 198, taken), 0);
      }
    }
    DrawRotaGraph(560, 60, 1.5, 0.4, taken, 1);
    const std::string path = (mFolder / (std::string("frame-") + drawsPerPiece + ".png")).string();
    EXPECT_EQ(SaveDrawScreenToPNG(0, 0, kWidth, kHeight, path.c_str()), 0);
    ScreenFlip();
    if (auto* backend = dynamic_cast<CSdlBackend*>(sdl.get())) frame.pieces = backend->fPiecesSent();
    DxLib_End();
    fInstallBackend(previous);

    SDL_Surface* loaded = IMG_Load(path.c_str());
    EXPECT_NE(loaded, nullptr);
    if (loaded == nullptr) return frame;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    for (int y = 0; y < rgba->h; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
      frame.pixels.insert(frame.pixels.end(), row, row + rgba->w * 4);
    }
    SDL_FreeSurface(rgba);
    return frame;
  }

  std::filesystem::path mFolder;
};

TEST_F(SdlFramePiecesTest, AFrameSentInPiecesLooksAsTheWholeFrame) {
  const SFrame whole = fDrawFrame("0");
  const SFrame pieces = fDrawFrame("1");
  const SFrame some = fDrawFrame("5");
  EXPECT_EQ(whole.pieces, 0);
  EXPECT_GT(pieces.pieces, 80) << "a piece a draw";
  EXPECT_GT(some.pieces, 15);
  EXPECT_LT(some.pieces, pieces.pieces);
  ASSERT_EQ(whole.pixels.size(), static_cast<std::size_t>(kWidth * kHeight * 4));

  // Something was drawn: the pyramids and boxes left many colours.
  int lit = 0;
  for (std::size_t i = 0; i < whole.pixels.size(); i += 4) lit += whole.pixels[i] > 0x40 ? 1 : 0;
  EXPECT_GT(lit, kWidth * kHeight / 10);

  for (const SFrame* split : {&pieces, &some}) {
    ASSERT_EQ(split->pixels.size(), whole.pixels.size());
    int differing = 0;
    for (std::size_t i = 0; i < whole.pixels.size(); ++i) differing += split->pixels[i] != whole.pixels[i] ? 1 : 0;
    EXPECT_EQ(differing, 0) << split->pieces << " pieces";
  }
}

}  // namespace
