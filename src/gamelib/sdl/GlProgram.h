// Compiling and linking a GL shader program from two sources.
#pragma once

#include <epoxy/gl.h>

#include <string>

// The linked program, or 0 with the compiler's or linker's reason in error.
GLuint fBuildGlProgram(const char* vertexSource, const char* fragmentSource, std::string& error);
