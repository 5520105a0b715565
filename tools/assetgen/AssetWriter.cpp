#include "AssetWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

CAssetWriter::CAssetWriter(std::filesystem::path datDirectory) : mRoot(std::move(datDirectory)) {}

void CAssetWriter::fWrite(const std::string& relative, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path path = mRoot / relative;
  std::filesystem::create_directories(path.parent_path());
  // Written beside and renamed, so an interrupted build never leaves half a
  // file that the game would then try to load.
  const std::filesystem::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
  mWritten.push_back(relative);
}

void CAssetWriter::fWrite(const std::string& relative, const std::string& text) {
  std::vector<uint8_t> bytes(text.size());
  std::copy(text.begin(), text.end(), bytes.begin());
  fWrite(relative, bytes);
}
