// Pictures in the SDL backend. Opaque ones drawn one to one are copied into
// the screen rather than shaded: the screen must look exactly as the
// textured quad would make it, clipped the same way, the right way up, for
// whole pictures, pieces of them and pictures taken from the screen. And a
// picture is decoded only when first drawn.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <array>
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

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kPictureWidth = 48;
constexpr int kPictureHeight = 40;

using CRgb = std::array<int, 3>;

// Every texel differs from its neighbours, so a picture moved, turned or
// cut one pixel off shows. Some texels are half or wholly see-through:
// drawn opaque, their (premultiplied) colours land as they are.
std::array<std::uint8_t, 4> fTexel(int x, int y) {
  const int alpha = (x + y) % 11 == 0 ? 0 : ((x * y) % 7 == 0 ? 128 : 255);
  return {static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 6),
          static_cast<std::uint8_t>(40 + (x * 3 + y * 2) % 200), static_cast<std::uint8_t>(alpha)};
}

class SdlPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    mFolder = std::filesystem::temp_directory_path() / ("plimo-pictures-" + std::to_string(getpid()));
    std::filesystem::create_directories(mFolder);
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetGraphMode(kScreenWidth, kScreenHeight, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
    fWritePicture();
    mPicture = LoadGraph((mFolder / "picture.png").c_str());
    ASSERT_NE(mPicture, -1);
  }
  void TearDown() override {
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
    std::filesystem::remove_all(mFolder);
  }

  void fWritePicture(const std::string& name = "picture.png") {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kPictureWidth, kPictureHeight, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(surface, nullptr);
    for (int y = 0; y < kPictureHeight; ++y) {
      auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
      for (int x = 0; x < kPictureWidth; ++x) {
        const auto texel = fTexel(x, y);
        std::copy(texel.begin(), texel.end(), row + x * 4);
      }
    }
    ASSERT_EQ(IMG_SavePNG(surface, (mFolder / name).c_str()), 0);
    SDL_FreeSurface(surface);
  }

  // The whole screen as RGB rows, top row first.
  std::vector<CRgb> fScreen() {
    const std::string path = (mFolder / "screen.png").string();
    EXPECT_EQ(SaveDrawScreenToPNG(0, 0, kScreenWidth, kScreenHeight, path.c_str()), 0);
    SDL_Surface* loaded = IMG_Load(path.c_str());
    EXPECT_NE(loaded, nullptr);
    std::vector<CRgb> pixels;
    if (loaded == nullptr) return pixels;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    for (int y = 0; y < rgba->h; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
      for (int x = 0; x < rgba->w; ++x) pixels.push_back({row[x * 4], row[x * 4 + 1], row[x * 4 + 2]});
    }
    SDL_FreeSurface(rgba);
    return pixels;
  }
  static CRgb fAt(const std::vector<CRgb>& screen, int x, int y) {
    return screen[static_cast<std::size_t>(y * kScreenWidth + x)];
  }
  // The colour a texel leaves on a cleared screen when drawn opaque.
  static CRgb fOpaqueColour(int x, int y) {
    const auto texel = fTexel(x, y);
    const auto premultiply = [&](int channel) { return (channel * texel[3] + 127) / 255; };
    return {premultiply(texel[0]), premultiply(texel[1]), premultiply(texel[2])};
  }

  // The screen after drawing `graph` (width x height) opaque at (x, y), once
  // one to one and once as a stretched quad of the same size.
  void fExpectCopyLooksLikeTheQuad(int graph, int width, int height, int x, int y, const char* what) {
    ClearDrawScreen();
    DrawExtendGraph(x, y, x + width, y + height, graph, 0);
    const std::vector<CRgb> quad = fScreen();
    ClearDrawScreen();
    DrawGraph(x, y, graph, 0);
    const std::vector<CRgb> copied = fScreen();
    ASSERT_EQ(quad.size(), copied.size());
    int differing = 0;
    for (std::size_t i = 0; i < quad.size(); ++i) differing += quad[i] != copied[i] ? 1 : 0;
    EXPECT_EQ(differing, 0) << what << " at (" << x << ", " << y << ")";
  }

  std::filesystem::path mFolder;
  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
  int mPicture = -1;
};

TEST_F(SdlPicturesTest, AnOpaquePictureOneToOneLooksAsTheQuadWouldDrawIt) {
  ClearDrawScreen();
  DrawGraph(10, 12, mPicture, 0);
  const std::vector<CRgb> screen = fScreen();
  // The right way up and not shifted: corners and a see-through texel.
  EXPECT_EQ(fAt(screen, 10, 12), fOpaqueColour(0, 0));
  EXPECT_EQ(fAt(screen, 10 + kPictureWidth - 1, 12), fOpaqueColour(kPictureWidth - 1, 0));
  EXPECT_EQ(fAt(screen, 10, 12 + kPictureHeight - 1), fOpaqueColour(0, kPictureHeight - 1));
  EXPECT_EQ(fAt(screen, 10 + 7, 12 + 3), fOpaqueColour(7, 3));
  EXPECT_EQ(fAt(screen, 9, 12), (CRgb{0, 0, 0}));
  EXPECT_EQ(fAt(screen, 10, 12 + kPictureHeight), (CRgb{0, 0, 0}));

  const int piece = DerivationGraph(5, 4, 30, 20, mPicture);
  ASSERT_NE(piece, -1);
  const struct {
    int x, y;
    const char* what;
  } places[] = {{10, 12, "inside"},
                {-7, -9, "over the top left corner"},
                {kScreenWidth - 20, kScreenHeight - 15, "over the bottom right corner"},
                {-100, 20, "wholly off the screen"}};
  for (const auto& place : places) {
    fExpectCopyLooksLikeTheQuad(mPicture, kPictureWidth, kPictureHeight, place.x, place.y, place.what);
    fExpectCopyLooksLikeTheQuad(piece, 30, 20, place.x, place.y, place.what);
  }
  SetDrawArea(20, 18, 50, 41);
  fExpectCopyLooksLikeTheQuad(mPicture, kPictureWidth, kPictureHeight, 15, 10, "clipped by the draw area");
  fExpectCopyLooksLikeTheQuad(piece, 30, 20, 40, 30, "a piece clipped by the draw area");
}

TEST_F(SdlPicturesTest, APictureTakenFromTheScreenComesBackTheRightWayUp) {
  const int taken = MakeGraph(kPictureWidth, kPictureHeight);
  ASSERT_NE(taken, -1);
  ClearDrawScreen();
  DrawGraph(100, 100, mPicture, 0);
  ASSERT_EQ(GetDrawScreenGraph(100, 100, 100 + kPictureWidth, 100 + kPictureHeight, taken), 0);
  ClearDrawScreen();
  DrawGraph(200, 50, taken, 0);                                                 // copied
  DrawExtendGraph(300, 50, 300 + kPictureWidth, 50 + kPictureHeight, taken, 0);  // shaded
  const std::vector<CRgb> screen = fScreen();
  int differing = 0;
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      differing += fAt(screen, 200 + x, 50 + y) != fOpaqueColour(x, y) ? 1 : 0;
      differing += fAt(screen, 300 + x, 50 + y) != fOpaqueColour(x, y) ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST_F(SdlPicturesTest, BrightnessAndBlendingStillApplyOneToOne) {
  ClearDrawScreen();
  SetDrawBright(128, 128, 128);
  DrawGraph(10, 10, mPicture, 0);
  SetDrawBright(255, 255, 255);
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, 128);
  DrawGraph(100, 10, mPicture, 0);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  const std::vector<CRgb> screen = fScreen();
  const CRgb full = fOpaqueColour(2, 3);
  ASSERT_GT(full[0], 0);
  for (const int left : {10, 100}) {
    const CRgb drawn = fAt(screen, left + 2, 10 + 3);
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_NEAR(drawn[static_cast<std::size_t>(channel)], full[static_cast<std::size_t>(channel)] / 2, 2)
          << "drawn at " << left << ", channel " << channel;
    }
  }
}

TEST_F(SdlPicturesTest, APictureIsDecodedWhenFirstDrawnAndItsPiecesShareIt) {
  auto* sdl = dynamic_cast<CSdlBackend*>(mSdl.get());
  ASSERT_NE(sdl, nullptr);
  const int madeBefore = sdl->fGraphTextureCount();
  const int picture = LoadGraph((mFolder / "picture.png").c_str());
  ASSERT_NE(picture, -1);
  int width = 0, height = 0;
  ASSERT_EQ(GetGraphSize(picture, &width, &height), 0);
  EXPECT_EQ(width, kPictureWidth) << "the size comes from the file's header";
  EXPECT_EQ(height, kPictureHeight);
  const int piece = DerivationGraph(2, 3, 10, 8, picture);
  ASSERT_NE(piece, -1);
  EXPECT_EQ(sdl->fGraphTextureCount(), madeBefore) << "nothing decoded before it is drawn";

  ClearDrawScreen();
  DrawGraph(30, 30, piece, 1);
  EXPECT_EQ(sdl->fGraphTextureCount(), madeBefore + 1);
  DrawGraph(60, 30, picture, 1);
  EXPECT_EQ(sdl->fGraphTextureCount(), madeBefore + 1) << "the piece and its picture share one texture";
  const std::vector<CRgb> screen = fScreen();
  EXPECT_EQ(fAt(screen, 30, 30), fOpaqueColour(2, 3));
  EXPECT_EQ(fAt(screen, 60 + 1, 30 + 2), fOpaqueColour(1, 2));
}

TEST_F(SdlPicturesTest, APictureThatCannotBeReadIsRefusedOrDrawsNothing) {
  {
    std::ofstream junk(mFolder / "junk.png", std::ios::binary);
    junk << "not a picture at all";
  }
  EXPECT_EQ(LoadGraph((mFolder / "junk.png").c_str()), -1);
  EXPECT_EQ(LoadGraph((mFolder / "missing.png").c_str()), -1);

  // Readable when loaded, damaged before it is first drawn: the header
  // survives, the pixels do not.
  fWritePicture("later.png");
  const int later = LoadGraph((mFolder / "later.png").c_str());
  ASSERT_NE(later, -1);
  std::filesystem::resize_file(mFolder / "later.png", 40);
  ClearDrawScreen();
  EXPECT_EQ(DrawGraph(10, 10, later, 0), 0);
  EXPECT_EQ(DrawGraph(10, 10, later, 1), 0) << "said once, then quietly nothing";
  const std::vector<CRgb> screen = fScreen();
  EXPECT_EQ(fAt(screen, 10, 10), (CRgb{0, 0, 0}));
  // The rest of the screen goes on being drawn.
  DrawGraph(100, 100, mPicture, 0);
  EXPECT_EQ(fAt(fScreen(), 100, 100), fOpaqueColour(0, 0));
}

}  // namespace
