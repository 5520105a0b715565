// Libraries the game needs for only some of what it does, opened the first
// time they are needed: a library linked in is mapped and relocated before
// main, with every library it brings in turn, whether the run uses it or not.
#pragma once

#include <string>
#include <vector>

// The first of `names` (file names such as "libcurl.so.4") that opens,
// kept open for the rest of the run; null when none does, with the reasons
// in `error`.
void* fOpenSharedLibrary(const std::vector<std::string>& names, std::string& error);
// The address of `symbol` in a library opened above; null when it has none.
void* fSharedLibrarySymbol(void* library, const char* symbol);
