#include "stage/ModelTable.h"

#include "gamelib/GameLib.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

// Load order of the ball colours; the table is looked up by name only.
constexpr const char* kBallLoadOrder[] = {"green", "blue", "red", "yellow", "purple", "lightblue", "ozyama"};
constexpr const char* kScenery[] = {"waku", "shibafu", "renga"};
constexpr const char* kSymbolSuffix = "_s";

}  // namespace

void CModelTable::fLoadAll(bool symbols) {
  fReleaseAll();
  auto load = [this](const std::string& name, const char* suffix) {
    const std::string path = "dat/" + name + suffix + ".mqo";
    mModels[name] = MV1LoadModel(path.c_str());
  };
  const char* ballSuffix = symbols ? kSymbolSuffix : "";
  for (const char* colour : kBallLoadOrder) load(std::string("plimo_") + colour, ballSuffix);
  for (const char* colour : kBallLoadOrder) load(std::string("plimo_") + colour + "_h", ballSuffix);
  for (const char* name : kScenery) load(name, "");
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

std::string fBallPictureName(int colour, bool symbols) {
  return std::string("ui_parts/plimoball_") + fColourName(colour) + (symbols ? kSymbolSuffix : "") + ".png";
}
