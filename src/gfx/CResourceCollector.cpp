#include "gfx/CResourceCollector.h"

#include "gamelib/FileSystem.h"
#include "util/Assert.h"

namespace {
constexpr std::size_t kExtensionLength = 3;
constexpr const char* kSkippedDirectory = ".svn";
}  // namespace

void CResourceCollector::fScan(const std::string& directory) {
  if (!fDirectoryExists(directory)) return;  // a data folder may be absent
  struct SEntry {
    bool isDirectory;
    std::string path;
    std::string name;
  };
  std::vector<SEntry> entries;
  for (const auto& name : fListDirectory(directory)) {
    const std::string path = directory + name;
    if (fDirectoryExists(path)) {
      entries.push_back({true, path + "/", name});
    } else if (fFileExists(path)) {
      entries.push_back({false, path, name});
    }
    // Other kinds of entry (sockets, dangling links) are no resources.
  }
  for (const auto& entry : entries) {
    if (entry.isDirectory) {
      if (entry.name != kSkippedDirectory) fScan(entry.path);
      continue;
    }
    if (entry.path.size() < kExtensionLength) continue;
    const std::string tail = entry.path.substr(entry.path.size() - kExtensionLength);
    for (const auto& extension : mExtensions) {
      if (tail == extension) {
        PLIMO_ASSERT(static_cast<bool>(mLoader), "resource collector has no loader");
        auto [name, handle] = mLoader(entry.path);
        mResources[name] = handle;
        break;
      }
    }
  }
}

int CResourceCollector::fGet(const std::string& name) const {
  auto it = mResources.find(name);
  if (it == mResources.end()) throw CGameError("file not exist:" + name);
  return it->second;
}

std::string CResourceCollector::fNameOf(const std::string& path) const {
  std::string name = path;
  if (mRoot.empty()) return name;
  for (std::size_t at = name.find(mRoot); at != std::string::npos; at = name.find(mRoot, at)) {
    name.erase(at, mRoot.size());
  }
  return name;
}
