#include "online/CCurlWrapper.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "gamelib/FileSystem.h"
#include "util/Assert.h"

namespace {

void fInitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SReceiver {
  std::string body;
  bool overflow = false;
};

std::size_t fReceive(char* data, std::size_t size, std::size_t count, void* user) {
  auto* receiver = static_cast<SReceiver*>(user);
  const std::size_t bytes = size * count;
  if (receiver->body.size() + bytes > CCurlWrapper::kMaxResponseBytes) {
    receiver->overflow = true;
    return 0;  // curl ends the transfer with a write error
  }
  receiver->body.append(data, bytes);
  return bytes;
}

struct SCurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SHeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

SHttpResponse CCurlWrapper::fPostFile(const std::string& url, const std::string& bodyFile) {
  std::string body;
  if (fFileExists(bodyFile)) {
    try {
      body = fReadWholeFile(bodyFile);
    } catch (const CGameError&) {
      return SHttpResponse{};  // an unreadable body cannot be sent
    }
  }
  return fPostBytes(url, body);
}

SHttpResponse CCurlWrapper::fPostBytes(const std::string& url, const std::string& body) {
  fInitCurlOnce();
  std::unique_ptr<CURL, SCurlDeleter> curl(curl_easy_init());
  if (!curl) return SHttpResponse{};

  // The body is a replay archive, not a form: a form type would also make
  // some servers parse it.
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Content-Type: application/octet-stream");
  headers = curl_slist_append(headers, "Expect:");
  std::unique_ptr<curl_slist, SHeaderListDeleter> headerList(headers);

  SReceiver receiver;
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &fReceive);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &receiver);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  // No signals: the game may run requests off its main thread one day.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  // The URL is sent as built: "//" before the script name is part of it.
  curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);

  if (curl_easy_perform(handle) != CURLE_OK || receiver.overflow) return SHttpResponse{};
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status == 0) return SHttpResponse{};
  return SHttpResponse{status, std::move(receiver.body)};
}
