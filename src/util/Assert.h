// Programming errors stop the program with a message; recoverable failures
// are exceptions (CGameError) and archive inconsistencies are fatal errors
// (CFatalError), a kind of its own that the frame loop's guard lets through.
#pragma once

#include <stdexcept>
#include <string>

[[noreturn]] void fAssertionFailure(const char* message, const char* file, int line);

#define PLIMO_ASSERT(condition, message)                        \
  do {                                                          \
    if (!(condition)) fAssertionFailure((message), __FILE__, __LINE__); \
  } while (false)

// A failure the game can report and survive.
class CGameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Deliberately not a std::exception: nothing but main() catches it.
class CFatalError {
 public:
  explicit CFatalError(std::string message) : mMessage(std::move(message)) {}
  const std::string& fMessage() const { return mMessage; }

 private:
  std::string mMessage;
};
