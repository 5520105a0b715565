#include "online/FakeHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace {

int fBindLocal(int& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("bind");
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return listener;
}

std::string fHeaderValue(const std::string& head, const std::string& lowerName) {
  std::string lower = head;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t at = lower.find("\r\n" + lowerName + ":");
  if (at == std::string::npos) return {};
  const std::size_t start = at + 2 + lowerName.size() + 1;
  return head.substr(start, head.find("\r\n", start) - start);
}

}  // namespace

CFakeHttpServer::CFakeHttpServer(int status, std::string body) : mStatus(status), mBody(std::move(body)) {
  mListener = fBindLocal(mPort);
  ::listen(mListener, 8);
  mThread = std::thread([this] { fServe(); });
}

CFakeHttpServer::~CFakeHttpServer() {
  mStopping = true;
  mThread.join();
  ::close(mListener);
}

std::vector<SRecordedRequest> CFakeHttpServer::fRequests() const {
  std::lock_guard lock(mMutex);
  return mRequests;
}

std::string CFakeHttpServer::fDeadAddress() {
  int port = 0;
  const int listener = fBindLocal(port);
  ::close(listener);  // bound, never listened: connections are refused
  return "127.0.0.1:" + std::to_string(port);
}

void CFakeHttpServer::fServe() {
  while (!mStopping) {
    pollfd entry{mListener, POLLIN, 0};
    if (::poll(&entry, 1, 20) <= 0) continue;
    const int connection = ::accept(mListener, nullptr, nullptr);
    if (connection < 0) continue;
    fAnswer(connection);
    ::close(connection);
  }
}

void CFakeHttpServer::fAnswer(int connection) {
  std::string received;
  char chunk[4096];
  std::size_t headEnd;
  while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
    const ssize_t count = ::recv(connection, chunk, sizeof chunk, 0);
    if (count <= 0) return;
    received.append(chunk, static_cast<std::size_t>(count));
  }
  SRecordedRequest request;
  const std::size_t lineEnd = received.find("\r\n");
  request.requestLine = received.substr(0, lineEnd);
  request.head = received.substr(lineEnd, headEnd + 2 - lineEnd);
  const std::string length = fHeaderValue(request.head, "content-length");
  const std::size_t bodySize = length.empty() ? 0 : std::stoul(length);
  request.body = received.substr(headEnd + 4);
  while (request.body.size() < bodySize) {
    const ssize_t count = ::recv(connection, chunk, sizeof chunk, 0);
    if (count <= 0) break;
    request.body.append(chunk, static_cast<std::size_t>(count));
  }
  {
    std::lock_guard lock(mMutex);
    mRequests.push_back(request);
  }
  const std::string answer = "HTTP/1.1 " + std::to_string(mStatus) + " Canned\r\nContent-Length: " +
                             std::to_string(mBody.size()) + "\r\nConnection: close\r\n\r\n" + mBody;
  std::size_t sent = 0;
  while (sent < answer.size()) {
    const ssize_t count = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) break;
    sent += static_cast<std::size_t>(count);
  }
}
