#include "server/StaticFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "server/Sha256.h"

bool fIsSafeStaticPath(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  if (path.find('\\') != std::string_view::npos || path.find('\0') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    const std::string_view segment = path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    // Hidden segments, "." and ".." all begin with a dot.
    if (segment.empty() || segment.front() == '.') return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

const char* fStaticContentType(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "application/octet-stream";
  const std::string_view extension = path.substr(dot + 1);
  if (extension == "js" || extension == "mjs") return "text/javascript";
  if (extension == "css") return "text/css";
  if (extension == "wasm") return "application/wasm";
  if (extension == "html") return "text/html; charset=utf-8";
  if (extension == "png") return "image/png";
  if (extension == "svg") return "image/svg+xml";
  if (extension == "json") return "application/json";
  if (extension == "mqo") return "text/plain";
  return "application/octet-stream";
}

bool fETagMatches(std::string_view ifNoneMatch, std::string_view etag) {
  std::size_t start = 0;
  while (start < ifNoneMatch.size()) {
    std::size_t end = ifNoneMatch.find(',', start);
    if (end == std::string_view::npos) end = ifNoneMatch.size();
    std::string_view tag = ifNoneMatch.substr(start, end - start);
    while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t')) tag.remove_prefix(1);
    while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t')) tag.remove_suffix(1);
    // If-None-Match compares weakly: "W/" makes no difference.
    if (tag.substr(0, 2) == "W/") tag.remove_prefix(2);
    if (tag == "*" || tag == etag) return true;
    start = end + 1;
  }
  return false;
}

namespace {

std::optional<std::string> fReadOpenFile(int descriptor, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t count = ::read(descriptor, bytes.data() + done, size - done);
    if (count < 0) return std::nullopt;
    if (count == 0) break;  // shrank while read: serve what is there
    done += static_cast<std::size_t>(count);
  }
  bytes.resize(done);
  return bytes;
}

long long fMtimeNs(const struct stat& status) {
  return static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000LL + status.st_mtim.tv_nsec;
}

}  // namespace

CStaticFiles::CStaticFiles(std::filesystem::path root) : mRoot(std::move(root)) {}

std::shared_ptr<const SStaticFile> CStaticFiles::fFind(std::string_view path) {
  if (mRoot.empty() || !fIsSafeStaticPath(path)) return nullptr;
  // A link inside the root may point out of it: the resolved file must
  // still be inside.
  std::error_code error;
  const std::filesystem::path root = std::filesystem::canonical(mRoot, error);
  if (error) return nullptr;
  const std::filesystem::path file = std::filesystem::canonical(root / std::string(path), error);
  if (error) return nullptr;
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (rootEnd != root.end() || fileAt == file.end()) return nullptr;

  const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    return nullptr;
  }
  const std::string key(path);
  {
    std::lock_guard lock(mMutex);
    const auto kept = mKept.find(key);
    if (kept != mKept.end() && kept->second.mtimeNs == fMtimeNs(status) && kept->second.size == status.st_size &&
        kept->second.inode == status.st_ino) {
      ::close(descriptor);
      return kept->second.file;
    }
  }
  auto bytes = fReadOpenFile(descriptor, static_cast<std::size_t>(status.st_size));
  ::close(descriptor);
  if (!bytes) return nullptr;
  auto loaded = std::make_shared<SStaticFile>();
  loaded->etag = "\"" + fSha256Hex(*bytes).substr(0, 32) + "\"";
  loaded->contentType = fStaticContentType(path);
  loaded->bytes = std::move(*bytes);
  std::lock_guard lock(mMutex);
  mKept[key] = SKept{loaded, fMtimeNs(status), static_cast<long long>(status.st_size), status.st_ino};
  return loaded;
}
