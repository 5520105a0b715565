// A read model turned into what the renderer draws: one triangle list with a
// normal per corner, in runs of one material each, and the material colours
// the lighting needs.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "gamelib/sdl/Math3D.h"
#include "gamelib/sdl/MqoReader.h"

struct SMeshVertex {
  SVector3 position;
  SVector3 normal;
  std::array<float, 2> uv{0.0f, 0.0f};  // into the material's texture, v down from its top row
};

// Colours already multiplied by their factors: diffuse = col x dif (alpha
// from col), ambient = col x amb, emissive = col x emi, specular = spc grey.
struct SMeshMaterial {
  std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  std::array<float, 3> ambient{0.6f, 0.6f, 0.6f};
  std::array<float, 3> emissive{0.0f, 0.0f, 0.0f};
  float specular = 0.0f;
  float power = 5.0f;
  std::string texture;  // a picture file beside the model, multiplying the colour; "" for none
};

// vertices[first, first + count) are count / 3 triangles of one material.
struct SMeshRun {
  std::size_t material = 0;
  std::uint32_t first = 0;
  std::uint32_t count = 0;
};

struct SModelMesh {
  std::vector<SMeshVertex> vertices;
  std::vector<SMeshRun> runs;
  std::vector<SMeshMaterial> materials;  // the file's, then one default
};

inline SMeshMaterial fMeshMaterial(const SMqoFileMaterial& in) {
  SMeshMaterial out;
  for (int i = 0; i < 3; ++i) {
    const auto c = static_cast<std::size_t>(i);
    out.diffuse[c] = in.colour[c] * in.diffuse;
    out.ambient[c] = in.colour[c] * in.ambient;
    out.emissive[c] = in.colour[c] * in.emissive;
  }
  out.diffuse[3] = in.colour[3];
  out.specular = in.specular;
  out.power = in.power;
  out.texture = in.texture;
  return out;
}

// Face normals of models this large stay below it, so that adding up the
// faces round a vertex stays finite too.
inline constexpr double kMaxFaceNormalLength = 1e30;

// A polygon's normal with a length of twice its area (Newell's method, which
// also copes with quads that are not quite flat).
inline SVector3 fPolygonNormal(const SMqoFileObject& object, const SMqoFileFace& face) {
  SVector3 normal;
  const std::size_t n = face.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto& a = object.vertices[static_cast<std::size_t>(face.vertices[i])];
    const auto& b = object.vertices[static_cast<std::size_t>(face.vertices[(i + 1) % n])];
    normal.x += (a[1] - b[1]) * (a[2] + b[2]);
    normal.y += (a[2] - b[2]) * (a[0] + b[0]);
    normal.z += (a[0] - b[0]) * (a[1] + b[1]);
  }
  if (std::isfinite(normal.x) && std::isfinite(normal.y) && std::isfinite(normal.z) &&
      std::max({std::abs(normal.x), std::abs(normal.y), std::abs(normal.z)}) <= kMaxFaceNormalLength) {
    return normal;
  }
  // Coordinates near the float range overflow it: the same sum in double,
  // shortened to a length floats can add up.
  double x = 0.0, y = 0.0, z = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto& a = object.vertices[static_cast<std::size_t>(face.vertices[i])];
    const auto& b = object.vertices[static_cast<std::size_t>(face.vertices[(i + 1) % n])];
    x += (double{a[1]} - b[1]) * (double{a[2]} + b[2]);
    y += (double{a[2]} - b[2]) * (double{a[0]} + b[0]);
    z += (double{a[0]} - b[0]) * (double{a[1]} + b[1]);
  }
  const double largest = std::max({std::abs(x), std::abs(y), std::abs(z)});
  const double scale = largest > kMaxFaceNormalLength ? kMaxFaceNormalLength / largest : 1.0;
  return SVector3{static_cast<float>(x * scale), static_cast<float>(y * scale), static_cast<float>(z * scale)};
}

// The normal at each corner of each face of an object, face by face. Flat
// objects give every corner its face's normal; smooth ones blend the normals
// of the faces round a vertex, but only of those within the facet angle of
// the face itself, so a crease stays sharp.
inline std::vector<std::vector<SVector3>> fCornerNormals(const SMqoFileObject& object) {
  const std::size_t faceCount = object.faces.size();
  std::vector<SVector3> faceNormals(faceCount);
  std::vector<SVector3> unitNormals(faceCount);
  for (std::size_t f = 0; f < faceCount; ++f) {
    faceNormals[f] = fPolygonNormal(object, object.faces[f]);
    unitNormals[f] = fNormalised3(faceNormals[f], SVector3{0.0f, 0.0f, 1.0f});
  }
  std::vector<std::vector<SVector3>> out(faceCount);
  if (!object.smooth) {
    for (std::size_t f = 0; f < faceCount; ++f) out[f].assign(object.faces[f].vertices.size(), unitNormals[f]);
    return out;
  }
  // Faces round each vertex, listed once per vertex even when a face names it twice.
  std::vector<std::vector<std::size_t>> facesOfVertex(object.vertices.size());
  for (std::size_t f = 0; f < faceCount; ++f) {
    for (int v : object.faces[f].vertices) {
      auto& list = facesOfVertex[static_cast<std::size_t>(v)];
      if (list.empty() || list.back() != f) list.push_back(f);
    }
  }
  const float facet = std::clamp(object.facetDegrees, 0.0f, 180.0f);
  const float minCosine = std::cos(facet * static_cast<float>(std::numbers::pi) / 180.0f) - 1e-5f;
  for (std::size_t f = 0; f < faceCount; ++f) {
    out[f].reserve(object.faces[f].vertices.size());
    for (int v : object.faces[f].vertices) {
      SVector3 sum;
      for (std::size_t other : facesOfVertex[static_cast<std::size_t>(v)]) {
        if (fDot3(unitNormals[f], unitNormals[other]) >= minCosine) sum = sum + faceNormals[other];
      }
      out[f].push_back(fNormalised3(sum, unitNormals[f]));
    }
  }
  return out;
}

// Triangles of every visible object, grouped by material in material order;
// polygons become fans round their first corner.
inline SModelMesh fBuildModelMesh(const SMqoFile& file) {
  SModelMesh mesh;
  for (const SMqoFileMaterial& material : file.materials) mesh.materials.push_back(fMeshMaterial(material));
  const std::size_t defaultMaterial = mesh.materials.size();
  mesh.materials.push_back(SMeshMaterial{});

  std::vector<std::vector<SMeshVertex>> byMaterial(mesh.materials.size());
  for (const SMqoFileObject& object : file.objects) {
    if (!object.visible) continue;
    const auto normals = fCornerNormals(object);
    for (std::size_t f = 0; f < object.faces.size(); ++f) {
      const SMqoFileFace& face = object.faces[f];
      auto& out = byMaterial[face.material < 0 ? defaultMaterial : static_cast<std::size_t>(face.material)];
      auto corner = [&](std::size_t i) {
        const auto& p = object.vertices[static_cast<std::size_t>(face.vertices[i])];
        const std::array<float, 2> uv = face.uv.empty() ? std::array<float, 2>{} : face.uv[i];
        out.push_back(SMeshVertex{SVector3{p[0], p[1], p[2]}, normals[f][i], uv});
      };
      for (std::size_t i = 1; i + 1 < face.vertices.size(); ++i) {
        corner(0);
        corner(i);
        corner(i + 1);
      }
    }
  }
  for (std::size_t m = 0; m < byMaterial.size(); ++m) {
    if (byMaterial[m].empty()) continue;
    SMeshRun run;
    run.material = m;
    run.first = static_cast<std::uint32_t>(mesh.vertices.size());
    run.count = static_cast<std::uint32_t>(byMaterial[m].size());
    mesh.runs.push_back(run);
    mesh.vertices.insert(mesh.vertices.end(), byMaterial[m].begin(), byMaterial[m].end());
  }
  return mesh;
}
