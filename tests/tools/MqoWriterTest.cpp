// The model files: their text must parse back to what was built, faces must
// face outwards (the loader may cull back faces) and each model must have
// the size and placement the stage relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "MeshBuilder.h"
#include "Models.h"
#include "MqoWriter.h"

namespace {

// A small reader of the subset the writer produces: enough to check counts,
// indices and coordinates independently of the writer's own structures.
struct SParsedObject {
  std::string name;
  std::vector<SVec3> vertices;
  std::vector<std::vector<int>> faces;
  std::vector<int> materials;
};

struct SParsed {
  int materialCount = -1;
  std::vector<SParsedObject> objects;
  bool endsWithEof = false;
};

SParsed fParse(const std::string& text) {
  SParsed parsed;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  if (line != "Metasequoia Document") throw std::runtime_error("bad first line: " + line);
  std::getline(in, line);
  if (line != "Format Text Ver 1.0") throw std::runtime_error("bad format line: " + line);
  while (std::getline(in, line)) {
    if (line.rfind("Material ", 0) == 0) {
      parsed.materialCount = std::stoi(line.substr(9));
      for (int i = 0; i < parsed.materialCount; ++i) {
        std::getline(in, line);
        if (line.find("col(") == std::string::npos || line.find("power(") == std::string::npos) {
          throw std::runtime_error("bad material line: " + line);
        }
      }
    } else if (line.rfind("Object \"", 0) == 0) {
      SParsedObject object;
      object.name = line.substr(8, line.find('"', 8) - 8);
      while (std::getline(in, line) && line != "}") {
        if (line.rfind("\tvertex ", 0) == 0) {
          const int count = std::stoi(line.substr(8));
          for (int i = 0; i < count; ++i) {
            std::getline(in, line);
            std::istringstream numbers(line);
            SVec3 v;
            if (!(numbers >> v.x >> v.y >> v.z)) throw std::runtime_error("bad vertex: " + line);
            object.vertices.push_back(v);
          }
          std::getline(in, line);
          if (line != "\t}") throw std::runtime_error("vertex count does not match the list");
        } else if (line.rfind("\tface ", 0) == 0) {
          const int count = std::stoi(line.substr(6));
          for (int i = 0; i < count; ++i) {
            std::getline(in, line);
            std::istringstream fields(line);
            int n = 0;
            fields >> n;
            const size_t open = line.find("V("), close = line.find(')', open);
            std::istringstream indices(line.substr(open + 2, close - open - 2));
            std::vector<int> face;
            int index;
            while (indices >> index) face.push_back(index);
            if (static_cast<int>(face.size()) != n) throw std::runtime_error("face size mismatch: " + line);
            object.faces.push_back(face);
            object.materials.push_back(std::stoi(line.substr(line.find("M(") + 2)));
          }
          std::getline(in, line);
          if (line != "\t}") throw std::runtime_error("face count does not match the list");
        }
      }
      parsed.objects.push_back(object);
    } else if (line == "Eof") {
      parsed.endsWithEof = true;
    }
  }
  return parsed;
}

void fExpectWellFormed(const SParsed& parsed) {
  EXPECT_TRUE(parsed.endsWithEof);
  ASSERT_GT(parsed.materialCount, 0);
  for (const SParsedObject& object : parsed.objects) {
    for (size_t f = 0; f < object.faces.size(); ++f) {
      const auto& face = object.faces[f];
      EXPECT_TRUE(face.size() == 3 || face.size() == 4);
      for (int v : face) {
        EXPECT_GE(v, 0);
        EXPECT_LT(v, static_cast<int>(object.vertices.size()));
      }
      EXPECT_GE(object.materials[f], 0);
      EXPECT_LT(object.materials[f], parsed.materialCount);
    }
  }
}

struct SBounds {
  SVec3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
};

SBounds fBounds(const SParsedObject& object) {
  SBounds b;
  for (const SVec3& v : object.vertices) {
    b.low = {std::min(b.low.x, v.x), std::min(b.low.y, v.y), std::min(b.low.z, v.z)};
    b.high = {std::max(b.high.x, v.x), std::max(b.high.y, v.y), std::max(b.high.z, v.z)};
  }
  return b;
}

// Every face of a closed convex-ish part points away from `centre`.
int fInwardFaces(const SMqoObject& object, SVec3 centre) {
  int inward = 0;
  for (const SMqoFace& face : object.faces) {
    if (fDot(fFaceNormal(object, face), fFaceCentre(object, face) - centre) <= 0.0) ++inward;
  }
  return inward;
}

}  // namespace

TEST(AssetMqoWriter, BallTextParsesBackWithItsCountsAndRadius) {
  const SMqoDocument ball = fBallModel(fHex(0xE94B3C), false, false);
  const SParsed parsed = fParse(fWriteMqo(ball));
  fExpectWellFormed(parsed);
  ASSERT_EQ(parsed.objects.size(), 1u);
  const SParsedObject& object = parsed.objects[0];
  EXPECT_EQ(object.vertices.size(), ball.objects[0].vertices.size());
  EXPECT_EQ(object.faces.size(), ball.objects[0].faces.size());
  // Round enough at 25 to 40 pixels across, and no finer: a full box holds
  // 72 balls, and a software renderer pays for every triangle.
  EXPECT_GE(object.faces.size(), 12u * 8u);
  EXPECT_LE(object.faces.size(), 128u);
  for (const SVec3& v : object.vertices) EXPECT_NEAR(fLength(v), 15.0, 1e-3);
}

TEST(AssetMqoWriter, SphereAndBoxFacesAllPointOutwards) {
  SMqoObject sphere;
  fAddSphere(sphere, {1, 2, 3}, 5.0, 12, 8, [](SVec3) { return 0; });
  EXPECT_EQ(sphere.faces.size(), 12u * 8u);
  EXPECT_EQ(fInwardFaces(sphere, {1, 2, 3}), 0);

  SMqoObject box;
  fAddBox(box, {-1, -2, -3}, {4, 5, 6}, [](SVec3) { return 0; });
  EXPECT_EQ(box.faces.size(), 6u);
  EXPECT_EQ(fInwardFaces(box, {1.5, 1.5, 1.5}), 0);
  // Each face's material was chosen by its true outward normal.
  SMqoObject labelled;
  fAddBox(labelled, {0, 0, 0}, {1, 1, 1}, [](SVec3 n) { return n.z > 0 ? 1 : 0; });
  for (const SMqoFace& face : labelled.faces) {
    EXPECT_EQ(face.material == 1, fNormalise(fFaceNormal(labelled, face)).z > 0.99);
  }
}

TEST(AssetMqoWriter, NegativeMaterialLeavesABoxFaceOut) {
  SMqoObject box;
  fAddBox(box, {0, 0, 0}, {1, 1, 1}, [](SVec3 n) { return n.z < 0 ? -1 : 0; });
  EXPECT_EQ(box.faces.size(), 5u);
}

TEST(AssetMqoWriter, RejectsBadFacesInsteadOfWritingABrokenFile) {
  SMqoDocument document;
  document.materials.push_back({});
  SMqoObject object;
  object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  object.faces.push_back({{0, 1, 3}, 0, {}});
  document.objects.push_back(object);
  EXPECT_THROW(fWriteMqo(document), std::invalid_argument);
  document.objects[0].faces[0] = {{0, 1, 2}, 1, {}};
  EXPECT_THROW(fWriteMqo(document), std::invalid_argument);
  document.objects[0].faces[0] = {{0, 1}, 0, {}};
  EXPECT_THROW(fWriteMqo(document), std::invalid_argument);
  document.objects[0].faces[0] = {{0, 1, 2}, 0, {}};
  EXPECT_NO_THROW(fWriteMqo(document));
}

TEST(AssetMqoWriter, WritesTexturesAndTextureCoordinates) {
  SMqoDocument document;
  SMqoMaterial material;
  material.name = "wall";
  material.texture = "wall.png";
  document.materials.push_back(material);
  document.materials.push_back({});
  SMqoObject object;
  object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  object.faces.push_back({{0, 1, 2}, 0, {{0, 1}, {1, 1}, {0.25, 0}}});
  object.faces.push_back({{0, 2, 1}, 1, {}});
  document.objects.push_back(object);
  const std::string text = fWriteMqo(document);
  EXPECT_NE(text.find(" tex(\"wall.png\")\n"), std::string::npos) << text;
  EXPECT_NE(text.find("M(0) UV(0.00000 1.00000 1.00000 1.00000 0.25000 0.00000)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("V(0 2 1) M(1)\n"), std::string::npos) << "no UV() for a face without one";
  EXPECT_EQ(text.find("tex(\"\")"), std::string::npos) << "no tex() for a plain material";
  document.objects[0].faces[0].uv.pop_back();
  EXPECT_THROW(fWriteMqo(document), std::invalid_argument);
}

TEST(AssetMqoWriter, NumbersIgnoreTheLocaleAndNeverShowNegativeZero) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be missing; the C locale then stays
  SMqoDocument document;
  document.materials.push_back({});
  SMqoObject object;
  object.vertices = {{-0.00001, 1.5, -2.25}};
  document.objects.push_back(object);
  const std::string text = fWriteMqo(document);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_NE(text.find("\t\t0.0000 1.5000 -2.2500\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("-0.0000"), std::string::npos);
}

TEST(AssetModels, HighlightedBallLooksDifferentFromTheNormalOne) {
  const SMqoDocument normal = fBallModel(fHex(0x45C265), false, false);
  const SMqoDocument glowing = fBallModel(fHex(0x45C265), false, true);
  auto usedMaterials = [](const SMqoDocument& d) {
    std::vector<int> used;
    for (const SMqoFace& face : d.objects[0].faces) used.push_back(face.material);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
  };
  EXPECT_EQ(usedMaterials(normal).size(), 1u);
  EXPECT_GE(usedMaterials(glowing).size(), 2u);  // the glowing band
  EXPECT_GT(glowing.materials[0].emi, normal.materials[0].emi);
  // The garbage ball carries its cross on every side.
  const SMqoDocument garbage = fBallModel(fHex(0x8C939C), true, false);
  for (const SVec3 side : {SVec3{1, 0, 0}, SVec3{-1, 0, 0}, SVec3{0, 1, 0}, SVec3{0, -1, 0}}) {
    bool marked = false;
    for (const SMqoFace& face : garbage.objects[0].faces) {
      if (face.material == 1 && fDot(fNormalise(fFaceCentre(garbage.objects[0], face)), side) > 0.8) marked = true;
    }
    EXPECT_TRUE(marked);
  }
}

TEST(AssetModels, SceneryHasTheSizesTheStagePlacesItWith) {
  // Turf: a 32-cube whose top is the floor at its origin's height.
  const SParsed turf = fParse(fWriteMqo(fTurfModel()));
  fExpectWellFormed(turf);
  const SBounds t = fBounds(turf.objects[0]);
  EXPECT_DOUBLE_EQ(t.low.x, -16);
  EXPECT_DOUBLE_EQ(t.high.x, 16);
  EXPECT_DOUBLE_EQ(t.low.y, -16);
  EXPECT_DOUBLE_EQ(t.high.y, 16);
  EXPECT_DOUBLE_EQ(t.high.z, 0);
  EXPECT_DOUBLE_EQ(t.low.z, -32);
  // Brick segment: 32 wide (x), 32 high (z), thin in y, centred.
  const SParsed brick = fParse(fWriteMqo(fBrickModel()));
  fExpectWellFormed(brick);
  const SBounds b = fBounds(brick.objects[0]);
  EXPECT_DOUBLE_EQ(b.low.x, -16);
  EXPECT_DOUBLE_EQ(b.high.x, 16);
  EXPECT_DOUBLE_EQ(b.low.z, -16);
  EXPECT_DOUBLE_EQ(b.high.z, 16);
  EXPECT_NEAR(b.high.y - b.low.y, 4.0, 1e-9);
  EXPECT_DOUBLE_EQ(b.low.y + b.high.y, 0.0);
  // Frame: the edges of a 32-cube round the origin.
  const SParsed frame = fParse(fWriteMqo(fFrameModel()));
  fExpectWellFormed(frame);
  EXPECT_EQ(frame.objects[0].faces.size(), 12u * 6u);
  const SBounds f = fBounds(frame.objects[0]);
  EXPECT_NEAR(f.high.x + f.low.x, 0.0, 1e-9);
  EXPECT_NEAR(f.high.z - f.low.z, 34.0, 1e-9);  // 32 plus the beams' thickness
}

TEST(AssetModels, TurfBlockIsClosedAndFacesOutwards) {
  const SMqoDocument turf = fTurfModel();
  EXPECT_EQ(turf.objects[0].faces.size(), 4u + 4u + 4u + 1u);  // top quarters, two side bands, bottom
  EXPECT_EQ(fInwardFaces(turf.objects[0], {0, 0, -16}), 0);
}
