// The 2D renderer: every drawing call lands in an off-screen framebuffer of
// the game's screen size (the back screen, multisampled where the GL allows,
// for smooth model edges), 2D quads batched into one vertex buffer;
// fPresent scales the back screen into the window with black bars. The back
// screen keeps its picture after a present, so it can still be saved.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/sdl/CGlTexture.h"
#include "gamelib/sdl/QuadGeometry.h"

class CGlRenderer {
 public:
  CGlRenderer() = default;
  CGlRenderer(const CGlRenderer&) = delete;
  CGlRenderer& operator=(const CGlRenderer&) = delete;

  // Needs a current GL 3.3 context. False (with a reason) when GL lacks
  // something the game needs.
  bool fInit(int width, int height, std::string& error);
  // Releases the GL objects; the context must still be current.
  void fShutdown();
  bool fIsReady() const { return mProgram != 0; }
  int fWidth() const { return mWidth; }
  int fHeight() const { return mHeight; }

  // ---- drawing state, applied to everything drawn afterwards ----
  void fSetBlendMode(int mode, int param);
  void fSetBright(int red, int green, int blue);
  void fSetDrawArea(int x1, int y1, int x2, int y2);
  void fSetBilinear(bool bilinear) { mBilinear = bilinear; }

  // ---- drawing into the back screen ----
  void fClear();
  // uv: the texture rectangle (0..1) shown at the quad's top left (u0, v0)
  // and bottom right (u1, v1) corners. useAlpha false draws the picture opaque.
  void fDrawQuad(const CGlTexture& texture, const SQuad& quad, float u0, float v0, float u1, float v1, bool useAlpha);
  // Draws the picture at (srcX, srcY) of a bottom-first texture, width x
  // height, opaque and one to one with its top left at (x, y), by copying
  // its texels: what the quad would give, for a fraction of the cost on a
  // software renderer. False, having drawn nothing, where a copy would not
  // give the same picture (blending, brightness, multisampling, a top-first
  // texture): the caller draws a quad.
  bool fCopyPicture(const CGlTexture& texture, int srcX, int srcY, int width, int height, int x, int y);
  // A filled rectangle [x1, x2) x [y1, y2) in colour 0xRRGGBB.
  void fFillRect(int x1, int y1, int x2, int y2, unsigned int colour);
  // Draws what is batched. Anything that reads the back screen or deletes a
  // texture calls this first.
  void fFlush();
  // 3D drawing talks to GL itself between these two: fBegin3D draws what is
  // batched and binds the back screen with the draw area as scissor;
  // fEnd3D puts back the state the 2D batches expect (no depth test, no
  // culling, blending on).
  void fBegin3D();
  void fEnd3D();

  // ---- the window and read-back ----
  // Draws the back screen into the window's framebuffer (windowWidth x
  // windowHeight drawable pixels), letterboxed. The caller swaps.
  void fPresent(int windowWidth, int windowHeight);
  // Waits until every drawing call so far is done.
  void fFinish();
  // Counts a draw call. A software renderer holds every draw of a frame,
  // with a copy of the state it is drawn in (tens of kilobytes each), until
  // the frame is rasterised. Sent in pieces of a few draws, one drawn while
  // the next is gathered, it holds two pieces instead of the whole frame,
  // and rasterises while the game draws on.
  void fCountDraw();
  // Pieces sent since the renderer started.
  long fPiecesSent() const { return mPiecesSent; }
  // The rectangle as tightly packed RGBA rows, top row first. False when the
  // rectangle is empty or leaves the screen.
  bool fReadPixels(int x, int y, int width, int height, std::vector<std::uint8_t>& pixels);
  // Copies the back screen's (x1, y1)-(x2, y2) into target at (targetX, targetY).
  bool fCopyToTexture(int x1, int y1, int x2, int y2, const CGlTexture& target, int targetX, int targetY);

 private:
  struct SVertex {
    float x, y;
    float u, v;
    float r, g, b, a;
    float useAlpha;
  };
  struct SBatchState {
    GLuint texture = 0;
    bool additive = false;
    bool bilinear = false;
    // An opaque picture drawn without blending copies its texels, alpha
    // included, so a see-through part stays see-through in screen copies.
    bool replace = false;
    int area[4] = {0, 0, 0, 0};
    bool operator==(const SBatchState&) const = default;
  };

  // The draw target: multisampled when mSamples > 0. False when the GL
  // refuses it.
  bool fMakeDrawFramebuffer();
  void fDeleteDrawFramebuffer();
  // Draws what is batched and brings mBackScreen up to date with it.
  void fResolve();
  void fBeginQuad(GLuint texture, bool replace = false);
  void fPushQuad(const SQuad& quad, float u0, float v0, float u1, float v1, const float colour[4], bool useAlpha);
  void fUpload();
  void fVertexColour(unsigned int colour, float out[4]) const;

  int mWidth = 0;
  int mHeight = 0;
  GLuint mProgram = 0;
  GLint mScreenUniform = -1;
  GLuint mVao = 0;
  GLuint mVbo = 0;
  std::size_t mVboCapacity = 0;  // in vertices
  GLuint mSamplers[2] = {0, 0};  // nearest, bilinear
  bool mWindowHasAlpha = true;   // the window's own buffer keeps an alpha channel
  static constexpr int kSamples = 4;
  int mSamples = 0;
  bool mSoftware = false;  // a renderer that rasterises on the CPU
  int mPieceDraws = 0;  // draw calls since the last piece was sent
  int mDrawsPerPiece = 0;  // 0: the frame goes whole
  long mPiecesSent = 0;
  GLsync mPieceSent = nullptr;  // the end of the piece sent last
  GLuint mFramebuffer = 0;  // what is drawn into
  GLuint mColourBuffer = 0;  // its multisampled colour, when it has one
  GLuint mDepthBuffer = 0;
  GLuint mResolveFramebuffer = 0;  // mBackScreen, the picture itself
  GLuint mCopyFramebuffer = 0;
  CGlTexture mBackScreen;
  CGlTexture mWhite;

  std::vector<SVertex> mVertices;
  SBatchState mBatch;

  int mBlendMode = 0;
  int mBlendParam = 255;
  int mBright[3] = {255, 255, 255};
  int mArea[4] = {0, 0, 0, 0};
  bool mBilinear = false;
};
