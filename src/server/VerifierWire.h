// What the server and a verifier worker process say to each other over the
// worker's standard input and output. A request is the archive's length as
// 4 little-endian bytes, then the archive; the answer is one text line.
#pragma once

#include <optional>
#include <string>

#include "server/IReplayVerifier.h"

inline constexpr std::size_t kMaxVerifierArchiveBytes = 4u * 1024 * 1024;

std::string fEncodeVerifierRequest(const std::string& archive);
// The length a request's first 4 bytes announce.
std::size_t fDecodeVerifierLength(const unsigned char bytes[4]);

// "checked MODE CONFIRMED SCORE MAXRENSA FRAMES GAMEID OPENINGID PLACEMENTS SEED\n" or "unplayable\n";
// FRAMES is the frame the game ended in when CONFIRMED is 1; SEED the
// archive's, which a daily game must share with its day.
std::string fEncodeVerifierAnswer(const SVerifyOutcome& outcome);
// The answer's line without its "\n"; nothing when it is not one.
std::optional<SVerifyOutcome> fDecodeVerifierAnswer(const std::string& line);

// A worker's whole life: answers requests from in on out until in closes.
// Returns the process's exit status.
int fVerifierWorkerMain(int in, int out);
