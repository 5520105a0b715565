#include "gamelib/sdl/CGlRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstddef>
#include <cstring>

#include "gamelib/GameLib.h"
#include "gamelib/sdl/GlProgram.h"
#include "gamelib/sdl/Letterbox.h"

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec2 aTexCoord;
layout(location = 2) in vec4 aColour;
layout(location = 3) in float aUseAlpha;
uniform vec2 uScreen;
out vec2 vTexCoord;
out vec4 vColour;
out float vUseAlpha;
void main() {
  gl_Position = vec4(aPosition.x / uScreen.x * 2.0 - 1.0, 1.0 - aPosition.y / uScreen.y * 2.0, 0.0, 1.0);
  vTexCoord = aTexCoord;
  vColour = aColour;
  vUseAlpha = aUseAlpha;
}
)";

// Texels and vertex colours are premultiplied, so their product is too.
constexpr const char* kFragmentShader = R"(#version 330 core
in vec2 vTexCoord;
in vec4 vColour;
in float vUseAlpha;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() {
  vec4 texel = texture(uTexture, vTexCoord);
  // 0: drawn opaque; 1: with the picture's alpha (blended, or copied as it
  // is where blending is off).
  if (vUseAlpha < 0.5) texel.a = 1.0;
  fragColour = texel * vColour;
}
)";

constexpr std::size_t kInitialQuads = 1024;
constexpr int kVerticesPerQuad = 6;

bool fIsSoftwareRenderer() {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const std::string name = renderer == nullptr ? "" : renderer;
  return name.find("llvmpipe") != std::string::npos || name.find("softpipe") != std::string::npos ||
         name.find("Software") != std::string::npos;
}

// Smooth edges cost little on a graphics card, but a software renderer
// spends most of the frame on them and falls behind the frame rate.
// PLIMO_SAMPLES=N chooses for itself.
int fWantedSamples(int preferred, bool software) {
  if (const char* chosen = std::getenv("PLIMO_SAMPLES")) return std::clamp(std::atoi(chosen), 0, 16);
  return software ? 0 : preferred;
}

// A full box is about 220 draws a frame. PLIMO_DRAWS_PER_PIECE=N chooses
// for itself (0 sends each frame whole).
int fDrawsPerPiece(bool software) {
  if (const char* chosen = std::getenv("PLIMO_DRAWS_PER_PIECE")) return std::max(std::atoi(chosen), 0);
  return software ? 16 : 0;
}

}  // namespace

bool CGlRenderer::fInit(int width, int height, std::string& error) {
  mWidth = width;
  mHeight = height;
  mArea[0] = 0, mArea[1] = 0, mArea[2] = width, mArea[3] = height;

  // A window without alpha is opaque as it is. Only one with alpha needs it
  // set after each copy; a software renderer compiles a shader for that
  // masked clear, which would delay the first picture.
  GLint windowAlpha = 8;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &windowAlpha);
  mWindowHasAlpha = glGetError() != GL_NO_ERROR || windowAlpha != 0;

  mProgram = fBuildGlProgram(kVertexShader, kFragmentShader, error);
  if (mProgram == 0) return false;
  mScreenUniform = glGetUniformLocation(mProgram, "uScreen");
  glUseProgram(mProgram);
  glUniform1i(glGetUniformLocation(mProgram, "uTexture"), 0);

  glGenVertexArrays(1, &mVao);
  glGenBuffers(1, &mVbo);
  glBindVertexArray(mVao);
  glBindBuffer(GL_ARRAY_BUFFER, mVbo);
  mVboCapacity = kInitialQuads * kVerticesPerQuad;
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mVboCapacity * sizeof(SVertex)), nullptr, GL_STREAM_DRAW);
  const auto stride = static_cast<GLsizei>(sizeof(SVertex));
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SVertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SVertex, u)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SVertex, r)));
  glEnableVertexAttribArray(3);
  glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SVertex, useAlpha)));
  mVertices.reserve(mVboCapacity);

  glGenSamplers(2, mSamplers);
  for (int i = 0; i < 2; ++i) {
    const GLint filter = i == 0 ? GL_NEAREST : GL_LINEAR;
    glSamplerParameteri(mSamplers[i], GL_TEXTURE_MIN_FILTER, filter);
    glSamplerParameteri(mSamplers[i], GL_TEXTURE_MAG_FILTER, filter);
    glSamplerParameteri(mSamplers[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(mSamplers[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }

  const std::uint8_t white[4] = {255, 255, 255, 255};
  mWhite = CGlTexture(1, 1, white, 4);
  mBackScreen = CGlTexture(width, height, nullptr, 0);

  // The screen picture lives in mBackScreen. Drawing goes to a multisampled
  // copy of it where the GL has one, so the edges of models and turned
  // sprites are smooth; fResolve brings mBackScreen up to date.
  glGenFramebuffers(1, &mResolveFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, mResolveFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mBackScreen.fId(), 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error = "the back screen framebuffer is incomplete";
    return false;
  }
  GLint maxSamples = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
  mSoftware = fIsSoftwareRenderer();
  mSamples = std::min(fWantedSamples(kSamples, mSoftware), static_cast<int>(maxSamples));
  mDrawsPerPiece = fDrawsPerPiece(mSoftware);
  if (!fMakeDrawFramebuffer() && mSamples > 0) {
    mSamples = 0;  // multisampling refused: draw straight into the picture
    if (!fMakeDrawFramebuffer()) {
      error = "the back screen framebuffer is incomplete";
      return false;
    }
  }
  glGenFramebuffers(1, &mCopyFramebuffer);

  glEnable(GL_BLEND);
  glEnable(GL_SCISSOR_TEST);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  fClear();
  return true;
}

bool CGlRenderer::fMakeDrawFramebuffer() {
  fDeleteDrawFramebuffer();
  glGenFramebuffers(1, &mFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  if (mSamples > 0) {
    glGenRenderbuffers(1, &mColourBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, mColourBuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, mSamples, GL_RGBA8, mWidth, mHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColourBuffer);
  } else {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mBackScreen.fId(), 0);
  }
  // Depth for the 3D scene that is drawn into the same screen.
  glGenRenderbuffers(1, &mDepthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, mDepthBuffer);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, mSamples, GL_DEPTH24_STENCIL8, mWidth, mHeight);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mDepthBuffer);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  while (glGetError() != GL_NO_ERROR) {
  }
  return complete;
}

void CGlRenderer::fDeleteDrawFramebuffer() {
  if (mFramebuffer != 0) glDeleteFramebuffers(1, &mFramebuffer);
  if (mColourBuffer != 0) glDeleteRenderbuffers(1, &mColourBuffer);
  if (mDepthBuffer != 0) glDeleteRenderbuffers(1, &mDepthBuffer);
  mFramebuffer = mColourBuffer = mDepthBuffer = 0;
}

void CGlRenderer::fResolve() {
  fFlush();
  if (mSamples == 0) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mResolveFramebuffer);
  glDisable(GL_SCISSOR_TEST);  // a blit is clipped by the scissor too
  glBlitFramebuffer(0, 0, mWidth, mHeight, 0, 0, mWidth, mHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glEnable(GL_SCISSOR_TEST);
}

void CGlRenderer::fShutdown() {
  if (mProgram == 0) return;
  fFinish();
  mVertices.clear();
  mBackScreen = CGlTexture();
  mWhite = CGlTexture();
  glDeleteFramebuffers(1, &mCopyFramebuffer);
  glDeleteFramebuffers(1, &mResolveFramebuffer);
  fDeleteDrawFramebuffer();
  glDeleteSamplers(2, mSamplers);
  glDeleteBuffers(1, &mVbo);
  glDeleteVertexArrays(1, &mVao);
  glDeleteProgram(mProgram);
  mProgram = 0;
  mCopyFramebuffer = mResolveFramebuffer = mVbo = mVao = 0;
  mSamplers[0] = mSamplers[1] = 0;
}

void CGlRenderer::fSetBlendMode(int mode, int param) {
  mBlendMode = mode;
  mBlendParam = std::clamp(param, 0, 255);
}

void CGlRenderer::fSetBright(int red, int green, int blue) {
  mBright[0] = std::clamp(red, 0, 255);
  mBright[1] = std::clamp(green, 0, 255);
  mBright[2] = std::clamp(blue, 0, 255);
}

void CGlRenderer::fSetDrawArea(int x1, int y1, int x2, int y2) {
  mArea[0] = std::clamp(x1, 0, mWidth);
  mArea[1] = std::clamp(y1, 0, mHeight);
  mArea[2] = std::clamp(x2, mArea[0], mWidth);
  mArea[3] = std::clamp(y2, mArea[1], mHeight);
}

void CGlRenderer::fClear() {
  fFlush();
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glDisable(GL_SCISSOR_TEST);
  // Cleared see-through: the alpha channel then tracks what was drawn, so
  // pictures copied back from the screen (window backgrounds built from a
  // frame with a hole) keep their transparent parts. Showing and saving the
  // screen ignore its alpha.
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
}

void CGlRenderer::fVertexColour(unsigned int colour, float out[4]) const {
  // Blend mode 0 ignores the parameter; 1 and 2 scale by it. Premultiplied.
  const float alpha = mBlendMode == DX_BLENDMODE_NOBLEND ? 1.0f : static_cast<float>(mBlendParam) / 255.0f;
  const unsigned int channels[3] = {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF};
  for (int i = 0; i < 3; ++i) {
    out[i] = static_cast<float>(channels[i]) / 255.0f * static_cast<float>(mBright[i]) / 255.0f * alpha;
  }
  out[3] = alpha;
}

void CGlRenderer::fBeginQuad(GLuint texture, bool replace) {
  SBatchState state;
  state.texture = texture;
  state.replace = replace;
  state.additive = mBlendMode == DX_BLENDMODE_ADD;
  state.bilinear = mBilinear;
  std::copy(std::begin(mArea), std::end(mArea), std::begin(state.area));
  if (!(state == mBatch)) {
    fFlush();
    mBatch = state;
  }
}

void CGlRenderer::fPushQuad(const SQuad& quad, float u0, float v0, float u1, float v1, const float colour[4],
                            bool useAlpha) {
  const float u[4] = {u0, u1, u1, u0};
  const float v[4] = {v0, v0, v1, v1};
  const float flag = useAlpha ? 1.0f : 0.0f;
  for (int corner : {0, 1, 2, 0, 2, 3}) {
    mVertices.push_back(SVertex{quad.x[corner], quad.y[corner], u[corner], v[corner], colour[0], colour[1], colour[2],
                                colour[3], flag});
  }
}

void CGlRenderer::fDrawQuad(const CGlTexture& texture, const SQuad& quad, float u0, float v0, float u1, float v1,
                            bool useAlpha) {
  if (mProgram == 0 || !texture.fIsValid()) return;
  // Without blending, "opaque" keeps the texels' own alpha: the screen shows
  // the same colours, and a copy of the screen keeps the picture's holes.
  const bool replace = !useAlpha && mBlendMode == DX_BLENDMODE_NOBLEND;
  fBeginQuad(texture.fId(), replace);
  float colour[4];
  fVertexColour(0xFFFFFF, colour);
  fPushQuad(quad, u0, v0, u1, v1, colour, useAlpha || replace);
}

bool CGlRenderer::fCopyPicture(const CGlTexture& texture, int srcX, int srcY, int width, int height, int x, int y) {
  if (mProgram == 0 || !texture.fIsValid() || !texture.fIsBottomFirst() || mSamples != 0 ||
      mBlendMode != DX_BLENDMODE_NOBLEND || mBright[0] != 255 || mBright[1] != 255 || mBright[2] != 255) {
    return false;
  }
  // Clipped to the draw area, which lies inside the screen.
  const int left = std::max(x, mArea[0]);
  const int top = std::max(y, mArea[1]);
  const int right = std::min(x + width, mArea[2]);
  const int bottom = std::min(y + height, mArea[3]);
  if (left >= right || top >= bottom) return true;  // nothing of it shows
  const int columns = right - left;
  const int rows = bottom - top;
  const int fromX = srcX + (left - x);
  const int fromRow = texture.fGlRow(srcY + (top - y), rows);
  const int toRow = mHeight - bottom;  // the back screen keeps its bottom row first
  fFlush();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mCopyFramebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.fId(), 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mFramebuffer);
  glDisable(GL_SCISSOR_TEST);  // a blit is clipped by the scissor too
  glBlitFramebuffer(fromX, fromRow, fromX + columns, fromRow + rows, left, toRow, right, toRow + rows,
                    GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glEnable(GL_SCISSOR_TEST);
  return true;
}

void CGlRenderer::fFillRect(int x1, int y1, int x2, int y2, unsigned int colour) {
  if (mProgram == 0 || x1 >= x2 || y1 >= y2) return;
  fBeginQuad(mWhite.fId());
  float vertexColour[4];
  fVertexColour(colour, vertexColour);
  fPushQuad(fAxisQuad(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2)),
            0.5f, 0.5f, 0.5f, 0.5f, vertexColour, true);
}

void CGlRenderer::fUpload() {
  glBindBuffer(GL_ARRAY_BUFFER, mVbo);
  if (mVertices.size() > mVboCapacity) mVboCapacity = std::max(mVertices.size(), mVboCapacity * 2);
  // Orphaning the old storage lets the driver keep drawing from it meanwhile.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mVboCapacity * sizeof(SVertex)), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(mVertices.size() * sizeof(SVertex)), mVertices.data());
}

void CGlRenderer::fFlush() {
  if (mVertices.empty() || mProgram == 0) return;
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glViewport(0, 0, mWidth, mHeight);
  glUseProgram(mProgram);
  glUniform2f(mScreenUniform, static_cast<float>(mWidth), static_cast<float>(mHeight));
  glBindVertexArray(mVao);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, mBatch.texture);
  glBindSampler(0, mSamplers[mBatch.bilinear ? 1 : 0]);
  if (mBatch.replace) {
    glDisable(GL_BLEND);
  } else {
    glEnable(GL_BLEND);
  }
  // Premultiplied "over" in every channel: the back screen's alpha is the
  // coverage of what was drawn. Additive light adds no coverage.
  if (mBatch.additive) {
    glBlendFuncSeparate(GL_ONE, GL_ONE, GL_ZERO, GL_ONE);
  } else {
    glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }
  glEnable(GL_SCISSOR_TEST);
  glScissor(mBatch.area[0], mHeight - mBatch.area[3], mBatch.area[2] - mBatch.area[0],
            mBatch.area[3] - mBatch.area[1]);
  fUpload();
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mVertices.size()));
  fCountDraw();
  mVertices.clear();
}

void CGlRenderer::fCountDraw() {
  if (mDrawsPerPiece == 0 || ++mPieceDraws < mDrawsPerPiece) return;
  mPieceDraws = 0;
  ++mPiecesSent;
  // The piece before this one must be drawn before this one is sent:
  // otherwise the renderer starts a third, and holds it too.
  if (mPieceSent != nullptr) {
    glClientWaitSync(mPieceSent, 0, GL_TIMEOUT_IGNORED);
    glDeleteSync(mPieceSent);
  }
  mPieceSent = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  glFlush();
}

void CGlRenderer::fFinish() {
  glFinish();
  if (mPieceSent != nullptr) glDeleteSync(mPieceSent);
  mPieceSent = nullptr;
  mPieceDraws = 0;
}

void CGlRenderer::fBegin3D() {
  fFlush();
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glViewport(0, 0, mWidth, mHeight);
  glEnable(GL_SCISSOR_TEST);
  glScissor(mArea[0], mHeight - mArea[3], mArea[2] - mArea[0], mArea[3] - mArea[1]);
}

void CGlRenderer::fEnd3D() {
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
}

void CGlRenderer::fPresent(int windowWidth, int windowHeight) {
  if (mProgram == 0) return;
  fResolve();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, windowWidth, windowHeight);
  if (windowWidth == mWidth && windowHeight == mHeight) {
    // One to one: a plain copy, much cheaper than drawing the picture on a
    // software renderer. The window stays opaque whatever the back screen's
    // alpha says.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mResolveFramebuffer);
    glBlitFramebuffer(0, 0, mWidth, mHeight, 0, 0, mWidth, mHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (mWindowHasAlpha) {
      glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
      glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glViewport(0, 0, mWidth, mHeight);
    glEnable(GL_SCISSOR_TEST);
    return;
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const SViewportRect view = fLetterbox(windowWidth, windowHeight, mWidth, mHeight);
  if (view.width > 0 && view.height > 0) {
    glViewport(view.x, windowHeight - view.y - view.height, view.width, view.height);
    glUseProgram(mProgram);
    glUniform2f(mScreenUniform, 1.0f, 1.0f);
    glBindVertexArray(mVao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, mBackScreen.fId());
    // Whole-number scales stay sharp; others are smoothed.
    const bool whole = view.width % mWidth == 0 && view.height % mHeight == 0;
    glBindSampler(0, mSamplers[whole ? 0 : 1]);
    glDisable(GL_BLEND);
    // The window stays opaque whatever the back screen's alpha says.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    // The back screen's row 0 is its bottom: v runs upwards.
    const float opaque[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    fPushQuad(fAxisQuad(0.0f, 0.0f, 1.0f, 1.0f), 0.0f, 1.0f, 1.0f, 0.0f, opaque, false);
    fUpload();
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mVertices.size()));
    mVertices.clear();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_BLEND);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glViewport(0, 0, mWidth, mHeight);
  glEnable(GL_SCISSOR_TEST);
}

bool CGlRenderer::fReadPixels(int x, int y, int width, int height, std::vector<std::uint8_t>& pixels) {
  if (mProgram == 0 || width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > mWidth || y + height > mHeight) {
    return false;
  }
  fResolve();
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  pixels.resize(rowBytes * static_cast<std::size_t>(height));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mResolveFramebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(x, mHeight - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  // GL hands rows bottom-up.
  std::vector<std::uint8_t> row(rowBytes);
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* a = pixels.data() + rowBytes * static_cast<std::size_t>(top);
    std::uint8_t* b = pixels.data() + rowBytes * static_cast<std::size_t>(bottom);
    std::memcpy(row.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, row.data(), rowBytes);
  }
  return glGetError() == GL_NO_ERROR;
}

bool CGlRenderer::fCopyToTexture(int x1, int y1, int x2, int y2, const CGlTexture& target, int targetX,
                                 int targetY) {
  if (mProgram == 0 || !target.fIsValid()) return false;
  x1 = std::clamp(x1, 0, mWidth);
  x2 = std::clamp(x2, 0, mWidth);
  y1 = std::clamp(y1, 0, mHeight);
  y2 = std::clamp(y2, 0, mHeight);
  // What fits into the target from (targetX, targetY).
  x2 = std::min(x2, x1 + target.fWidth() - targetX);
  y2 = std::min(y2, y1 + target.fHeight() - targetY);
  if (x2 <= x1 || y2 <= y1 || targetX < 0 || targetY < 0) return false;
  fResolve();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mResolveFramebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mCopyFramebuffer);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.fId(), 0);
  glDisable(GL_SCISSOR_TEST);
  const int width = x2 - x1;
  const int height = y2 - y1;
  // Back screen rows run bottom-up; a top-first target is filled upside down.
  const int targetRow = target.fGlRow(targetY, height);
  if (target.fIsBottomFirst()) {
    glBlitFramebuffer(x1, mHeight - y2, x2, mHeight - y1, targetX, targetRow, targetX + width, targetRow + height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
  } else {
    glBlitFramebuffer(x1, mHeight - y2, x2, mHeight - y1, targetX, targetRow + height, targetX + width, targetRow,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glEnable(GL_SCISSOR_TEST);
  return glGetError() == GL_NO_ERROR;
}
