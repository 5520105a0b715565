#include "server/VerifierWire.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <sstream>

#include "rules/StageModes.h"

namespace {

bool fReadExactly(int fd, char* buffer, std::size_t size) {
  while (size > 0) {
    const ssize_t count = ::read(fd, buffer, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    buffer += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

bool fWriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::size_t>(count);
  }
  return true;
}

bool fIsModeName(const std::string& text) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (text == fModeName(mode)) return true;
  }
  return false;
}

// 64 lower-case hex digits, as the check writes it.
bool fIsGameId(const std::string& text) {
  if (text.size() != 64) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

std::string fEncodeVerifierRequest(const std::string& archive) {
  std::string request(4, '\0');
  const auto size = static_cast<std::uint32_t>(archive.size());
  for (int i = 0; i < 4; ++i) request[static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xff);
  return request + archive;
}

std::size_t fDecodeVerifierLength(const unsigned char bytes[4]) {
  return static_cast<std::size_t>(bytes[0]) | static_cast<std::size_t>(bytes[1]) << 8 |
         static_cast<std::size_t>(bytes[2]) << 16 | static_cast<std::size_t>(bytes[3]) << 24;
}

std::string fEncodeVerifierAnswer(const SVerifyOutcome& outcome) {
  if (outcome.kind != SVerifyOutcome::EKind::Checked) return "unplayable\n";
  const SReplayCheckResult& result = outcome.result;
  return "checked " + result.mode + " " + (result.confirmed ? "1" : "0") + " " + std::to_string(result.score) + " " +
         std::to_string(result.maxRensa) + " " + std::to_string(result.frames) + " " + result.gameId + " " + result.openingId + " " +
         std::to_string(result.placements) + " " + std::to_string(result.seed) + "\n";
}

std::optional<SVerifyOutcome> fDecodeVerifierAnswer(const std::string& line) {
  SVerifyOutcome outcome;
  if (line == "unplayable") {
    outcome.kind = SVerifyOutcome::EKind::Unplayable;
    outcome.detail = "the worker could not play it";
    return outcome;
  }
  std::istringstream fields(line);
  std::string word;
  int confirmed = -1;
  SReplayCheckResult& result = outcome.result;
  if (!(fields >> word) || word != "checked") return std::nullopt;
  if (!(fields >> result.mode >> confirmed >> result.score >> result.maxRensa >> result.frames >> result.gameId >>
        result.openingId >> result.placements >> result.seed)) {
    return std::nullopt;
  }
  if (!fIsModeName(result.mode) || (confirmed != 0 && confirmed != 1) || !fIsGameId(result.gameId) ||
      !fIsGameId(result.openingId) || result.placements < 0 || !(fields >> std::ws).eof()) {
    return std::nullopt;
  }
  result.confirmed = confirmed == 1;
  outcome.kind = SVerifyOutcome::EKind::Checked;
  return outcome;
}

int fVerifierWorkerMain(int in, int out) {
  CInProcessVerifier verifier;
  for (;;) {
    unsigned char header[4];
    if (!fReadExactly(in, reinterpret_cast<char*>(header), sizeof header)) return 0;
    const std::size_t size = fDecodeVerifierLength(header);
    if (size > kMaxVerifierArchiveBytes) {
      std::fprintf(stderr, "verifier worker: a request of %zu bytes is too large\n", size);
      return 2;
    }
    std::string archive(size, '\0');
    if (!fReadExactly(in, archive.data(), size)) return 2;
    const SVerifyOutcome outcome = verifier.fVerify(archive);
    // Out of memory mid-check: the server sees the worker end and replaces it.
    if (outcome.kind == SVerifyOutcome::EKind::Failed) {
      std::fprintf(stderr, "verifier worker: %s\n", outcome.detail.c_str());
      return 3;
    }
    if (!fWriteAll(out, fEncodeVerifierAnswer(outcome))) return 2;
  }
}
