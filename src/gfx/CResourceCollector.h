// Loads every file under one data directory at start-up and finds the
// handles by name: the path relative to the root, extension included
// ("ui_parts/window1_bg.png").
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CResourceCollector {
 public:
  using Loader = std::function<std::pair<std::string, int>(const std::string& path)>;

  explicit CResourceCollector(std::string root) : mRoot(std::move(root)) {}
  virtual ~CResourceCollector() = default;

  virtual const std::map<std::string, int>& fResources() const { return mResources; }
  virtual void fScan(const std::string& directory);
  virtual void fSetLoader(Loader loader) { mLoader = std::move(loader); }
  virtual void fAddExtension(const std::string& extension) { mExtensions.push_back(extension); }
  virtual void fLoad() { fScan(mRoot); }
  // Throws CGameError "file not exist:<name>" for a name that was not loaded.
  virtual int fGet(const std::string& name) const;

  const std::string& fRoot() const { return mRoot; }
  // The name a file under the root is known by.
  std::string fNameOf(const std::string& path) const;

 private:
  std::string mRoot;
  std::map<std::string, int> mResources;
  std::vector<std::string> mExtensions;
  Loader mLoader;
};
