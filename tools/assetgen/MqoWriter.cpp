#include "MqoWriter.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

SVec3 operator+(SVec3 a, SVec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
SVec3 operator-(SVec3 a, SVec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
SVec3 operator*(SVec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double fDot(SVec3 a, SVec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
SVec3 fCross(SVec3 a, SVec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double fLength(SVec3 a) { return std::sqrt(fDot(a, a)); }
SVec3 fNormalise(SVec3 a) {
  const double length = fLength(a);
  return length > 0.0 ? a * (1.0 / length) : a;
}

namespace {

// Locale-independent fixed-point numbers: the file must read the same
// whatever the machine's locale says about decimal commas.
std::string fNumber(double v, int decimals) {
  if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0;  // no "-0.0000"
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

void fCheckFace(const SMqoFace& face, const SMqoObject& object, size_t materialCount) {
  if (face.vertices.size() != 3 && face.vertices.size() != 4) {
    throw std::invalid_argument("MQO: object \"" + object.name + "\" has a face that is not a triangle or quad");
  }
  for (int v : face.vertices) {
    if (v < 0 || static_cast<size_t>(v) >= object.vertices.size()) {
      throw std::invalid_argument("MQO: object \"" + object.name + "\" has a face with a bad vertex index");
    }
  }
  if (face.material < 0 || static_cast<size_t>(face.material) >= materialCount) {
    throw std::invalid_argument("MQO: object \"" + object.name + "\" has a face with a bad material index");
  }
  if (!face.uv.empty() && face.uv.size() != face.vertices.size()) {
    throw std::invalid_argument("MQO: object \"" + object.name + "\" has a face with a UV for some corners only");
  }
}

}  // namespace

std::string fWriteMqo(const SMqoDocument& document) {
  std::string out;
  out += "Metasequoia Document\nFormat Text Ver 1.0\n\n";
  out += "Scene {\n\tpos 0.0000 0.0000 1500.0000\n\tlookat 0.0000 0.0000 0.0000\n"
         "\thead -0.5236\n\tpich 0.5236\n\tortho 0\n\tzoom2 5.0000\n\tamb 0.250 0.250 0.250\n}\n";
  out += "Material " + std::to_string(document.materials.size()) + " {\n";
  for (const SMqoMaterial& m : document.materials) {
    out += "\t\"" + m.name + "\" col(" + fNumber(m.r, 3) + " " + fNumber(m.g, 3) + " " + fNumber(m.b, 3) +
           " " + fNumber(m.a, 3) + ") dif(" + fNumber(m.dif, 3) + ") amb(" + fNumber(m.amb, 3) + ") emi(" +
           fNumber(m.emi, 3) + ") spc(" + fNumber(m.spc, 3) + ") power(" + fNumber(m.power, 2) + ")";
    if (!m.texture.empty()) out += " tex(\"" + m.texture + "\")";
    out += "\n";
  }
  out += "}\n";
  for (const SMqoObject& object : document.objects) {
    out += "Object \"" + object.name + "\" {\n";
    out += "\tdepth 0\n\tfolding 0\n\tscale 1.000000 1.000000 1.000000\n\trotation 0.000000 0.000000 0.000000\n"
           "\ttranslation 0.000000 0.000000 0.000000\n\tvisible 15\n\tlocking 0\n";
    out += std::string("\tshading ") + (object.smooth ? "1" : "0") + "\n";
    out += "\tfacet " + fNumber(object.facetAngle, 1) + "\n";
    out += "\tcolor 0.898 0.498 0.698\n\tcolor_type 0\n";
    out += "\tvertex " + std::to_string(object.vertices.size()) + " {\n";
    for (const SVec3& v : object.vertices) {
      out += "\t\t" + fNumber(v.x, 4) + " " + fNumber(v.y, 4) + " " + fNumber(v.z, 4) + "\n";
    }
    out += "\t}\n";
    out += "\tface " + std::to_string(object.faces.size()) + " {\n";
    for (const SMqoFace& face : object.faces) {
      fCheckFace(face, object, document.materials.size());
      out += "\t\t" + std::to_string(face.vertices.size()) + " V(";
      for (size_t i = 0; i < face.vertices.size(); ++i) {
        if (i > 0) out += " ";
        out += std::to_string(face.vertices[i]);
      }
      out += ") M(" + std::to_string(face.material) + ")";
      if (!face.uv.empty()) {
        out += " UV(";
        for (size_t i = 0; i < face.uv.size(); ++i) {
          if (i > 0) out += " ";
          out += fNumber(face.uv[i].u, 5) + " " + fNumber(face.uv[i].v, 5);
        }
        out += ")";
      }
      out += "\n";
    }
    out += "\t}\n}\n";
  }
  out += "Eof\n";
  return out;
}
