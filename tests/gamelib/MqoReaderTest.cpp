// The model reader: what it takes from a Metasequoia text file, what it
// skips, and that a damaged file is refused whole and never crashes it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gamelib/sdl/MqoReader.h"

#if __has_include("Models.h")
#include "Models.h"
#include "MqoWriter.h"
#define PLIMO_HAVE_ASSETGEN 1
#endif

namespace {

// Two materials, a scene and a picture chunk to skip, a visible object with
// a triangle, a quad and a face without M(), and a hidden object.
const char* const kModel =
    "Metasequoia Document\r\n"
    "Format Text Ver 1.1\r\n"
    "\r\n"
    "Scene {\n"
    "\tpos 0.0000 0.0000 1500.0000\n"
    "\tdirlights 1 {\n\t\tlight {\n\t\t\tdir 0.408 0.408 0.816\n\t\t}\n\t}\n"
    "}\n"
    "BackImage {\n\tpers \"back (1).bmp\" 0 0 256 256\n}\n"
    "Material 2 {\n"
    "\t\"red (shiny)\" shader(3) col(1.000 0.000 0.000 1.000) dif(0.800) amb(0.600) emi(0.100) spc(0.500) "
    "power(30.00) tex(\"a(b).png\")\n"
    "\t\"glass\" col(0.2 0.4 0.6 0.5) dif(1.0) amb(0.25) emi(0) spc(0) power(5)\n"
    "}\n"
    "Object \"box\" {\n"
    "\tdepth 0\n"
    "\tshading 0\n"
    "\tfacet 30.0\n"
    "\tvertex 5 {\n"
    "\t\t0.0 0.0 0.0\n\t\t10.0 0.0 0.0\n\t\t10.0 10.0 0.0\n\t\t0.0 10.0 0.0\n\t\t-5.5 +2.25 1e1\n"
    "\t}\n"
    "\tvertexattr {\n\t\tuid {\n\t\t\t1\n\t\t\t2\n\t\t}\n\t}\n"
    "\tface 4 {\n"
    "\t\t3 V(0 1 2) M(1) UV(0 0 1 0 1 1)\n"
    "\t\t4 V(0 1 2 3) M(0)\n"
    "\t\t3 V(0 2 4)\n"
    "\t\t2 V(0 4) M(0)\n"
    "\t}\n"
    "}\n"
    "Object \"hidden\" {\n"
    "\tvisible 0\n"
    "\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
    "\tface 1 {\n\t\t3 V(0 1 2) M(0)\n\t}\n"
    "}\n"
    "Eof\n";

TEST(SdlMqoReader, ReadsMaterialsObjectsAndFaces) {
  const auto file = fReadMqoFile(kModel);
  ASSERT_TRUE(file.has_value());

  ASSERT_EQ(file->materials.size(), 2u);
  const SMqoFileMaterial& red = file->materials[0];
  EXPECT_EQ(red.name, "red (shiny)");
  EXPECT_FLOAT_EQ(red.colour[0], 1.0f);
  EXPECT_FLOAT_EQ(red.colour[1], 0.0f);
  EXPECT_FLOAT_EQ(red.diffuse, 0.8f);
  EXPECT_FLOAT_EQ(red.ambient, 0.6f);
  EXPECT_FLOAT_EQ(red.emissive, 0.1f);
  EXPECT_FLOAT_EQ(red.specular, 0.5f);
  EXPECT_FLOAT_EQ(red.power, 30.0f);
  EXPECT_EQ(red.texture, "a(b).png");  // brackets inside the quotes are the name's
  EXPECT_FLOAT_EQ(file->materials[1].colour[3], 0.5f);
  EXPECT_EQ(file->materials[1].texture, "");

  ASSERT_EQ(file->objects.size(), 2u);
  const SMqoFileObject& box = file->objects[0];
  EXPECT_EQ(box.name, "box");
  EXPECT_TRUE(box.visible);
  EXPECT_FALSE(box.smooth);
  EXPECT_FLOAT_EQ(box.facetDegrees, 30.0f);
  ASSERT_EQ(box.vertices.size(), 5u);
  EXPECT_FLOAT_EQ(box.vertices[4][0], -5.5f);
  EXPECT_FLOAT_EQ(box.vertices[4][1], 2.25f);
  EXPECT_FLOAT_EQ(box.vertices[4][2], 10.0f);

  // The two-corner face is a line: nothing to draw, so it is left out.
  ASSERT_EQ(box.faces.size(), 3u);
  EXPECT_EQ(box.faces[0].vertices, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(box.faces[0].material, 1);
  EXPECT_EQ(box.faces[0].uv, (std::vector<std::array<float, 2>>{{0, 0}, {1, 0}, {1, 1}}));
  EXPECT_TRUE(box.faces[1].uv.empty());
  EXPECT_EQ(box.faces[1].vertices, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(box.faces[1].material, 0);
  EXPECT_EQ(box.faces[2].material, -1);

  EXPECT_FALSE(file->objects[1].visible);
}

TEST(SdlMqoReader, TakesAFileWithoutMaterialsOrObjects) {
  const auto empty = fReadMqoFile("Metasequoia Document\nFormat Text Ver 1.0\n\nEof\n");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->materials.empty());
  EXPECT_TRUE(empty->objects.empty());
}

// One change to the good model each; every one must be refused.
TEST(SdlMqoReader, RefusesDamagedFiles) {
  const std::string good = kModel;
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
  };
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"not a model", "hello\nworld\n"},
      {"binary format", replaced("Format Text Ver 1.1", "Format Binary Ver 1.0")},
      {"no Eof", replaced("Eof\n", "")},
      {"vertex index past the end", replaced("3 V(0 2 4)", "3 V(0 2 5)")},
      {"negative vertex index", replaced("3 V(0 2 4)", "3 V(0 -2 4)")},
      {"material past the end", replaced("M(1) UV", "M(2) UV")},
      {"fewer vertices than counted", replaced("vertex 5 {", "vertex 6 {")},
      {"more vertices than counted", replaced("vertex 5 {", "vertex 4 {")},
      {"fewer faces than counted", replaced("face 4 {", "face 5 {")},
      {"more materials than counted", replaced("Material 2 {", "Material 1 {")},
      {"a word for a number", replaced("10.0 10.0 0.0", "10.0 ten 0.0")},
      {"not a finite number", replaced("10.0 10.0 0.0", "10.0 nan 0.0")},
      {"two numbers for three", replaced("10.0 10.0 0.0", "10.0 10.0")},
      {"fewer corners listed", replaced("4 V(0 1 2 3)", "4 V(0 1 2)")},
      {"unclosed bracket", replaced("M(0)\n", "M(0\n")},
      {"unclosed quote", replaced("\"glass\"", "\"glass")},
      {"object never closed", replaced("\t}\n}\nObject \"hidden\"", "\t}\nObject \"hidden\"")},
      {"a huge count", replaced("vertex 5 {", "vertex 99999999999 {")},
      {"a UV short of the corners", replaced("UV(0 0 1 0 1 1)", "UV(0 0 1 0 1)")},
      {"a UV past the corners", replaced("UV(0 0 1 0 1 1)", "UV(0 0 1 0 1 1 0 1)")},
      {"a texture name unquoted", replaced("tex(\"a(b).png\")", "tex(a.png)")},
      {"binary vertices", replaced("\tvertex 5 {", "\tBVertex 1 {\n\t\tVector 60 [] \n\t}\n\tvertex 5 {")},
  };
  for (const auto& damaged : cases) EXPECT_FALSE(fReadMqoFile(damaged.text).has_value()) << damaged.what;
}

TEST(SdlMqoReader, RefusesEveryFileCutShort) {
  const std::string good = kModel;
  for (std::size_t length = 0; length + 4 < good.size(); ++length) {
    EXPECT_FALSE(fReadMqoFile(std::string_view(good).substr(0, length)).has_value()) << "cut at " << length;
  }
}

// Bytes flipped at random: the reader may take or refuse the file, but what
// it takes must be safe to draw (every index inside its list).
TEST(SdlMqoReader, WhatItTakesFromScrambledBytesIsConsistent) {
  const std::string good = kModel;
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  const char noise[] = " \t\n{}()\"0123456789-.eEVMx";
  int taken = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text = good;
    const int flips = 1 + static_cast<int>(next() % 3);
    for (int i = 0; i < flips; ++i) text[next() % text.size()] = noise[next() % (sizeof noise - 1)];
    const auto file = fReadMqoFile(text);
    if (!file) continue;
    ++taken;
    for (const SMqoFileObject& object : file->objects) {
      for (const SMqoFileFace& face : object.faces) {
        ASSERT_GE(face.vertices.size(), 3u);
        for (int v : face.vertices) {
          ASSERT_GE(v, 0);
          ASSERT_LT(static_cast<std::size_t>(v), object.vertices.size());
        }
        ASSERT_LT(face.material, static_cast<int>(file->materials.size()));
        ASSERT_GE(face.material, -1);
        if (!face.uv.empty()) {
          ASSERT_EQ(face.uv.size(), face.vertices.size());
        }
      }
    }
  }
  EXPECT_GT(taken, 0);  // harmless flips (a digit in a number) still read
}

#ifdef PLIMO_HAVE_ASSETGEN
// The game's own files, as the asset generator writes them.
TEST(SdlMqoReader, ReadsTheGamesModels) {
  for (const SMqoDocument& written :
       {fBallModel(kBallColours[0].colour, false, true), fTurfModel(), fBrickModel(), fFrameModel()}) {
    const auto file = fReadMqoFile(fWriteMqo(written));
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->materials.size(), written.materials.size());
    EXPECT_NEAR(file->materials[0].colour[0], written.materials[0].r, 1e-3);
    EXPECT_NEAR(file->materials[0].power, written.materials[0].power, 1e-2);
    ASSERT_EQ(file->objects.size(), written.objects.size());
    for (std::size_t i = 0; i < written.objects.size(); ++i) {
      EXPECT_EQ(file->objects[i].smooth, written.objects[i].smooth);
      ASSERT_EQ(file->objects[i].vertices.size(), written.objects[i].vertices.size());
      ASSERT_EQ(file->objects[i].faces.size(), written.objects[i].faces.size());
      EXPECT_NEAR(file->objects[i].vertices.back()[2], written.objects[i].vertices.back().z, 1e-3);
      EXPECT_EQ(file->objects[i].faces.back().vertices, written.objects[i].faces.back().vertices);
      EXPECT_EQ(file->objects[i].faces.back().material, written.objects[i].faces.back().material);
    }
  }
}
#endif

}  // namespace
