#include "gamelib/sdl/GlProgram.h"

namespace {

GLuint fCompileShader(GLenum kind, const char* source, std::string& error) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  char log[1024] = {};
  glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
  error = std::string("shader does not compile: ") + log;
  glDeleteShader(shader);
  return 0;
}

}  // namespace

GLuint fBuildGlProgram(const char* vertexSource, const char* fragmentSource, std::string& error) {
  const GLuint vertex = fCompileShader(GL_VERTEX_SHADER, vertexSource, error);
  if (vertex == 0) return 0;
  const GLuint fragment = fCompileShader(GL_FRAGMENT_SHADER, fragmentSource, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) return program;
  char log[1024] = {};
  glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
  error = std::string("shader program does not link: ") + log;
  glDeleteProgram(program);
  return 0;
}
