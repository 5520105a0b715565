#include "gamelib/sdl/CSdlFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gamelib/GameLib.h"
#include "gamelib/sdl/FontMatch.h"
#include "gamelib/sdl/PixelOps.h"
#include "gamelib/sdl/Utf8.h"

namespace {

// Thickness runs 0 to 9 like a font weight in hundreds; 7 and up is bold.
constexpr int kBoldThickness = 7;
// Faces are asked for with a name; the reported name is cut to the
// classic 32-byte face-name buffer.
constexpr std::size_t kFaceNameBuffer = 32;

bool fIsEdged(int type) { return type == DX_FONTTYPE_EDGE || type == DX_FONTTYPE_ANTIALIASING_EDGE; }
bool fIsAntialiased(int type) {
  return type == DX_FONTTYPE_ANTIALIASING || type == DX_FONTTYPE_ANTIALIASING_EDGE;
}

// Sizes name the height of a line of text in pixels, as the game's layout
// assumes; SDL_ttf sizes name the em. Scale until the line height matches.
void fFitLineHeight(TTF_Font* font, int size) {
  int points = size;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int height = TTF_FontHeight(font);
    if (height <= 0 || height == size) return;
    points = std::max(1, static_cast<int>(std::lround(static_cast<double>(points) * size / height)));
    if (TTF_SetFontSize(font, points) != 0) return;
  }
}

void fAppendBytes(std::string& key, unsigned int value) {
  for (int shift = 0; shift < 32; shift += 8) key.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

CSdlFonts::~CSdlFonts() { fShutdown(); }

bool CSdlFonts::fInit(std::string& error) {
  if (TTF_Init() != 0) {
    error = std::string("the font renderer does not start: ") + TTF_GetError();
    return false;
  }
  mReady = true;
  return true;
}

void CSdlFonts::fShutdown() {
  if (!mReady) return;
  mCache.fClear();
  for (auto& [handle, font] : mFonts) TTF_CloseFont(font->ttf);
  mFonts.clear();
  mDefaultFont = -1;
  TTF_Quit();
  mReady = false;
}

std::unique_ptr<CSdlFonts::SFont> CSdlFonts::fOpen(const char* faceName, int size, int thick, int fontType) const {
  if (size <= 0) size = 16;
  if (thick < 0) thick = 6;
  if (fontType < 0) fontType = DX_FONTTYPE_NORMAL;
  const bool wantBold = thick >= kBoldThickness;
  const auto file = fFindFontFile(faceName, wantBold);
  if (!file) {
    std::fprintf(stderr, "PlimoBall: no font found for \"%s\"\n", faceName == nullptr ? "(default)" : faceName);
    return nullptr;
  }
  TTF_Font* ttf = TTF_OpenFontIndex(file->path.c_str(), size, file->index);
  if (ttf == nullptr) {
    std::fprintf(stderr, "PlimoBall: cannot open font %s: %s\n", file->path.c_str(), TTF_GetError());
    return nullptr;
  }
  fFitLineHeight(ttf, size);
  // Faces without a bold cut (many Japanese ones) are emboldened instead.
  if (wantBold && !file->bold) TTF_SetFontStyle(ttf, TTF_STYLE_BOLD);
  auto font = std::make_unique<SFont>();
  font->ttf = ttf;
  font->faceName = faceName == nullptr ? "" : faceName;
  font->size = size;
  font->thick = thick;
  font->type = fontType;
  return font;
}

int CSdlFonts::fCreate(const char* faceName, int size, int thick, int fontType) {
  if (!mReady) return -1;
  auto font = fOpen(faceName, size, thick, fontType);
  if (!font) return -1;
  const int handle = mNextHandle++;
  mFonts[handle] = std::move(font);
  return handle;
}

int CSdlFonts::fDelete(int font) {
  auto it = mFonts.find(font);
  if (it == mFonts.end()) return -1;
  // Its cached strings are never looked up again and age out.
  mRenderer.fFlush();
  TTF_CloseFont(it->second->ttf);
  mFonts.erase(it);
  if (font == mDefaultFont) mDefaultFont = -1;
  return 0;
}

const CSdlFonts::SText* CSdlFonts::fRender(int font, const SFont& face, const char* text, unsigned int colour,
                                           unsigned int edgeColour) {
  const bool edged = fIsEdged(face.type);
  mKey.clear();
  fAppendBytes(mKey, static_cast<unsigned int>(font));
  fAppendBytes(mKey, colour & 0xFFFFFF);
  fAppendBytes(mKey, edged ? (edgeColour & 0xFFFFFF) : 0u);
  mKey += text;
  if (const SText* cached = mCache.fFind(mKey)) return cached;

  const SDL_Color ink{static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour),
                      255};
  SDL_Surface* rendered = fIsAntialiased(face.type) ? TTF_RenderUTF8_Blended(face.ttf, text, ink)
                                                    : TTF_RenderUTF8_Solid(face.ttf, text, ink);
  if (rendered == nullptr) return nullptr;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(rendered);
  if (rgba == nullptr) return nullptr;
  SText entry;
  SDL_LockSurface(rgba);
  auto* pixels = static_cast<std::uint8_t*>(rgba->pixels);
  if (edged) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(rgba->w + 2) * static_cast<std::size_t>(rgba->h + 2) * 4);
    fComposeEdgedText(pixels, rgba->w, rgba->h, rgba->pitch, edgeColour & 0xFFFFFF, out.data());
    entry.texture = CGlTexture(rgba->w + 2, rgba->h + 2, out.data(), (rgba->w + 2) * 4);
    entry.margin = 1;
  } else {
    fPrepareImagePixels(pixels, rgba->w, rgba->h, rgba->pitch, kNoKeyColour);
    entry.texture = CGlTexture(rgba->w, rgba->h, pixels, rgba->pitch);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return &mCache.fInsert(mKey, std::move(entry));
}

int CSdlFonts::fDraw(int x, int y, const char* text, unsigned int colour, int font, unsigned int edgeColour) {
  auto it = mFonts.find(font);
  if (it == mFonts.end() || text == nullptr) return -1;
  if (text[0] == '\0') return 0;
  const SText* rendered = fRender(font, *it->second, text, colour, edgeColour);
  if (rendered == nullptr) return -1;
  const float left = static_cast<float>(x - rendered->margin);
  const float top = static_cast<float>(y - rendered->margin);
  mRenderer.fDrawQuad(rendered->texture,
                      fAxisQuad(left, top, left + static_cast<float>(rendered->texture.fWidth()),
                                top + static_cast<float>(rendered->texture.fHeight())),
                      0.0f, 0.0f, 1.0f, 1.0f, true);
  return 0;
}

int CSdlFonts::fDefaultFont() {
  if (mDefaultFont < 0) mDefaultFont = fCreate(nullptr, mDefaultSize, mDefaultThick, DX_FONTTYPE_NORMAL);
  return mDefaultFont;
}

int CSdlFonts::fDrawDefault(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) {
  const int font = fDefaultFont();
  if (font < 0) return -1;
  return fDraw(x, y, text, colour, font, edgeColour);
}

int CSdlFonts::fTextWidth(const char* text, int length, int font) {
  auto it = mFonts.find(font);
  if (it == mFonts.end() || text == nullptr) return -1;
  std::size_t bytes = std::strlen(text);
  if (length >= 0) bytes = std::min(bytes, static_cast<std::size_t>(length));
  bytes = fWholeCharacters(text, bytes);
  if (bytes == 0) return 0;
  mSubstring.assign(text, bytes);
  int width = 0;
  if (TTF_SizeUTF8(it->second->ttf, mSubstring.c_str(), &width, nullptr) != 0) return -1;
  return width;
}

int CSdlFonts::fDefaultTextWidth(const char* text) {
  const int font = fDefaultFont();
  return font < 0 ? -1 : fTextWidth(text, -1, font);
}

int CSdlFonts::fState(char* faceName, int* size, int* thick, int font) const {
  auto it = mFonts.find(font);
  if (it == mFonts.end()) return -1;
  if (faceName != nullptr) {
    const std::size_t length = std::min(it->second->faceName.size(), kFaceNameBuffer - 1);
    std::memcpy(faceName, it->second->faceName.data(), length);
    faceName[length] = '\0';
  }
  if (size != nullptr) *size = it->second->size;
  if (thick != nullptr) *thick = it->second->thick;
  return 0;
}

int CSdlFonts::fSetDefaultSize(int size) {
  if (size <= 0) return -1;
  if (size != mDefaultSize && mDefaultFont >= 0) fDelete(mDefaultFont);
  mDefaultSize = size;
  return 0;
}

int CSdlFonts::fSetDefaultThickness(int thick) {
  if (thick < 0) return -1;
  if (thick != mDefaultThick && mDefaultFont >= 0) fDelete(mDefaultFont);
  mDefaultThick = thick;
  return 0;
}
