// The exception log: a file in the working directory named by the UTC time
// in milliseconds, e.g. "1765090000123.log".
#pragma once

#include <string>

// Levels 0 to 5; only level 0 writes a file. Returns the file's name, or an
// empty string when nothing was written.
std::string fWriteLog(unsigned level, const std::string& message);
