// Writes the generated files under the data folder and remembers their names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CAssetWriter {
 public:
  explicit CAssetWriter(std::filesystem::path datDirectory);

  // `relative` is the game's own name under dat/, e.g. "image/title.png".
  // Folders are created as needed; a failure throws std::runtime_error.
  void fWrite(const std::string& relative, const std::vector<uint8_t>& bytes);
  void fWrite(const std::string& relative, const std::string& text);

  const std::vector<std::string>& fWritten() const { return mWritten; }

 private:
  std::filesystem::path mRoot;
  std::vector<std::string> mWritten;
};
