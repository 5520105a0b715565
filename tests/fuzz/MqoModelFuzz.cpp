// Metasequoia text models as the renderer loads them: read whole or refused,
// then turned into the triangle runs it uploads.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "gamelib/sdl/ModelMesh.h"
#include "gamelib/sdl/MqoReader.h"

namespace {

bool fIsFinite(const SVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto file = fReadMqoFile(text);
  if (!file) return 0;

  for (const SMqoFileObject& object : file->objects) {
    for (const SMqoFileFace& face : object.faces) {
      FUZZ_CHECK(face.vertices.size() >= 3);
      FUZZ_CHECK(face.material >= -1 && face.material < static_cast<int>(file->materials.size()));
      for (const int index : face.vertices) {
        FUZZ_CHECK(index >= 0 && static_cast<std::size_t>(index) < object.vertices.size());
      }
    }
  }

  const SModelMesh mesh = fBuildModelMesh(*file);
  FUZZ_CHECK(mesh.materials.size() == file->materials.size() + 1);
  std::size_t covered = 0;
  for (const SMeshRun& run : mesh.runs) {
    FUZZ_CHECK(run.material < mesh.materials.size());
    FUZZ_CHECK(run.first == covered && run.count % 3 == 0 && run.count > 0);
    covered += run.count;
  }
  FUZZ_CHECK(covered == mesh.vertices.size());
  // A NaN position or normal draws the model wrongly or not at all.
  for (const SMeshVertex& vertex : mesh.vertices) {
    FUZZ_CHECK(fIsFinite(vertex.position));
    FUZZ_CHECK(fIsFinite(vertex.normal));
  }
  return 0;
}
