#include "server/RankingServerHarness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

const std::string kServerExecutable = PLIMO_SERVER_EXECUTABLE;

SVerifierPoolOptions fTestPoolOptions(int workers) {
  SVerifierPoolOptions options;
  options.command = {kServerExecutable, "--verifier-worker"};
  options.workers = workers;
  // Sanitizer builds on a busy machine check far slower than the server's
  // default allows.
  options.timeLimit = std::chrono::milliseconds(60'000);
  options.memoryLimitBytes = std::size_t{4} << 30;
  return options;
}

int fConnectLocal(int port) {
  const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(connection);
    return -1;
  }
  return connection;
}

std::string fRawHttpExchange(int port, const std::string& request) {
  const int connection = fConnectLocal(port);
  std::string answer;
  if (connection < 0) return answer;
  std::size_t sent = 0;
  while (sent < request.size()) {
    const ssize_t count = ::send(connection, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) break;
    sent += static_cast<std::size_t>(count);
  }
  char chunk[4096];
  ssize_t count;
  while ((count = ::recv(connection, chunk, sizeof chunk, 0)) > 0) answer.append(chunk, static_cast<std::size_t>(count));
  ::close(connection);
  return answer;
}
