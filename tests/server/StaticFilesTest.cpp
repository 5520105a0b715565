#include "server/StaticFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gamelib/FileSystem.h"
#include "support/HeadlessTest.h"

namespace {

namespace fs = std::filesystem;

class StaticFilesTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mRoot = fAbsolutePath("web");
    fCreateDirectories("web/models");
    fCreateDirectories("web/.git");
    fWriteWholeFile("web/viewer.js", "export const a = 1;\n");
    fWriteWholeFile("web/models/ball.mqo", "Metasequoia Document\n");
    fWriteWholeFile("web/.git/config", "[core]\n");
    fWriteWholeFile("web/.hidden", "secret\n");
    fWriteWholeFile("outside.txt", "not served\n");
  }
  std::string mRoot;
};

TEST(StaticPathTest, OnlyPlainRelativeSegmentsAreServed) {
  for (const char* good : {"viewer.js", "models/ball.mqo", "a/b/c.wasm", "name..with.dots", "x-y_z~"}) {
    EXPECT_TRUE(fIsSafeStaticPath(good)) << good;
  }
  for (const char* bad : {"", "/etc/passwd", "..", "../x", "a/../../x", "a/..", "./x", "a/./b", ".hidden", "a/.git/config",
                          "a//b", "a/", "a\\..\\b", "a\\b"}) {
    EXPECT_FALSE(fIsSafeStaticPath(bad)) << bad;
  }
  EXPECT_FALSE(fIsSafeStaticPath(std::string("a\0/../b", 7)));
  EXPECT_FALSE(fIsSafeStaticPath(std::string("viewer.js\0", 10)));
}

TEST(StaticPathTest, ContentTypesFollowTheExtension) {
  EXPECT_STREQ(fStaticContentType("viewer.js"), "text/javascript");
  EXPECT_STREQ(fStaticContentType("a/b.mjs"), "text/javascript");
  EXPECT_STREQ(fStaticContentType("site.css"), "text/css");
  EXPECT_STREQ(fStaticContentType("rules.wasm"), "application/wasm");
  EXPECT_STREQ(fStaticContentType("index.html"), "text/html; charset=utf-8");
  EXPECT_STREQ(fStaticContentType("ball.png"), "image/png");
  EXPECT_STREQ(fStaticContentType("modes.json"), "application/json");
  EXPECT_STREQ(fStaticContentType("models/ball.mqo"), "text/plain");
  EXPECT_STREQ(fStaticContentType("icon.svg"), "image/svg+xml");
  for (const char* other : {"archive.zip", "README", "a.js/b", "x.JS", "x.SVG"}) {
    EXPECT_STREQ(fStaticContentType(other), "application/octet-stream") << other;
  }
}

TEST(StaticPathTest, IfNoneMatchComparesEachListedTagWeakly) {
  const std::string etag = "\"abc\"";
  EXPECT_TRUE(fETagMatches("\"abc\"", etag));
  EXPECT_TRUE(fETagMatches("\"x\", \"abc\"", etag));
  EXPECT_TRUE(fETagMatches("W/\"abc\"", etag));
  EXPECT_TRUE(fETagMatches("*", etag));
  EXPECT_FALSE(fETagMatches("\"abcd\"", etag));
  EXPECT_FALSE(fETagMatches("abc", etag));
  EXPECT_FALSE(fETagMatches("", etag));
}

TEST_F(StaticFilesTest, ServesRegularFilesInsideTheRootWithAHashAsETag) {
  CStaticFiles files(mRoot);
  const auto script = files.fFind("viewer.js");
  ASSERT_TRUE(script);
  EXPECT_EQ(script->bytes, "export const a = 1;\n");
  EXPECT_STREQ(script->contentType, "text/javascript");
  const auto model = files.fFind("models/ball.mqo");
  ASSERT_TRUE(model);
  EXPECT_STREQ(model->contentType, "text/plain");
  // Strong (no "W/"), quoted, and different for different bytes.
  EXPECT_EQ(script->etag.front(), '"');
  EXPECT_EQ(script->etag.back(), '"');
  EXPECT_GT(script->etag.size(), 20u);
  EXPECT_NE(script->etag, model->etag);
}

TEST_F(StaticFilesTest, RefusesEverythingButARegularFileInsideTheRoot) {
  CStaticFiles files(mRoot);
  fs::create_symlink(fAbsolutePath("outside.txt"), mRoot + "/link-out.txt");
  fs::create_symlink(fAbsolutePath("."), mRoot + "/up");
  fs::create_symlink(mRoot + "/viewer.js", mRoot + "/link-in.js");
  for (const char* refused : {"missing.js", "models", "../outside.txt", "models/../../outside.txt", ".hidden",
                              ".git/config", "link-out.txt", "up/outside.txt", "/etc/passwd", "models/"}) {
    EXPECT_FALSE(files.fFind(refused)) << refused;
  }
  // A link that stays inside is as good as the file.
  ASSERT_TRUE(files.fFind("link-in.js"));
  EXPECT_EQ(files.fFind("link-in.js")->bytes, "export const a = 1;\n");
  // No root, nothing served.
  EXPECT_FALSE(CStaticFiles("").fFind("viewer.js"));
  EXPECT_FALSE(CStaticFiles(fAbsolutePath("no-such-folder")).fFind("viewer.js"));
}

TEST_F(StaticFilesTest, AChangedFileIsServedChangedWithANewETag) {
  CStaticFiles files(mRoot);
  const auto before = files.fFind("viewer.js");
  ASSERT_TRUE(before);
  EXPECT_EQ(files.fFind("viewer.js"), before);  // kept, not read again
  // Same length and the same second: only the nanoseconds or the inode tell.
  fWriteWholeFile("web/viewer.js.new", "export const b = 2;\n");
  fs::rename(mRoot + "/viewer.js.new", mRoot + "/viewer.js");
  const auto after = files.fFind("viewer.js");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->bytes, "export const b = 2;\n");
  EXPECT_NE(after->etag, before->etag);
  // Rewritten in place with a new length.
  fWriteWholeFile("web/viewer.js", "export const c = 30;\n");
  EXPECT_EQ(files.fFind("viewer.js")->bytes, "export const c = 30;\n");
  fs::remove(mRoot + "/viewer.js");
  EXPECT_FALSE(files.fFind("viewer.js"));
}

}  // namespace
