#include "online/CCurlWrapper.h"

#include <memory>

#include "gamelib/FileSystem.h"
#include "online/CurlLibrary.h"
#include "util/Assert.h"

namespace {

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
  void operator()(CURL* curl) const { fCurl()->easyCleanup(curl); }
};
struct SHeaderListDeleter {
  void operator()(curl_slist* list) const { fCurl()->slistFreeAll(list); }
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
  const SCurlCalls* calls = fCurl();
  if (calls == nullptr) return SHttpResponse{};
  std::unique_ptr<CURL, SCurlDeleter> curl(calls->easyInit());
  if (!curl) return SHttpResponse{};

  // The body is a replay archive, not a form: a form type would also make
  // some servers parse it.
  curl_slist* headers = nullptr;
  headers = calls->slistAppend(headers, "Content-Type: application/octet-stream");
  headers = calls->slistAppend(headers, "Expect:");
  std::unique_ptr<curl_slist, SHeaderListDeleter> headerList(headers);

  SReceiver receiver;
  CURL* handle = curl.get();
  calls->easySetopt(handle, CURLOPT_URL, url.c_str());
  calls->easySetopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  calls->easySetopt(handle, CURLOPT_POST, 1L);
  calls->easySetopt(handle, CURLOPT_POSTFIELDS, body.data());
  calls->easySetopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  calls->easySetopt(handle, CURLOPT_HTTPHEADER, headerList.get());
  calls->easySetopt(handle, CURLOPT_WRITEFUNCTION, &fReceive);
  calls->easySetopt(handle, CURLOPT_WRITEDATA, &receiver);
  calls->easySetopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  calls->easySetopt(handle, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  // No signals: the game may run requests off its main thread one day.
  calls->easySetopt(handle, CURLOPT_NOSIGNAL, 1L);
  // The URL is sent as built: "//" before the script name is part of it.
  calls->easySetopt(handle, CURLOPT_PATH_AS_IS, 1L);

  if (calls->easyPerform(handle) != CURLE_OK || receiver.overflow) return SHttpResponse{};
  long status = 0;
  calls->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status == 0) return SHttpResponse{};
  return SHttpResponse{status, std::move(receiver.body)};
}
