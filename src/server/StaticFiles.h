// The web root's files under /static/: the replay viewer's script, its
// WebAssembly and models, and the site's stylesheet. Each answer carries a
// strong ETag (a hash of the bytes) so browsers revalidate cheaply.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// A relative path of plain segments: no "..", no hidden segment, no empty
// segment, no backslash or NUL, not absolute.
bool fIsSafeStaticPath(std::string_view path);

// By the file's extension; application/octet-stream for any other.
const char* fStaticContentType(std::string_view path);

// Whether an If-None-Match header names the ETag (or is "*").
bool fETagMatches(std::string_view ifNoneMatch, std::string_view etag);

struct SStaticFile {
  std::string bytes;
  std::string etag;  // quoted
  const char* contentType = "";
};

class CStaticFiles {
 public:
  // An empty root serves nothing.
  explicit CStaticFiles(std::filesystem::path root);

  // The regular file at the path inside the root, or nothing. Files are
  // kept once read, and read again when their size, time or inode changes.
  // Safe to call from several threads.
  std::shared_ptr<const SStaticFile> fFind(std::string_view path);

 private:
  struct SKept {
    std::shared_ptr<const SStaticFile> file;
    long long mtimeNs = 0;
    long long size = 0;
    unsigned long long inode = 0;
  };

  std::filesystem::path mRoot;
  std::mutex mMutex;
  std::unordered_map<std::string, SKept> mKept;
};
