#include "gamelib/sdl/CGlModels.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include <SDL.h>
#include <SDL_image.h>

#include "gamelib/FileRoots.h"
#include "gamelib/FileSystem.h"
#include "gamelib/sdl/GlProgram.h"
#include "gamelib/sdl/MqoReader.h"
#include "gamelib/sdl/PixelOps.h"

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
uniform mat4 uModel;
uniform mat4 uViewProjection;
out vec3 vNormal;
void main() {
  vec4 world = uModel * vec4(aPosition, 1.0);
  vNormal = mat3(uModel) * aNormal;  // turns and moves only: no scaling to undo
  gl_Position = uViewProjection * world;
}
)";

// The light of every model, lit per pixel or per vertex alike: the
// material's colours under one sun and a sky-to-ground ambient, out
// premultiplied like everything else in the back screen.
constexpr const char* kLighting = R"(
uniform vec3 uEye;
uniform vec3 uLightDirection;
uniform vec4 uDiffuse;
uniform vec3 uAmbient;
uniform vec3 uEmissive;
uniform float uSpecular;
uniform float uPower;
uniform vec4 uColourScale;
uniform float uOpacity;

const vec3 kLightColour = vec3(1.0, 0.98, 0.94);
const vec3 kSkyAmbient = vec3(0.62, 0.66, 0.72);
const vec3 kGroundAmbient = vec3(0.50, 0.47, 0.42);

vec4 fShade(vec3 normal, vec3 toEye) {
  vec3 toLight = -uLightDirection;
  float lambert = max(dot(normal, toLight), 0.0);
  vec3 halfway = normalize(toLight + toEye);
  float shine = lambert > 0.0 ? pow(max(dot(normal, halfway), 0.0), max(uPower, 1.0)) : 0.0;
  // A little more light from the sky than from the ground, so the shaded
  // sides keep their colour instead of turning grey.
  vec3 ambientLight = mix(kGroundAmbient, kSkyAmbient, normal.z * 0.5 + 0.5);
  vec3 scale = uColourScale.rgb;
  vec3 colour = uEmissive * scale + ambientLight * uAmbient * scale + kLightColour * uDiffuse.rgb * scale * lambert +
                kLightColour * uSpecular * shine;
  float alpha = clamp(uDiffuse.a * uColourScale.a * uOpacity, 0.0, 1.0);
  return vec4(min(colour, vec3(1.0)) * alpha, alpha);
}
)";

// Lit per pixel, so the highlight on a ball stays round. The way to the eye
// is the model's, one for all its pixels: a model this small seen from this
// far looks the same, and a software renderer is spared working it out per
// pixel.
constexpr const char* kFragmentShaderHead = R"(#version 330 core
in vec3 vNormal;
uniform vec3 uToEye;
out vec4 fragColour;
)";
constexpr const char* kFragmentShaderMain = R"(
void main() {
  vec3 normal = normalize(vNormal);
  if (!gl_FrontFacing) normal = -normal;
  fragColour = fShade(normal, uToEye);
}
)";

// Lit per vertex: for meshes of flat faces with no highlight to speak of
// (bricks, turf), whose faces look the same either way. On a software
// renderer the fragments are most of the frame, and these are most of them.
constexpr const char* kVertexLitShaderHead = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uModel;
uniform mat4 uViewProjection;
out vec4 vColour;
out vec2 vTexCoord;
)";
constexpr const char* kVertexLitShaderMain = R"(
void main() {
  vec4 world = uModel * vec4(aPosition, 1.0);
  gl_Position = uViewProjection * world;
  vColour = fShade(normalize(mat3(uModel) * aNormal), normalize(uEye - world.xyz));
  vTexCoord = aTexCoord;
}
)";

constexpr const char* kVertexLitFragmentShader = R"(#version 330 core
in vec4 vColour;
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform bool uTextured;
out vec4 fragColour;
void main() {
  fragColour = vColour;
  // An opaque picture tints the lit colour; the alpha stays the material's.
  if (uTextured) fragColour.rgb *= texture(uTexture, vTexCoord).rgb;
}
)";

// Above this a material has a highlight that must stay round: lit per pixel.
constexpr float kVertexLitMaxSpecular = 0.15f;

SVector3 fVector(VECTOR v) { return SVector3{v.x, v.y, v.z}; }

CGlModels::SUniforms fUniformsOf(GLuint program) {
  auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
  CGlModels::SUniforms uniforms;
  uniforms.model = at("uModel");
  uniforms.viewProjection = at("uViewProjection");
  uniforms.eye = at("uEye");
  uniforms.toEye = at("uToEye");
  uniforms.lightDirection = at("uLightDirection");
  uniforms.diffuse = at("uDiffuse");
  uniforms.ambient = at("uAmbient");
  uniforms.emissive = at("uEmissive");
  uniforms.specular = at("uSpecular");
  uniforms.power = at("uPower");
  uniforms.colourScale = at("uColourScale");
  uniforms.opacity = at("uOpacity");
  uniforms.textured = at("uTextured");
  uniforms.texture = at("uTexture");
  return uniforms;
}

}  // namespace

CGlModels::SGpuMesh::~SGpuMesh() {
  if (vbo != 0) glDeleteBuffers(1, &vbo);
  if (vao != 0) glDeleteVertexArrays(1, &vao);
}

bool CGlModels::fInit(std::string& error) {
  const std::string fragmentShader = std::string(kFragmentShaderHead) + kLighting + kFragmentShaderMain;
  const std::string vertexLitShader = std::string(kVertexLitShaderHead) + kLighting + kVertexLitShaderMain;
  mProgram = fBuildGlProgram(kVertexShader, fragmentShader.c_str(), error);
  if (mProgram == 0) return false;
  mUniforms = fUniformsOf(mProgram);
  mVertexLitProgram = fBuildGlProgram(vertexLitShader.c_str(), kVertexLitFragmentShader, error);
  if (mVertexLitProgram == 0) {
    glDeleteProgram(mProgram);
    mProgram = 0;
    return false;
  }
  mVertexLitUniforms = fUniformsOf(mVertexLitProgram);
  return true;
}

void CGlModels::fShutdown() {
  if (mProgram == 0) return;
  mModels.clear();  // the last copy of each mesh frees its buffers
  glDeleteProgram(mProgram);
  glDeleteProgram(mVertexLitProgram);
  mProgram = mVertexLitProgram = 0;
}

CGlModels::SModel* CGlModels::fFind(int model) {
  auto it = mModels.find(model);
  return it == mModels.end() ? nullptr : &it->second;
}

std::shared_ptr<CGlModels::SGpuMesh> CGlModels::fUpload(const SModelMesh& mesh) const {
  auto gpu = std::make_shared<SGpuMesh>();
  gpu->runs = mesh.runs;
  gpu->materials = mesh.materials;
  // Pictures are drawn by the per-vertex program only: a textured mesh's
  // look comes from its picture, not from a highlight.
  gpu->vertexLit =
      std::all_of(mesh.materials.begin(), mesh.materials.end(),
                  [](const SMeshMaterial& material) { return material.specular <= kVertexLitMaxSpecular; }) ||
      std::any_of(mesh.materials.begin(), mesh.materials.end(),
                  [](const SMeshMaterial& material) { return !material.texture.empty(); });
  glGenVertexArrays(1, &gpu->vao);
  glGenBuffers(1, &gpu->vbo);
  glBindVertexArray(gpu->vao);
  glBindBuffer(GL_ARRAY_BUFFER, gpu->vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(SMeshVertex)),
               mesh.vertices.data(), GL_STATIC_DRAW);
  const auto stride = static_cast<GLsizei>(sizeof(SMeshVertex));
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SMeshVertex, position)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SMeshVertex, normal)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(SMeshVertex, uv)));
  glBindVertexArray(0);
  return gpu;
}

std::shared_ptr<CGlTexture> CGlModels::fTexture(const std::string& modelPath, const std::string& name) {
  const std::size_t slash = modelPath.find_last_of('/');
  const std::string path = (slash == std::string::npos ? "" : modelPath.substr(0, slash + 1)) + name;
  if (auto known = mTextures[path].lock()) return known;
  SDL_Surface* loaded = IMG_Load(fReadLocation(path).c_str());
  if (loaded == nullptr) {
    std::fprintf(stderr, "PlimoBall: cannot load the model picture %s: %s\n", path.c_str(), IMG_GetError());
    return nullptr;
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return nullptr;
  SDL_LockSurface(rgba);
  // Tightly packed, as the smaller levels are.
  int width = rgba->w, height = rgba->h;
  std::vector<std::uint8_t> level(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    std::memcpy(level.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4,
                static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<std::ptrdiff_t>(y) * rgba->pitch,
                static_cast<std::size_t>(width) * 4);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  fPrepareImagePixels(level.data(), width, height, width * 4, kNoKeyColour);
  auto texture = std::make_shared<CGlTexture>(width, height, level.data(), width * 4);
  // Seen from afar a wall shrinks its picture several times over: mipmaps
  // keep the bricks calm instead of sparkling, and repeat lets a face tile
  // it. The levels are made here rather than by glGenerateMipmap, which a
  // software renderer carries out with a shader it must compile first,
  // delaying the first picture.
  glBindTexture(GL_TEXTURE_2D, texture->fId());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  for (int mip = 1; width > 1 || height > 1; ++mip) {
    int halfWidth = 0, halfHeight = 0;
    level = fHalvePixels(level.data(), width, height, halfWidth, halfHeight);
    width = halfWidth;
    height = halfHeight;
    glTexImage2D(GL_TEXTURE_2D, mip, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glBindTexture(GL_TEXTURE_2D, 0);
  mTextures[path] = texture;
  return texture;
}

int CGlModels::fLoad(const char* path) {
  if (path == nullptr || mProgram == 0) return -1;
  std::string text;
  try {
    text = fReadWholeFile(path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "PlimoBall: cannot read model %s: %s\n", path, error.what());
    return -1;
  }
  const std::optional<SMqoFile> file = fReadMqoFile(text);
  if (!file) {
    std::fprintf(stderr, "PlimoBall: %s is not a Metasequoia text model this game can read\n", path);
    return -1;
  }
  mRenderer.fFlush();  // uploading rebinds the array buffer the batch uses
  SModel model;
  model.mesh = fUpload(fBuildModelMesh(*file));
  for (const SMeshMaterial& material : model.mesh->materials) {
    model.mesh->textures.push_back(material.texture.empty() ? nullptr : fTexture(path, material.texture));
  }
  const int handle = mNextHandle++;
  mModels.emplace(handle, std::move(model));
  return handle;
}

int CGlModels::fDuplicate(int model) {
  const SModel* original = fFind(model);
  if (original == nullptr) return -1;
  SModel copy;
  copy.mesh = original->mesh;  // the copy starts at the origin, untouched
  const int handle = mNextHandle++;
  mModels.emplace(handle, std::move(copy));
  return handle;
}

int CGlModels::fDelete(int model) {
  auto it = mModels.find(model);
  if (it == mModels.end()) return -1;
  mModels.erase(it);
  return 0;
}

int CGlModels::fSetPosition(int model, VECTOR position) {
  SModel* found = fFind(model);
  if (found == nullptr) return -1;
  found->position = fVector(position);
  return 0;
}

int CGlModels::fSetRotation(int model, VECTOR rotation) {
  SModel* found = fFind(model);
  if (found == nullptr) return -1;
  found->rotation = fVector(rotation);
  return 0;
}

int CGlModels::fSetOpacity(int model, float rate) {
  SModel* found = fFind(model);
  if (found == nullptr) return -1;
  found->opacity = std::clamp(rate, 0.0f, 1.0f);
  return 0;
}

int CGlModels::fSetColourScale(int model, COLOR_F scale) {
  SModel* found = fFind(model);
  if (found == nullptr) return -1;
  found->colourScale = {std::max(scale.r, 0.0f), std::max(scale.g, 0.0f), std::max(scale.b, 0.0f),
                        std::clamp(scale.a, 0.0f, 1.0f)};
  return 0;
}

void CGlModels::fSetFieldOfView(float radians) {
  // Outside (0, pi) there is no picture to make; keep the last good one.
  if (radians > 0.01f && radians < 3.1f) mCamera.fieldOfView = radians;
}

void CGlModels::fSetCamera(VECTOR eye, VECTOR target, VECTOR up) {
  mCamera.eye = fVector(eye);
  mCamera.target = fVector(target);
  mCamera.up = fVector(up);
}

void CGlModels::fSetScreenCentre(float x, float y) {
  mCamera.centreX = x;
  mCamera.centreY = y;
}

void CGlModels::fSetLightDirection(VECTOR direction) {
  mLightDirection = fNormalised3(fVector(direction), mLightDirection);
}

int CGlModels::fDraw(int model) {
  const SModel* found = fFind(model);
  if (found == nullptr) return -1;
  const float modelAlpha = found->opacity * found->colourScale[3];
  if (mProgram == 0 || modelAlpha <= 0.0f) return 0;

  const auto width = static_cast<float>(mRenderer.fWidth());
  const auto height = static_cast<float>(mRenderer.fHeight());
  const SMatrix4 viewProjection = fViewProjectionMatrix(mCamera, width, height);
  const SMatrix4 placement = fModelMatrix(found->position, found->rotation);

  mRenderer.fBegin3D();
  const SUniforms& uniforms = found->mesh->vertexLit ? mVertexLitUniforms : mUniforms;
  glUseProgram(found->mesh->vertexLit ? mVertexLitProgram : mProgram);
  glUniformMatrix4fv(uniforms.viewProjection, 1, GL_FALSE, viewProjection.m.data());
  glUniformMatrix4fv(uniforms.model, 1, GL_FALSE, placement.m.data());
  glUniform3f(uniforms.eye, mCamera.eye.x, mCamera.eye.y, mCamera.eye.z);
  const SVector3 toEye = fNormalised3(
      SVector3{mCamera.eye.x - found->position.x, mCamera.eye.y - found->position.y, mCamera.eye.z - found->position.z},
      SVector3{0.0f, 0.0f, 1.0f});
  glUniform3f(uniforms.toEye, toEye.x, toEye.y, toEye.z);
  glUniform3f(uniforms.lightDirection, mLightDirection.x, mLightDirection.y, mLightDirection.z);
  glUniform4fv(uniforms.colourScale, 1, found->colourScale.data());
  glUniform1f(uniforms.opacity, found->opacity);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  // The game's models wind their faces counter-clockwise seen from outside
  // in a right-handed reading, which the left-handed picture shows
  // clockwise (Camera3D.h). Culling the backs keeps the inside of a
  // see-through ball from showing.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glBindVertexArray(found->mesh->vao);
  // The texture's own filtering, not the 2D renderer's sampler on unit 0.
  glActiveTexture(GL_TEXTURE0);
  glBindSampler(0, 0);
  glUniform1i(uniforms.texture, 0);
  for (const SMeshRun& run : found->mesh->runs) {
    const SMeshMaterial& material = found->mesh->materials[run.material];
    const CGlTexture* texture = found->mesh->textures[run.material].get();
    if (uniforms.textured != -1) glUniform1i(uniforms.textured, texture != nullptr ? 1 : 0);
    if (texture != nullptr) glBindTexture(GL_TEXTURE_2D, texture->fId());
    const bool seeThrough = modelAlpha * material.diffuse[3] < 1.0f;
    if (seeThrough) {
      // Blended over what is behind, and leaving the depth alone so that
      // what is drawn later behind it still shows through.
      glEnable(GL_BLEND);
      glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      glDepthMask(GL_FALSE);
    } else {
      glDisable(GL_BLEND);
      glDepthMask(GL_TRUE);
    }
    glUniform4fv(uniforms.diffuse, 1, material.diffuse.data());
    glUniform3fv(uniforms.ambient, 1, material.ambient.data());
    glUniform3fv(uniforms.emissive, 1, material.emissive.data());
    glUniform1f(uniforms.specular, material.specular);
    glUniform1f(uniforms.power, material.power);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first), static_cast<GLsizei>(run.count));
    mRenderer.fCountDraw();
  }
  glBindVertexArray(0);
  mRenderer.fEnd3D();
  return 0;
}
