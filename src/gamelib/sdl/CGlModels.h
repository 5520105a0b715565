// Model handles and the 3D scene: meshes read from Metasequoia files and
// uploaded to the GPU once, copies that share a mesh but keep their own
// place, turn, opacity and colour scale, the camera and the one directional
// light. Models are drawn into the back screen at once, over what is there,
// with depth testing against the models drawn before them in the frame.
#pragma once

#include <epoxy/gl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gamelib/GameLib.h"
#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CGlTexture.h"
#include "gamelib/sdl/Camera3D.h"
#include "gamelib/sdl/ModelMesh.h"

class CGlModels {
 public:
  // nextHandle: the backend's handle counter, shared with the other handles.
  CGlModels(CGlRenderer& renderer, int& nextHandle) : mRenderer(renderer), mNextHandle(nextHandle) {}
  CGlModels(const CGlModels&) = delete;
  CGlModels& operator=(const CGlModels&) = delete;

  // Needs the GL context current; false with a reason when the shader fails.
  bool fInit(std::string& error);
  // Releases every model and the GL objects; the context must be current.
  void fShutdown();

  int fLoad(const char* path);
  int fDuplicate(int model);
  int fDelete(int model);
  int fSetPosition(int model, VECTOR position);
  int fSetRotation(int model, VECTOR rotation);
  int fSetOpacity(int model, float rate);
  int fSetColourScale(int model, COLOR_F scale);
  int fDraw(int model);
  int fCount() const { return static_cast<int>(mModels.size()); }

  void fSetFieldOfView(float radians);
  void fSetCamera(VECTOR eye, VECTOR target, VECTOR up);
  void fSetScreenCentre(float x, float y);
  void fSetLightDirection(VECTOR direction);
  const SCamera3D& fCamera() const { return mCamera; }

 public:
  struct SUniforms {
    GLint model = -1, viewProjection = -1, eye = -1, toEye = -1, lightDirection = -1;
    GLint diffuse = -1, ambient = -1, emissive = -1, specular = -1, power = -1;
    GLint colourScale = -1, opacity = -1;
    GLint textured = -1, texture = -1;
  };

 private:
  // A mesh on the GPU, shared by a loaded model and all its copies.
  struct SGpuMesh {
    GLuint vao = 0;
    GLuint vbo = 0;
    std::vector<SMeshRun> runs;
    std::vector<SMeshMaterial> materials;
    std::vector<std::shared_ptr<CGlTexture>> textures;  // per material; null for none
    bool vertexLit = false;  // no highlight: lit per vertex, which is cheaper
    ~SGpuMesh();
  };
  struct SModel {
    std::shared_ptr<SGpuMesh> mesh;
    SVector3 position;
    SVector3 rotation;
    float opacity = 1.0f;
    std::array<float, 4> colourScale{1.0f, 1.0f, 1.0f, 1.0f};
  };
  SModel* fFind(int model);
  std::shared_ptr<SGpuMesh> fUpload(const SModelMesh& mesh) const;
  // The picture `name` beside the model at modelPath, shared by every model
  // that names it; null (the material then drawn plain) when it cannot be read.
  std::shared_ptr<CGlTexture> fTexture(const std::string& modelPath, const std::string& name);

  CGlRenderer& mRenderer;
  int& mNextHandle;
  GLuint mProgram = 0;
  SUniforms mUniforms;
  GLuint mVertexLitProgram = 0;
  SUniforms mVertexLitUniforms;
  std::map<int, SModel> mModels;
  std::map<std::string, std::weak_ptr<CGlTexture>> mTextures;  // by the picture's path
  SCamera3D mCamera;
  SVector3 mLightDirection{0.0f, 0.0f, -1.0f};
};
