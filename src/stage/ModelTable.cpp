#include "stage/ModelTable.h"

#include "gamelib/GameLib.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

// Load order of the ball colours; the table is looked up by name only.
constexpr const char* kBallLoadOrder[] = {"green", "blue", "red", "yellow", "purple", "lightblue", "ozyama"};
constexpr const char* kScenery[] = {"waku", "shibafu", "renga"};

}  // namespace

void CModelTable::fLoadAll() {
  fReleaseAll();
  auto load = [this](const std::string& name) {
    const std::string path = "dat/" + name + ".mqo";
    mModels[name] = MV1LoadModel(path.c_str());
  };
  for (const char* colour : kBallLoadOrder) load(std::string("plimo_") + colour);
  for (const char* colour : kBallLoadOrder) load(std::string("plimo_") + colour + "_h");
  for (const char* name : kScenery) load(name);
}

void CModelTable::fReleaseAll() {
  for (const auto& [name, handle] : mModels) {
    if (handle != -1) MV1DeleteModel(handle);
  }
  mModels.clear();
}

int CModelTable::fGet(const std::string& name) const {
  auto it = mModels.find(name);
  PLIMO_ASSERT(it != mModels.end(), "stage model not loaded");
  return it->second;
}

int CModelTable::fDuplicate(const std::string& name) const { return MV1DuplicateModel(fGet(name)); }

std::string fBallModelName(int colour, bool highlighted) {
  std::string name = std::string("plimo_") + fColourName(colour);
  if (highlighted) name += "_h";
  return name;
}
