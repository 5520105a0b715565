// Reads Metasequoia text models ("Format Text Ver 1.x"): materials (with
// their texture's file name) and the vertices, faces and texture coordinates
// of each object. Everything else the format can hold (scene settings,
// mirrors, extra chunks) is skipped. A file
// that is cut short, names a vertex or material that is not there, or holds
// a number that is not one is refused as a whole: the caller gets no model
// rather than half of one.
//
// Coordinates are taken as written: the game's files already use its own
// z-up world axes.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

struct SMqoFileMaterial {
  std::string name;
  std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};  // col(r g b a)
  float diffuse = 0.8f;                                 // dif, factors of colour
  float ambient = 0.6f;                                 // amb
  float emissive = 0.0f;                                // emi
  float specular = 0.0f;                                // spc, a grey level
  float power = 5.0f;                                   // the specular exponent
  std::string texture;                                  // tex("file"), beside the model; "" for none
};

struct SMqoFileFace {
  std::vector<int> vertices;  // three or more, in the file's winding
  int material = -1;          // -1: no M(), the default material
  std::vector<std::array<float, 2>> uv;  // UV(): one (u, v) per corner, v down; or none
};

struct SMqoFileObject {
  std::string name;
  bool visible = true;
  bool smooth = true;        // "shading 1": normals blended across soft edges
  float facetDegrees = 59.5f;  // edges sharper than this stay hard
  std::vector<std::array<float, 3>> vertices;
  std::vector<SMqoFileFace> faces;
};

struct SMqoFile {
  std::vector<SMqoFileMaterial> materials;
  std::vector<SMqoFileObject> objects;
};

namespace mqo_detail {

// No file of ours comes near this; a larger count is a damaged header, and
// reserving for it would ask for gigabytes.
constexpr std::size_t kMaxCount = 1u << 22;

inline std::string_view fTrim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Walks the text line by line; every statement of the format is one line.
class CLines {
 public:
  explicit CLines(std::string_view text) : mText(text) {}
  bool fNext(std::string_view& line) {
    if (mPosition >= mText.size()) return false;
    const std::size_t end = mText.find('\n', mPosition);
    const std::size_t stop = end == std::string_view::npos ? mText.size() : end;
    line = fTrim(mText.substr(mPosition, stop - mPosition));
    mPosition = stop + 1;
    return true;
  }

 private:
  std::string_view mText;
  std::size_t mPosition = 0;
};

// Reads from a single line: words, quoted names, numbers and name(arguments).
class CCursor {
 public:
  explicit CCursor(std::string_view text) : mText(text) {}
  void fSkipBlanks() {
    while (mPosition < mText.size() && (mText[mPosition] == ' ' || mText[mPosition] == '\t')) ++mPosition;
  }
  bool fAtEnd() {
    fSkipBlanks();
    return mPosition >= mText.size();
  }
  std::string_view fRest() {
    fSkipBlanks();
    return mText.substr(mPosition);
  }
  std::string_view fWord() {
    fSkipBlanks();
    const std::size_t start = mPosition;
    while (mPosition < mText.size() && mText[mPosition] != ' ' && mText[mPosition] != '\t' &&
           mText[mPosition] != '(' && mText[mPosition] != '{') {
      ++mPosition;
    }
    return mText.substr(start, mPosition - start);
  }
  bool fQuoted(std::string& out) {
    fSkipBlanks();
    if (mPosition >= mText.size() || mText[mPosition] != '"') return false;
    const std::size_t close = mText.find('"', mPosition + 1);
    if (close == std::string_view::npos) return false;
    out.assign(mText.substr(mPosition + 1, close - mPosition - 1));
    mPosition = close + 1;
    return true;
  }
  template <typename T>
  bool fNumber(T& out) {
    fSkipBlanks();
    const char* first = mText.data() + mPosition;
    const char* last = mText.data() + mText.size();
    if (first != last && *first == '+') ++first;  // from_chars takes no plus sign
    const auto [end, error] = std::from_chars(first, last, out);
    if (error != std::errc() || end == first) return false;
    if constexpr (std::is_floating_point_v<T>) {
      if (!std::isfinite(out)) return false;
    }
    mPosition = static_cast<std::size_t>(end - mText.data());
    return true;
  }
  // name(arguments): the name and the text between the brackets, where
  // quoted text may hold brackets of its own.
  bool fAttribute(std::string_view& name, std::string_view& arguments) {
    fSkipBlanks();
    const std::size_t start = mPosition;
    while (mPosition < mText.size() && mText[mPosition] != '(' && mText[mPosition] != ' ' &&
           mText[mPosition] != '\t') {
      ++mPosition;
    }
    if (mPosition >= mText.size() || mText[mPosition] != '(' || mPosition == start) return false;
    name = mText.substr(start, mPosition - start);
    const std::size_t open = ++mPosition;
    bool quoted = false;
    while (mPosition < mText.size() && (quoted || mText[mPosition] != ')')) {
      if (mText[mPosition] == '"') quoted = !quoted;
      ++mPosition;
    }
    if (mPosition >= mText.size()) return false;
    arguments = mText.substr(open, mPosition - open);
    ++mPosition;
    return true;
  }

 private:
  std::string_view mText;
  std::size_t mPosition = 0;
};

// Opening minus closing braces outside quotes.
inline int fBraceBalance(std::string_view line) {
  int balance = 0;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '{') ++balance;
    if (c == '}') --balance;
  }
  return balance;
}

// The rest of a chunk whose opening line has been read.
inline bool fSkipChunk(CLines& lines, int depth) {
  std::string_view line;
  while (depth > 0) {
    if (!lines.fNext(line)) return false;
    depth += fBraceBalance(line);
  }
  return true;
}

template <typename T, std::size_t N>
bool fNumbers(std::string_view text, std::array<T, N>& out) {
  CCursor cursor(text);
  for (T& value : out) {
    if (!cursor.fNumber(value)) return false;
  }
  return cursor.fAtEnd();
}

// "<word> <count> {": the count of a list chunk.
inline bool fListHeader(CCursor& cursor, std::size_t& count) {
  long long value = 0;
  if (!cursor.fNumber(value) || value < 0 || static_cast<unsigned long long>(value) > kMaxCount) return false;
  count = static_cast<std::size_t>(value);
  return cursor.fRest() == "{";
}

inline bool fMaterialLine(std::string_view line, SMqoFileMaterial& material) {
  CCursor cursor(line);
  if (!cursor.fQuoted(material.name)) return false;
  std::string_view name, arguments;
  while (!cursor.fAtEnd()) {
    if (!cursor.fAttribute(name, arguments)) return false;
    std::array<float, 1> one{};
    if (name == "col") {
      if (!fNumbers(arguments, material.colour)) return false;
    } else if (name == "dif" || name == "amb" || name == "emi" || name == "spc" || name == "power") {
      if (!fNumbers(arguments, one)) return false;
      float& field = name == "dif"   ? material.diffuse
                     : name == "amb" ? material.ambient
                     : name == "emi" ? material.emissive
                     : name == "spc" ? material.specular
                                     : material.power;
      field = one[0];
    } else if (name == "tex") {
      CCursor file(arguments);
      if (!file.fQuoted(material.texture) || !file.fAtEnd()) return false;
    }
    // Shaders, reflection, alpha and bump maps and the rest are not drawn.
  }
  for (float& channel : material.colour) channel = std::clamp(channel, 0.0f, 1.0f);
  return true;
}

inline bool fMaterials(CLines& lines, CCursor& header, SMqoFile& file) {
  std::size_t count = 0;
  if (!fListHeader(header, count)) return false;
  std::string_view line;
  while (lines.fNext(line)) {
    if (line == "}") return file.materials.size() == count;
    if (line.empty()) continue;
    if (file.materials.size() == count) return false;
    SMqoFileMaterial material;
    if (!fMaterialLine(line, material)) return false;
    file.materials.push_back(std::move(material));
  }
  return false;
}

inline bool fVertices(CLines& lines, CCursor& header, SMqoFileObject& object) {
  std::size_t count = 0;
  if (!fListHeader(header, count)) return false;
  object.vertices.reserve(count);
  std::string_view line;
  while (lines.fNext(line)) {
    if (line == "}") return object.vertices.size() == count;
    if (line.empty()) continue;
    std::array<float, 3> vertex{};
    if (object.vertices.size() == count || !fNumbers(line, vertex)) return false;
    object.vertices.push_back(vertex);
  }
  return false;
}

inline bool fFaceLine(std::string_view line, SMqoFileFace& face) {
  CCursor cursor(line);
  int corners = 0;
  if (!cursor.fNumber(corners) || corners < 1 || corners > 1024) return false;
  bool hasVertices = false;
  std::string_view name, arguments;
  while (!cursor.fAtEnd()) {
    if (!cursor.fAttribute(name, arguments)) return false;
    if (name == "V") {
      CCursor list(arguments);
      face.vertices.resize(static_cast<std::size_t>(corners));
      for (int& index : face.vertices) {
        if (!list.fNumber(index)) return false;
      }
      if (!list.fAtEnd()) return false;
      hasVertices = true;
    } else if (name == "M") {
      std::array<int, 1> material{};
      if (!fNumbers(arguments, material)) return false;
      face.material = material[0];
    } else if (name == "UV") {
      CCursor list(arguments);
      face.uv.resize(static_cast<std::size_t>(corners));
      for (auto& uv : face.uv) {
        if (!list.fNumber(uv[0]) || !list.fNumber(uv[1])) return false;
      }
      if (!list.fAtEnd()) return false;
    }
  }
  return hasVertices;
}

inline bool fFaces(CLines& lines, CCursor& header, SMqoFileObject& object, std::size_t materialCount) {
  std::size_t count = 0;
  if (!fListHeader(header, count)) return false;
  object.faces.reserve(count);
  std::size_t seen = 0;
  std::string_view line;
  while (lines.fNext(line)) {
    if (line == "}") return seen == count;
    if (line.empty()) continue;
    if (seen == count) return false;
    ++seen;
    SMqoFileFace face;
    if (!fFaceLine(line, face)) return false;
    for (int index : face.vertices) {
      if (index < 0 || static_cast<std::size_t>(index) >= object.vertices.size()) return false;
    }
    if (face.material >= static_cast<int>(materialCount)) return false;
    if (face.material < 0) face.material = -1;
    // Points and lines have no surface to draw.
    if (face.vertices.size() >= 3) object.faces.push_back(std::move(face));
  }
  return false;
}

inline bool fObject(CLines& lines, CCursor& header, SMqoFile& file) {
  SMqoFileObject object;
  if (!header.fQuoted(object.name) || header.fRest() != "{") return false;
  std::string_view line;
  while (lines.fNext(line)) {
    if (line == "}") {
      file.objects.push_back(std::move(object));
      return true;
    }
    if (line.empty()) continue;
    CCursor cursor(line);
    const std::string_view word = cursor.fWord();
    if (word == "vertex") {
      if (!object.faces.empty() || !fVertices(lines, cursor, object)) return false;
    } else if (word == "face") {
      if (!fFaces(lines, cursor, object, file.materials.size())) return false;
    } else if (word == "BVertex") {
      return false;  // binary vertex data inside a text file: not read
    } else if (word == "visible") {
      int value = 0;
      if (!cursor.fNumber(value)) return false;
      object.visible = value != 0;
    } else if (word == "shading") {
      int value = 0;
      if (!cursor.fNumber(value)) return false;
      object.smooth = value != 0;
    } else if (word == "facet") {
      if (!cursor.fNumber(object.facetDegrees)) return false;
    } else if (const int balance = fBraceBalance(line); balance > 0) {
      if (!fSkipChunk(lines, balance)) return false;
    } else if (balance < 0) {
      return false;
    }
  }
  return false;
}

}  // namespace mqo_detail

// The model in text, or nothing when the text is not a model this reader
// can take whole.
inline std::optional<SMqoFile> fReadMqoFile(std::string_view text) {
  using namespace mqo_detail;
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
      static_cast<unsigned char>(text[2]) == 0xBF) {
    text.remove_prefix(3);  // a UTF-8 byte-order mark
  }
  CLines lines(text);
  std::string_view line;
  if (!lines.fNext(line) || line != "Metasequoia Document") return std::nullopt;
  if (!lines.fNext(line) || line.substr(0, 16) != "Format Text Ver ") return std::nullopt;
  SMqoFile file;
  while (lines.fNext(line)) {
    if (line.empty()) continue;
    if (line == "Eof") return file;
    CCursor cursor(line);
    const std::string_view word = cursor.fWord();
    bool ok = true;
    if (word == "Material") {
      // Faces refer to materials by number: a second list would renumber them.
      ok = file.materials.empty() && file.objects.empty() && fMaterials(lines, cursor, file);
    } else if (word == "Object") {
      ok = fObject(lines, cursor, file);
    } else if (const int balance = fBraceBalance(line); balance > 0) {
      ok = fSkipChunk(lines, balance);
    } else {
      ok = balance == 0;
    }
    if (!ok) return std::nullopt;
  }
  return std::nullopt;  // no "Eof": the file was cut short
}
