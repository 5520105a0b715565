#include "gfx/CImageManager.h"

#include "gamelib/GameLib.h"

namespace {
constexpr const char* kImageExtensions[] = {"png", "bmp", "jpg", "gif"};
}

CImageManager::CImageManager() {
  mImages.fSetLoader([this](const std::string& path) {
    return std::make_pair(mImages.fNameOf(path), LoadGraph(path.c_str(), 0));
  });
  for (const char* extension : kImageExtensions) mImages.fAddExtension(extension);
  mImages.fLoad();

  mMasks.fSetLoader([this](const std::string& path) {
    return std::make_pair(mMasks.fNameOf(path), LoadMask(path.c_str()));
  });
  for (const char* extension : kImageExtensions) mMasks.fAddExtension(extension);
  mMasks.fLoad();
}

std::vector<std::string> CImageManager::fGetImageNames() const {
  std::vector<std::string> names;
  for (const auto& [name, handle] : mImages.fResources()) names.push_back(name);
  return names;
}
