// Libraries opened when first needed: the first name that opens is used,
// every failure is named, and calls are found by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gamelib/SharedLibrary.h"
#include "online/CurlLibrary.h"

namespace {

TEST(SharedLibrary, TheFirstNameThatOpensIsUsedAndEachFailureIsNamed) {
  std::string error;
  EXPECT_EQ(fOpenSharedLibrary({"libplimo-none-such.so.9", "libplimo-nor-this.so.1"}, error), nullptr);
  EXPECT_NE(error.find("libplimo-none-such.so.9"), std::string::npos) << error;
  EXPECT_NE(error.find("libplimo-nor-this.so.1"), std::string::npos) << error;
  EXPECT_EQ(fOpenSharedLibrary({}, error), nullptr);
  EXPECT_FALSE(error.empty());

  // zlib comes with every build of the game (libzip needs it).
  void* zlib = fOpenSharedLibrary({"libplimo-none-such.so.9", "libz.so.1"}, error);
  ASSERT_NE(zlib, nullptr) << error;
  EXPECT_TRUE(error.empty()) << "a later name that opens clears the earlier failures: " << error;
  using FVersion = const char* (*)();
  auto version = reinterpret_cast<FVersion>(fSharedLibrarySymbol(zlib, "zlibVersion"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version()[0], '1') << "zlib's own version string, from the opened library";
  EXPECT_EQ(fSharedLibrarySymbol(zlib, "plimo_no_such_call"), nullptr);
  EXPECT_EQ(fSharedLibrarySymbol(nullptr, "zlibVersion"), nullptr);
}

TEST(SharedLibrary, LibcurlIsOpenedOnceWithEveryCallTheGameMakes) {
  const SCurlCalls* calls = fCurl();
  ASSERT_NE(calls, nullptr) << "libcurl is installed with the game";
  EXPECT_EQ(fCurl(), calls);
  CURL* handle = calls->easyInit();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(calls->easySetopt(handle, CURLOPT_URL, "http://127.0.0.1:1/"), CURLE_OK);
  long status = -1;
  EXPECT_EQ(calls->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status), CURLE_OK);
  EXPECT_EQ(status, 0) << "nothing sent yet";
  curl_slist* list = calls->slistAppend(nullptr, "Expect:");
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->data, "Expect:");
  calls->slistFreeAll(list);
  calls->easyCleanup(handle);
}

}  // namespace
