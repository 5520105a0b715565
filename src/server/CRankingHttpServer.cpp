#include "server/CRankingHttpServer.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <thread>

#include "server/CRankingService.h"
#include "server/RankingRequest.h"
#include "util/Assert.h"

namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kMaxRequestLineBytes = 8192;
constexpr int kSocketTimeoutMs = 10'000;
constexpr time_t kSocketTimeoutSeconds = kSocketTimeoutMs / 1000;

// A socket read through a buffer that may hold bytes put back in front.
class CSocketStream : public httplib::Stream {
 public:
  explicit CSocketStream(int socket) : mSocket(socket) {}
  using httplib::Stream::write;

  bool is_readable() const override { return !mPending.empty() || fWait(POLLIN); }
  bool is_writable() const override { return fWait(POLLOUT); }

  ssize_t read(char* buffer, size_t size) override {
    if (!mPending.empty()) {
      const std::size_t count = std::min(size, mPending.size());
      std::copy_n(mPending.data(), count, buffer);
      mPending.erase(0, count);
      return static_cast<ssize_t>(count);
    }
    if (!fWait(POLLIN)) return -1;
    ssize_t count;
    do {
      count = ::recv(mSocket, buffer, size, 0);
    } while (count < 0 && errno == EINTR);
    return count;
  }

  ssize_t write(const char* buffer, size_t size) override {
    if (!fWait(POLLOUT)) return -1;
    ssize_t count;
    do {
      count = ::send(mSocket, buffer, size, MSG_NOSIGNAL);
    } while (count < 0 && errno == EINTR);
    return count;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { fAddress(true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { fAddress(false, ip, port); }
  socket_t socket() const override { return mSocket; }

  // Reads up to the blank line that ends the head; false on a closed,
  // silent or oversized head.
  bool fReadHead(std::string& head) {
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      if (head.size() > kMaxHeadBytes) return false;
      const ssize_t count = read(chunk, sizeof chunk);
      if (count <= 0) return false;
      head.append(chunk, static_cast<std::size_t>(count));
    }
    return true;
  }
  void fPutBack(std::string bytes) { mPending = std::move(bytes) + mPending; }

 private:
  bool fWait(short events) const {
    pollfd entry{mSocket, events, 0};
    int ready;
    do {
      ready = ::poll(&entry, 1, kSocketTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (entry.revents & (events | POLLHUP)) != 0;
  }

  void fAddress(bool remote, std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    const int status = remote ? ::getpeername(mSocket, raw, &length) : ::getsockname(mSocket, raw, &length);
    if (status != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
      ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
      port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
      ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
      port = ntohs(v6->sin6_port);
    }
    ip = text;
  }

  int mSocket;
  std::string mPending;
};

std::string fLowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The head the library gets: the request line with the path alone, and a
// binary body type in place of a form type (curl's --data-binary default),
// which the library would try to parse and refuse above 8 KiB.
struct SRewrittenHead {
  std::string head;
  std::string target;
};

std::optional<SRewrittenHead> fRewriteHead(const std::string& head) {
  const std::size_t lineEnd = head.find("\r\n");
  if (lineEnd == std::string::npos || lineEnd > kMaxRequestLineBytes) return std::nullopt;
  const std::string line = head.substr(0, lineEnd);
  const std::size_t first = line.find(' ');
  const std::size_t last = line.rfind(' ');
  if (first == std::string::npos || first == last) return std::nullopt;
  SRewrittenHead rewritten;
  rewritten.target = line.substr(first + 1, last - first - 1);
  const std::string path = rewritten.target.substr(0, rewritten.target.find_first_of("?#"));
  rewritten.head = line.substr(0, first) + " " + path + line.substr(last) + "\r\n";

  bool sized = false;
  std::size_t start = lineEnd + 2;
  while (start < head.size()) {
    const std::size_t end = head.find("\r\n", start);
    if (end == std::string::npos) break;
    const std::string header = head.substr(start, end - start);
    start = end + 2;
    if (header.empty()) {
      // "curl -X POST" without data sends no length: an empty body, not
      // one that lasts until the connection closes.
      if (!sized) rewritten.head += "Content-Length: 0\r\n";
      rewritten.head += "\r\n";
      break;
    }
    const std::size_t colon = header.find(':');
    const std::string name = colon == std::string::npos ? std::string() : fLowerCase(header.substr(0, colon));
    sized = sized || name == "content-length" || name == "transfer-encoding";
    if (name == "content-type" && fLowerCase(header).find("application/x-www-form-urlencoded") != std::string::npos) {
      rewritten.head += "Content-Type: application/octet-stream\r\n";
      continue;
    }
    rewritten.head += header + "\r\n";
  }
  // Whatever followed the head is the start of the body.
  rewritten.head += head.substr(start);
  return rewritten;
}

}  // namespace

class CRankingHttpServer::CServer : public httplib::Server {
 public:
  CServer() {
    set_payload_max_length(CRankingService::kMaxArchiveBytes);
    set_read_timeout(kSocketTimeoutSeconds);
    set_write_timeout(kSocketTimeoutSeconds);
  }

  std::atomic<bool> mStopRequested{false};
  std::atomic<bool> mListening{false};

 private:
  // One request per connection, its head read here first.
  bool process_and_close_socket(socket_t socket) override {
    bool processed = false;
    CSocketStream stream(socket);
    std::string head;
    if (stream.fReadHead(head)) {
      if (auto rewritten = fRewriteHead(head)) {
        stream.fPutBack(std::move(rewritten->head));
        bool closed = true;
        const std::string target = rewritten->target;
        processed = process_request(stream, true, closed, [&target](httplib::Request& request) {
          request.target = target;
        });
      } else {
        stream.write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
      }
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    return processed;
  }
};

CRankingHttpServer::CRankingHttpServer(CRankingService& service) : mServer(std::make_unique<CServer>()) {
  mServer->Post(R"(/cgi-bin/plimoball100/.*)", [&service](const httplib::Request& request, httplib::Response& response) {
    const auto mode = fScriptMode(request.path);
    const auto arguments = fScriptArguments(request.target);
    SServiceAnswer answer{404, "no such script\n"};
    if (mode) answer = arguments ? service.fHandle(*mode, *arguments, request.body) : SServiceAnswer{400, "bad request\n"};
    response.status = answer.status;
    response.set_content(answer.body, answer.contentType.c_str());
  });
}

CRankingHttpServer::~CRankingHttpServer() { fStop(); }

int CRankingHttpServer::fBind(const std::string& host, int port) {
  int bound = port;
  if (port == 0) {
    bound = mServer->bind_to_any_port(host);
  } else if (!mServer->bind_to_port(host, port)) {
    bound = -1;
  }
  if (bound <= 0) throw CGameError("cannot listen on " + host + ":" + std::to_string(port));
  return bound;
}

void CRankingHttpServer::fListen() {
  mServer->mListening = true;
  if (!mServer->mStopRequested) mServer->listen_after_bind();
  mServer->mListening = false;
}

void CRankingHttpServer::fStop() {
  mServer->mStopRequested = true;
  // A stop before the library starts running would be lost: wait for it
  // to run (or for fListen to give up on its own).
  while (mServer->mListening && !mServer->is_running()) std::this_thread::yield();
  mServer->stop();
}
