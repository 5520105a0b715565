// Building blocks for the game's models: spheres, boxes and single quads,
// appended to an MQO object with outward-facing, counter-clockwise faces.
#pragma once

#include <functional>

#include "MqoWriter.h"

// Chooses a face's material from the unit direction of its centre as seen
// from the sphere's centre (so patterns can be painted by direction).
using FMaterialByDirection = std::function<int(SVec3 direction)>;

// A UV sphere, z being the polar axis: `slices` segments round, `stacks` from
// pole to pole; quads between rings, triangles at the poles. Vertices are
// shared so smooth shading works. The first meridian lies `phase` radians
// round from +x.
void fAddSphere(SMqoObject& object, SVec3 centre, double radius, int slices, int stacks,
                const FMaterialByDirection& materialOf, double phase = 0.0);

// The faces of an axis-aligned box; material per face from its outward
// normal, a negative material leaving that face out (hidden faces). Each face
// has its own four vertices (hard edges).
void fAddBox(SMqoObject& object, SVec3 low, SVec3 high, const FMaterialByDirection& materialOf);

// One quad a, b, c, d (counter-clockwise seen from the side it faces).
void fAddQuad(SMqoObject& object, SVec3 a, SVec3 b, SVec3 c, SVec3 d, int material);

// The unnormalised normal of a face (Newell's method, exact for planar quads).
SVec3 fFaceNormal(const SMqoObject& object, const SMqoFace& face);
SVec3 fFaceCentre(const SMqoObject& object, const SMqoFace& face);
