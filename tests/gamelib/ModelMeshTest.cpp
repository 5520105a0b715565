// Turning a read model into triangles: material runs, material colours,
// flat and smooth normals.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "gamelib/sdl/ModelMesh.h"

#if __has_include("Models.h")
#include "Models.h"
#include "MqoWriter.h"
#define PLIMO_HAVE_ASSETGEN 1
#endif

namespace {

// A unit cube centred on the origin, faces wound counter-clockwise from
// outside; face i gets material materials[i].
SMqoFileObject fCube(bool smooth, float facet) {
  SMqoFileObject cube;
  cube.smooth = smooth;
  cube.facetDegrees = facet;
  for (int i = 0; i < 8; ++i) {
    cube.vertices.push_back({(i & 1) ? 0.5f : -0.5f, (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.5f : -0.5f});
  }
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : faces) cube.faces.push_back(SMqoFileFace{{f[0], f[1], f[2], f[3]}, 0, {}});
  return cube;
}

SMqoFile fFileWith(SMqoFileObject object, int materials) {
  SMqoFile file;
  for (int i = 0; i < materials; ++i) file.materials.push_back(SMqoFileMaterial{});
  file.objects.push_back(std::move(object));
  return file;
}

TEST(SdlModelMesh, FlatCubeHasOutwardFaceNormals) {
  const SModelMesh mesh = fBuildModelMesh(fFileWith(fCube(false, 59.5f), 1));
  ASSERT_EQ(mesh.vertices.size(), 36u);  // six quads, two triangles each
  for (std::size_t i = 0; i < mesh.vertices.size(); i += 3) {
    const SVector3 a = mesh.vertices[i].position, b = mesh.vertices[i + 1].position, c = mesh.vertices[i + 2].position;
    const SVector3 centre = (a + b + c) * (1.0f / 3.0f);
    const SVector3 wound = fCross3(b - a, c - a);
    for (int k = 0; k < 3; ++k) {
      const SVector3 n = mesh.vertices[i + static_cast<std::size_t>(k)].normal;
      EXPECT_NEAR(fLength3(n), 1.0f, 1e-5f);
      EXPECT_NEAR(fDot3(n, centre * 2.0f), 1.0f, 1e-5f) << "points out along one axis";
      EXPECT_GT(fDot3(n, wound), 0.0f) << "agrees with the winding";
    }
  }
}

TEST(SdlModelMesh, SmoothNormalsBlendOnlyWithinTheFacetAngle) {
  // The cube's edges are 90 degrees: below the facet angle they stay hard...
  const SModelMesh hard = fBuildModelMesh(fFileWith(fCube(true, 59.5f), 1));
  for (const SMeshVertex& v : hard.vertices) {
    EXPECT_NEAR(std::fabs(v.normal.x) + std::fabs(v.normal.y) + std::fabs(v.normal.z), 1.0f, 1e-5f);
  }
  // ...above it every corner points out along the cube's diagonal.
  const SModelMesh soft = fBuildModelMesh(fFileWith(fCube(true, 100.0f), 1));
  for (const SMeshVertex& v : soft.vertices) {
    const SVector3 diagonal = fNormalised3(v.position, SVector3{});
    EXPECT_NEAR(fDot3(v.normal, diagonal), 1.0f, 1e-5f);
  }
}

TEST(SdlModelMesh, GroupsTrianglesIntoMaterialRuns) {
  SMqoFileObject cube = fCube(false, 59.5f);
  cube.faces[0].material = 1;
  cube.faces[1].material = -1;  // no M(): the default material, listed last
  cube.faces[2].material = 1;
  cube.faces.push_back(SMqoFileFace{{0, 1, 3, 7, 6}, 1, {}});  // a pentagon: a fan of three
  SMqoFile file = fFileWith(cube, 2);
  file.materials[1].colour = {0.5f, 1.0f, 0.25f, 0.5f};
  file.materials[1].diffuse = 0.8f;
  file.materials[1].ambient = 0.5f;
  file.materials[1].emissive = 0.2f;
  file.materials[1].specular = 0.7f;
  file.materials[1].power = 12.0f;
  SMqoFileObject hidden = fCube(false, 59.5f);
  hidden.visible = false;
  file.objects.push_back(hidden);

  const SModelMesh mesh = fBuildModelMesh(file);
  ASSERT_EQ(mesh.runs.size(), 3u);
  EXPECT_EQ(mesh.runs[0].material, 0u);
  EXPECT_EQ(mesh.runs[0].count, 3u * 2u * 3u);
  EXPECT_EQ(mesh.runs[1].material, 1u);
  EXPECT_EQ(mesh.runs[1].count, 2u * 2u * 3u + 3u * 3u);
  EXPECT_EQ(mesh.runs[2].material, 2u);
  EXPECT_EQ(mesh.runs[2].count, 2u * 3u);
  EXPECT_EQ(mesh.runs[1].first, mesh.runs[0].count);
  EXPECT_EQ(mesh.runs[2].first, mesh.runs[1].first + mesh.runs[1].count);
  EXPECT_EQ(mesh.vertices.size(), mesh.runs[2].first + mesh.runs[2].count) << "the hidden cube adds nothing";

  ASSERT_EQ(mesh.materials.size(), 3u);
  const SMeshMaterial& m = mesh.materials[1];
  EXPECT_FLOAT_EQ(m.diffuse[0], 0.4f);
  EXPECT_FLOAT_EQ(m.diffuse[1], 0.8f);
  EXPECT_FLOAT_EQ(m.diffuse[3], 0.5f);
  EXPECT_FLOAT_EQ(m.ambient[2], 0.125f);
  EXPECT_FLOAT_EQ(m.emissive[1], 0.2f);
  EXPECT_FLOAT_EQ(m.specular, 0.7f);
  EXPECT_FLOAT_EQ(m.power, 12.0f);
}

TEST(SdlModelMesh, DegenerateFacesGetAUsableNormal) {
  SMqoFileObject line;
  line.vertices = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  line.faces.push_back(SMqoFileFace{{0, 1, 2}, 0, {}});
  for (bool smooth : {false, true}) {
    line.smooth = smooth;
    const SModelMesh mesh = fBuildModelMesh(fFileWith(line, 1));
    ASSERT_EQ(mesh.vertices.size(), 3u);
    for (const SMeshVertex& v : mesh.vertices) EXPECT_NEAR(fLength3(v.normal), 1.0f, 1e-5f);
  }
}

// Coordinates near the float range: the areas overflow floats, the normals
// must still be the faces' unit normals, flat and smooth.
TEST(SdlModelMesh, HugeModelsGetFiniteUnitNormals) {
  SMqoFileObject huge = fCube(false, 59.5f);
  for (auto& vertex : huge.vertices) {
    for (float& c : vertex) c *= 6e37f;
  }
  for (bool smooth : {false, true}) {
    huge.smooth = smooth;
    const SModelMesh mesh = fBuildModelMesh(fFileWith(huge, 1));
    ASSERT_EQ(mesh.vertices.size(), 36u);
    for (const SMeshVertex& v : mesh.vertices) {
      ASSERT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z));
      EXPECT_NEAR(fLength3(v.normal), 1.0f, 1e-5f);
      // A cube's corner normal, flat or blended, leans outwards.
      EXPECT_GT(fDot3(v.normal, v.position * (1.0f / 6e37f)), 0.0f);
    }
  }
}

TEST(SdlModelMesh, TextureCoordinatesFollowTheirCornersIntoTheFan) {
  SMqoFileObject quad;
  quad.smooth = false;
  quad.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 2, 2}};
  quad.faces.push_back(SMqoFileFace{{0, 1, 2, 3}, 0, {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}}});
  quad.faces.push_back(SMqoFileFace{{0, 1, 4}, 0, {}});  // no UV(): every corner at (0, 0)
  SMqoFile file = fFileWith(quad, 1);
  file.materials[0].texture = "wall.png";
  const SModelMesh mesh = fBuildModelMesh(file);
  EXPECT_EQ(mesh.materials[0].texture, "wall.png");
  EXPECT_EQ(mesh.materials[1].texture, "");
  ASSERT_EQ(mesh.vertices.size(), 9u);
  // The quad's two triangles first: u runs with x, v down from y = 1.
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(mesh.vertices[i].uv[0], mesh.vertices[i].position.x);
    EXPECT_FLOAT_EQ(mesh.vertices[i].uv[1], 1.0f - mesh.vertices[i].position.y);
  }
  for (std::size_t i = 6; i < 9; ++i) EXPECT_EQ(mesh.vertices[i].uv, (std::array<float, 2>{0.0f, 0.0f}));
}

#ifdef PLIMO_HAVE_ASSETGEN
TEST(SdlModelMesh, TheBallIsRoundAndFacesOutwards) {
  const auto file = fReadMqoFile(fWriteMqo(fBallModel(kBallColours[2].colour, false, false)));
  ASSERT_TRUE(file.has_value());
  const SModelMesh mesh = fBuildModelMesh(*file);
  ASSERT_FALSE(mesh.vertices.empty());
  for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
    const SMeshVertex& v = mesh.vertices[i];
    const SVector3 out = fNormalised3(v.position, SVector3{});
    EXPECT_GT(fDot3(v.normal, out), 0.98f) << "smooth normals point away from the centre";
  }
  for (std::size_t i = 0; i < mesh.vertices.size(); i += 3) {
    const SVector3 a = mesh.vertices[i].position, b = mesh.vertices[i + 1].position, c = mesh.vertices[i + 2].position;
    EXPECT_GT(fDot3(fCross3(b - a, c - a), a + b + c), 0.0f) << "wound counter-clockwise from outside";
  }
}

TEST(SdlModelMesh, TheBrickPictureTilesAcrossNeighbouringCells) {
  const auto file = fReadMqoFile(fWriteMqo(fBrickModel()));
  ASSERT_TRUE(file.has_value());
  const SModelMesh mesh = fBuildModelMesh(*file);
  ASSERT_EQ(mesh.materials[0].texture, kBrickTexture);
  EXPECT_LE(mesh.vertices.size(), 6u * 2u * 3u) << "one slab: six faces at most";
  // On the two broad faces the picture's u follows x and its v follows z, so
  // a cell's right edge meets the next cell's left edge at the same place in
  // the picture (u 1 and u 0), and a course carries on across cells.
  int broad = 0;
  for (const SMeshVertex& v : mesh.vertices) {
    if (std::fabs(v.normal.y) < 0.99f) continue;
    ++broad;
    EXPECT_NEAR(v.uv[0], (v.position.x + 16.0f) / 32.0f, 1e-4f);
    EXPECT_NEAR(v.uv[1], (16.0f - v.position.z) / 32.0f, 1e-4f);
  }
  EXPECT_EQ(broad, 2 * 6);
}
#endif

}  // namespace
