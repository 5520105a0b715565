#include "server/ZipBomb.h"

#include <array>
#include <vector>

#include "replay/ReplayFormat.h"

namespace {

// Deflate's bit order: fields from their lowest bit, Huffman codes from
// their highest.
class CBitWriter {
 public:
  void fBits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) fBit((value >> i) & 1u);
  }
  void fCode(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) fBit((code >> i) & 1u);
  }
  // Many zero bits at once: whole zero bytes once the byte is full.
  void fZeros(std::uint64_t count) {
    while (count > 0 && mUsed != 0) {
      fBit(0);
      --count;
    }
    mBytes.append(static_cast<std::size_t>(count / 8), '\0');
    for (std::uint64_t i = 0; i < count % 8; ++i) fBit(0);
  }
  std::string fFinish() { return mBytes; }

 private:
  void fBit(std::uint32_t bit) {
    if (mUsed == 0) mBytes.push_back('\0');
    if (bit != 0) mBytes.back() = static_cast<char>(static_cast<unsigned char>(mBytes.back()) | (1u << mUsed));
    mUsed = (mUsed + 1) % 8;
  }
  std::string mBytes;
  int mUsed = 0;
};

void fLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string fDeflatedZeros(std::uint64_t copies) {
  CBitWriter out;
  out.fBits(1, 1);   // the last block
  out.fBits(2, 2);   // dynamic Huffman codes
  out.fBits(29, 5);  // 286 literal/length codes
  out.fBits(0, 5);   // 1 distance code
  out.fBits(14, 4);  // 18 code-length codes
  // Code lengths of the code-length alphabet, in deflate's order: 18 gets
  // 1 bit, 1 and 2 get 2 bits.
  const std::array<int, 18> order = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
  for (const int symbol : order) out.fBits(symbol == 18 ? 1 : (symbol == 1 || symbol == 2) ? 2 : 0, 3);
  // Their codes: 18 -> 0, 1 -> 10, 2 -> 11.
  auto length = [&](int value) { out.fCode(value == 1 ? 0b10 : 0b11, 2); };
  auto zeros = [&](int count) {
    out.fCode(0, 1);
    out.fBits(static_cast<std::uint32_t>(count - 11), 7);
  };
  // Literal 0: 2 bits, 1-255: none, end of block (256): 2 bits, 257-284:
  // none, length 258 (285): 1 bit; distance 1: 1 bit.
  length(2);
  zeros(138);
  zeros(117);
  length(2);
  zeros(28);
  length(1);
  length(1);
  // Codes: 285 -> 0, literal 0 -> 10, end -> 11; distance 1 -> 0.
  out.fCode(0b10, 2);
  out.fZeros(2 * copies);
  out.fCode(0b11, 2);
  return out.fFinish();
}

std::uint32_t fCrcOfZeros(std::uint64_t count) {
  std::uint32_t crc = 0xffffffffu;
  for (std::uint64_t i = 0; i < count; ++i) {
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

std::string fZipOfDeflatedKeyLog(const std::string& deflated, std::uint32_t declaredSize, std::uint32_t crc) {
  struct SMember {
    std::string name;
    std::string data;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint32_t size;
  };
  // The seed 0x00000001 and its CRC-32.
  const std::vector<SMember> members = {
      {fKeyLogMemberName(0, false), deflated, 8, crc, declaredSize},
      {fSeedMemberName(0, false), std::string("\x01\x00\x00\x00", 4), 0, 0x99f8b879u, 4},
  };
  std::string zip;
  std::string directory;
  for (const SMember& member : members) {
    const auto offset = static_cast<std::uint32_t>(zip.size());
    std::string common;
    fLe(common, 20, 2);  // version needed
    fLe(common, 0, 2);   // flags
    fLe(common, member.method, 2);
    fLe(common, 0, 2);  // time
    fLe(common, 0x2821, 2);  // date: 2000-01-01
    fLe(common, member.crc, 4);
    fLe(common, static_cast<std::uint32_t>(member.data.size()), 4);
    fLe(common, member.size, 4);
    fLe(common, static_cast<std::uint32_t>(member.name.size()), 2);
    fLe(common, 0, 2);  // extra field
    fLe(zip, 0x04034b50, 4);
    zip += common + member.name + member.data;
    fLe(directory, 0x02014b50, 4);
    fLe(directory, 20, 2);  // version made by
    directory += common;
    fLe(directory, 0, 2);  // comment
    fLe(directory, 0, 2);  // disk
    fLe(directory, 0, 2);  // internal attributes
    fLe(directory, 0, 4);  // external attributes
    fLe(directory, offset, 4);
    directory += member.name;
  }
  const auto directoryAt = static_cast<std::uint32_t>(zip.size());
  zip += directory;
  fLe(zip, 0x06054b50, 4);
  fLe(zip, 0, 2);
  fLe(zip, 0, 2);
  fLe(zip, static_cast<std::uint32_t>(members.size()), 2);
  fLe(zip, static_cast<std::uint32_t>(members.size()), 2);
  fLe(zip, static_cast<std::uint32_t>(directory.size()), 4);
  fLe(zip, directoryAt, 4);
  fLe(zip, 0, 2);
  return zip;
}
