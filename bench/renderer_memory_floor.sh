#!/usr/bin/env bash
# The memory a bare window costs on this machine's GL before the game does
# anything: a tiny SDL2 + OpenGL 3.3 program that opens a 640x480 window,
# lights one sphere per pixel (the ball shader's kind of work) for 300
# frames and prints its peak resident memory and what holds it (the shared
# libraries it maps, the heap). Compared with the game's own figure from
# bench/frame_stats.sh, the difference is what the game itself adds.
# Usage: bench/renderer_memory_floor.sh   (runs under Xvfb unless
# PLIMO_STATS_DISPLAY=1 uses the current display)
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/floor.cpp" <<'SOURCE'
#include <SDL.h>
#include <epoxy/gl.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

static const char* kVertex = R"(#version 330 core
layout(location = 0) in vec2 aPosition;
out vec2 vAt;
void main() { vAt = aPosition; gl_Position = vec4(aPosition, 0.0, 1.0); })";
static const char* kFragment = R"(#version 330 core
in vec2 vAt;
out vec4 colour;
void main() {
  float r2 = dot(vAt, vAt);
  if (r2 > 1.0) discard;
  vec3 n = normalize(vec3(vAt, sqrt(1.0 - r2)));
  vec3 h = normalize(vec3(0.3, 0.5, 1.0) + vec3(0.0, 0.0, 1.0));
  colour = vec4(vec3(0.2, 0.4, 0.9) * max(n.z, 0.0) + pow(max(dot(n, h), 0.0), 40.0), 1.0);
})";

static GLuint fShader(GLenum kind, const char* text) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  return shader;
}

int main() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("floor", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) return 1;
  GLuint program = glCreateProgram();
  glAttachShader(program, fShader(GL_VERTEX_SHADER, kVertex));
  glAttachShader(program, fShader(GL_FRAGMENT_SHADER, kFragment));
  glLinkProgram(program);
  const float quad[] = {-0.6f, -0.8f, 0.6f, -0.8f, 0.6f, 0.8f, -0.6f, -0.8f, 0.6f, 0.8f, -0.6f, 0.8f};
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glUseProgram(program);
  for (int frame = 0; frame < 300; ++frame) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    SDL_GL_SwapWindow(window);
  }
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  // What holds the resident memory, by mapping kind.
  std::ifstream smaps("/proc/self/smaps");
  std::map<std::string, long> rss;
  std::string line, current;
  while (std::getline(smaps, line)) {
    if (line.find('-') < 16 && line.find(' ') > line.find('-')) {
      std::istringstream fields(line);
      std::string skip, path;
      for (int i = 0; i < 5; ++i) fields >> skip;
      fields >> path;
      if (path.find("libLLVM") != std::string::npos) path = "LLVM (the software renderer's compiler)";
      else if (path.find("_dri.so") != std::string::npos) path = "the GL driver";
      else if (path.empty()) path = "[anon]";
      else if (path[0] == '/') path = "other shared libraries";
      current = path;
    } else if (line.rfind("Rss:", 0) == 0) {
      rss[current] += std::stol(line.substr(4));
    }
  }
  for (const auto& [what, kb] : rss) {
    if (kb >= 512) std::printf("  %-40s %6.1f MB\n", what.c_str(), static_cast<double>(kb) / 1024.0);
  }
  std::ifstream status("/proc/self/status");
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) std::printf("peak resident memory   %.1f MB\n", std::stol(line.substr(6)) / 1024.0);
  }
  return 0;
}
SOURCE
g++ -std=c++20 -O2 -o "$work/floor" "$work/floor.cpp" $(pkg-config --cflags --libs sdl2 epoxy)
if [ "${PLIMO_STATS_DISPLAY:-0}" = 1 ]; then
  "$work/floor"
else
  (unset SDL_VIDEODRIVER; xvfb-run -a -s "-screen 0 640x480x24" "$work/floor")
fi
