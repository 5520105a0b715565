#include "MeshBuilder.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

void fAddSphere(SMqoObject& object, SVec3 centre, double radius, int slices, int stacks,
                const FMaterialByDirection& materialOf, double phase) {
  if (slices < 3 || stacks < 2 || radius <= 0.0) throw std::invalid_argument("sphere: too few segments");
  const int base = static_cast<int>(object.vertices.size());
  const double pi = std::numbers::pi;
  // Vertex order: top pole, rings 1 .. stacks-1 (each `slices` long), bottom pole.
  object.vertices.push_back(centre + SVec3{0.0, 0.0, radius});
  for (int i = 1; i < stacks; ++i) {
    const double theta = pi * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double phi = phase + 2.0 * pi * j / slices;
      object.vertices.push_back(centre + SVec3{radius * std::sin(theta) * std::cos(phi),
                                               radius * std::sin(theta) * std::sin(phi), radius * std::cos(theta)});
    }
  }
  object.vertices.push_back(centre + SVec3{0.0, 0.0, -radius});
  const int top = base;
  const int bottom = base + 1 + (stacks - 1) * slices;
  auto ring = [&](int i, int j) { return base + 1 + (i - 1) * slices + (j % slices); };
  auto material = [&](const SMqoFace& face) {
    return materialOf(fNormalise(fFaceCentre(object, face) - centre));
  };
  // Seen from outside, growing phi runs to the right and growing theta down,
  // so counter-clockwise is upper-left, lower-left, lower-right, upper-right.
  for (int j = 0; j < slices; ++j) {
    SMqoFace face{{top, ring(1, j), ring(1, j + 1)}, 0, {}};
    face.material = material(face);
    object.faces.push_back(face);
  }
  for (int i = 1; i < stacks - 1; ++i) {
    for (int j = 0; j < slices; ++j) {
      SMqoFace face{{ring(i, j), ring(i + 1, j), ring(i + 1, j + 1), ring(i, j + 1)}, 0, {}};
      face.material = material(face);
      object.faces.push_back(face);
    }
  }
  for (int j = 0; j < slices; ++j) {
    SMqoFace face{{ring(stacks - 1, j), bottom, ring(stacks - 1, j + 1)}, 0, {}};
    face.material = material(face);
    object.faces.push_back(face);
  }
}

void fAddQuad(SMqoObject& object, SVec3 a, SVec3 b, SVec3 c, SVec3 d, int material) {
  const int base = static_cast<int>(object.vertices.size());
  object.vertices.insert(object.vertices.end(), {a, b, c, d});
  object.faces.push_back({{base, base + 1, base + 2, base + 3}, material, {}});
}

void fAddBox(SMqoObject& object, SVec3 low, SVec3 high, const FMaterialByDirection& materialOf) {
  const double x0 = low.x, y0 = low.y, z0 = low.z, x1 = high.x, y1 = high.y, z1 = high.z;
  auto face = [&](SVec3 normal, SVec3 a, SVec3 b, SVec3 c, SVec3 d) {
    const int material = materialOf(normal);
    if (material >= 0) fAddQuad(object, a, b, c, d, material);
  };
  // Each quad listed counter-clockwise as seen from outside the box.
  face({0, 0, 1}, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1});
  face({0, 0, -1}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0});
  face({0, -1, 0}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1});
  face({0, 1, 0}, {x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1});
  face({-1, 0, 0}, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1});
  face({1, 0, 0}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1});
}

SVec3 fFaceNormal(const SMqoObject& object, const SMqoFace& face) {
  SVec3 normal;
  const size_t n = face.vertices.size();
  for (size_t i = 0; i < n; ++i) {
    const SVec3 a = object.vertices.at(face.vertices[i]);
    const SVec3 b = object.vertices.at(face.vertices[(i + 1) % n]);
    normal.x += (a.y - b.y) * (a.z + b.z);
    normal.y += (a.z - b.z) * (a.x + b.x);
    normal.z += (a.x - b.x) * (a.y + b.y);
  }
  return normal;
}

SVec3 fFaceCentre(const SMqoObject& object, const SMqoFace& face) {
  SVec3 sum;
  for (int v : face.vertices) sum = sum + object.vertices.at(v);
  return sum * (1.0 / static_cast<double>(face.vertices.size()));
}
