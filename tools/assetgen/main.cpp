// plimo_assetgen: draws and synthesises every picture, model and sound of the
// game into a data folder ("dat/"). Deterministic: the same program writes
// the same bytes on every run.
//
//   plimo_assetgen DAT_DIR [pictures|models|sounds|music ...]
//
// With no kinds named, everything is made.
#include <chrono>
#include <cstdio>
#include <exception>
#include <set>
#include <string>

#include "AssetWriter.h"
#include "Models.h"
#include "Pictures.h"
#include "Sounds.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DAT_DIR [pictures|models|sounds|music ...]\n", argv[0]);
    return 2;
  }
  std::set<std::string> kinds(argv + 2, argv + argc);
  for (const std::string& kind : kinds) {
    if (kind != "pictures" && kind != "models" && kind != "sounds" && kind != "music") {
      std::fprintf(stderr, "plimo_assetgen: unknown kind \"%s\"\n", kind.c_str());
      return 2;
    }
  }
  auto wanted = [&](const char* kind) { return kinds.empty() || kinds.count(kind) > 0; };
  const auto started = std::chrono::steady_clock::now();
  try {
    CAssetWriter out(argv[1]);
    if (wanted("pictures")) {
      fMakeBallPictures(out);
      fMakeHudPictures(out);
      fMakeMenuPictures(out);
      fMakeScenePictures(out);
      fMakeIcons(out);
    }
    if (wanted("models")) {
      fMakeModels(out);
      fMakeModelTextures(out);
    }
    if (wanted("sounds")) fMakeSoundEffects(out);
    if (wanted("music")) fMakeMusic(out);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("plimo_assetgen: %zu files in %s (%.1f s)\n", out.fWritten().size(), argv[1], seconds);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "plimo_assetgen: %s\n", error.what());
    return 1;
  }
  return 0;
}
