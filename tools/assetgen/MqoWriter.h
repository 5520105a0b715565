// Metasequoia text models ("Format Text Ver 1.0"), the format the game loads
// its balls and scenery from.
//
// Coordinates: the files hold the game's own world axes, x and y across the
// floor and z up, one cell = 32 units; the loader takes x, y, z as written
// and swaps nothing. Faces are wound counter-clockwise seen from outside in
// that right-handed frame (which is Metasequoia's own clockwise-front rule,
// its view being left-handed), so back faces may be culled.
#pragma once

#include <string>
#include <vector>

struct SVec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

SVec3 operator+(SVec3 a, SVec3 b);
SVec3 operator-(SVec3 a, SVec3 b);
SVec3 operator*(SVec3 a, double s);
double fDot(SVec3 a, SVec3 b);
SVec3 fCross(SVec3 a, SVec3 b);
double fLength(SVec3 a);
SVec3 fNormalise(SVec3 a);

// One material line: colour with alpha, then the lighting factors, each 0..1
// except the specular power.
struct SMqoMaterial {
  std::string name;
  double r = 1.0, g = 1.0, b = 1.0, a = 1.0;
  double dif = 0.8, amb = 0.6, emi = 0.0, spc = 0.0, power = 5.0;
  std::string texture;  // a picture beside the model, multiplying the colour; "" for none
};

struct SUv {
  double u = 0.0;
  double v = 0.0;  // 0 at the picture's top
};

struct SMqoFace {
  std::vector<int> vertices;  // 3 or 4 indices into the object's vertices
  int material = 0;
  std::vector<SUv> uv;  // one per corner, or none
};

struct SMqoObject {
  std::string name;
  std::vector<SVec3> vertices;
  std::vector<SMqoFace> faces;
  bool smooth = false;       // Gouraud shading across edges below facetAngle
  double facetAngle = 59.5;  // degrees
};

struct SMqoDocument {
  std::vector<SMqoMaterial> materials;
  std::vector<SMqoObject> objects;
};

// The whole file text. Throws std::invalid_argument for a face that is not a
// triangle or quad, that names a vertex or material that does not exist, or
// whose texture coordinates do not match its corners.
std::string fWriteMqo(const SMqoDocument& document);
