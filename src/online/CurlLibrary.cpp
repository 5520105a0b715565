#include "online/CurlLibrary.h"

#include <cstdio>
#include <string>

#include "gamelib/SharedLibrary.h"

namespace {

template <typename FCall>
bool fFind(void* library, const char* name, FCall& call) {
  call = reinterpret_cast<FCall>(fSharedLibrarySymbol(library, name));
  return call != nullptr;
}

const SCurlCalls* fOpenCurl() {
  static SCurlCalls calls;
  std::string error;
  // Debian's libcurl4 builds, with OpenSSL or GnuTLS: the same calls.
  void* library = fOpenSharedLibrary({"libcurl.so.4", "libcurl-gnutls.so.4"}, error);
  if (library == nullptr) {
    std::fprintf(stderr, "PlimoBall: the ranking cannot be reached without libcurl: %s\n", error.c_str());
    return nullptr;
  }
  CURLcode (*globalInit)(long) = nullptr;
  const bool found = fFind(library, "curl_global_init", globalInit) &&
                     fFind(library, "curl_easy_init", calls.easyInit) &&
                     fFind(library, "curl_easy_setopt", calls.easySetopt) &&
                     fFind(library, "curl_easy_perform", calls.easyPerform) &&
                     fFind(library, "curl_easy_getinfo", calls.easyGetinfo) &&
                     fFind(library, "curl_easy_cleanup", calls.easyCleanup) &&
                     fFind(library, "curl_slist_append", calls.slistAppend) &&
                     fFind(library, "curl_slist_free_all", calls.slistFreeAll);
  if (!found) {
    std::fprintf(stderr, "PlimoBall: the ranking cannot be reached: this libcurl lacks a call the game makes\n");
    return nullptr;
  }
  if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    std::fprintf(stderr, "PlimoBall: the ranking cannot be reached: libcurl cannot be set up\n");
    return nullptr;
  }
  return &calls;
}

}  // namespace

const SCurlCalls* fCurl() {
  // Opened once, by whichever thread asks first.
  static const SCurlCalls* const calls = fOpenCurl();
  return calls;
}
