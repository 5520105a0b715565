#include "gamelib/SharedLibrary.h"

#include <dlfcn.h>

void* fOpenSharedLibrary(const std::vector<std::string>& names, std::string& error) {
  error.clear();
  for (const std::string& name : names) {
    // Never closed: what it set up (libcurl's global state) lives as long as the game.
    if (void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      error.clear();
      return library;
    }
    const char* why = dlerror();
    if (!error.empty()) error += "; ";
    error += why != nullptr ? why : name + ": cannot be opened";
  }
  if (names.empty()) error = "no library named";
  return nullptr;
}

void* fSharedLibrarySymbol(void* library, const char* symbol) {
  if (library == nullptr || symbol == nullptr) return nullptr;
  dlerror();
  return dlsym(library, symbol);
}
