#include "persist/Serializer.h"

#include <array>
#include <limits>

namespace {

CBinaryFile::EOpen fOpenModeFor(EFileMode mode) {
  PLIMO_ASSERT(mode == EFileMode::In || mode == EFileMode::Out,
               "Serializer.open only works with FileMode.In and FileMode.Out");
  // Update writes in place and never truncates: the archive format relies on it.
  return mode == EFileMode::In ? CBinaryFile::EOpen::Read : CBinaryFile::EOpen::Update;
}

}  // namespace

Serializer::Serializer(const std::string& path, EFileMode mode) : mMode(mode), mFile(path, fOpenModeFor(mode)) {
  if (isReading()) mReadSize = mFile.fSize();
}

void Serializer::fWriteBytes(const void* bytes, std::size_t size) { mFile.fWrite(bytes, size); }

void Serializer::fReadBytes(void* bytes, std::size_t size) {
  if (mFile.fRead(bytes, size) != size) mEndedEarly = true;
}

void Serializer::fDescribeU32(std::uint32_t& value) {
  std::array<unsigned char, 4> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  if (isWriting()) {
    fWriteBytes(bytes.data(), bytes.size());
    return;
  }
  // Bytes past the end of the file keep the value's old bytes.
  fReadBytes(bytes.data(), bytes.size());
  value = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
}

void Serializer::fDescribeByte(std::uint8_t& value) {
  if (isWriting()) {
    fWriteBytes(&value, 1);
  } else {
    fReadBytes(&value, 1);
  }
}

void Serializer::describe(std::int32_t& value) {
  auto bits = static_cast<std::uint32_t>(value);
  fDescribeU32(bits);
  value = static_cast<std::int32_t>(bits);
}

void Serializer::describe(bool& value) {
  std::uint8_t byte = value ? 1 : 0;
  fDescribeByte(byte);
  value = byte != 0;
}

void Serializer::describe(char& value) {
  auto byte = static_cast<std::uint8_t>(value);
  fDescribeByte(byte);
  value = static_cast<char>(byte);
}

void Serializer::describe(std::string& value) {
  const std::size_t count = fDescribeCount(value.size());
  if (isWriting()) {
    fWriteBytes(value.data(), value.size());
  } else {
    value.resize(count);
    fReadBytes(value.data(), count);
  }
}

std::size_t Serializer::fDescribeCount(std::size_t size) {
  if (isWriting()) {
    PLIMO_ASSERT(size <= std::numeric_limits<std::uint32_t>::max(), "too many elements for an archive count");
    auto count = static_cast<std::uint32_t>(size);
    fDescribeU32(count);
    return size;
  }
  const std::uint64_t start = getPosition();
  std::uint32_t count = 0;
  fDescribeU32(count);
  const std::uint64_t here = getPosition();
  const std::uint64_t remaining = here < mReadSize ? mReadSize - here : 0;
  if (count > remaining) {
    seekTo(start);
    throw CFatalError("Inconsistent archive: a count of " + std::to_string(count) + " at byte " +
                      std::to_string(start) + " is more than the rest of the file holds.");
  }
  return count;
}

const ClassDescriptionBase* Serializer::fDescriptionForWriting(const CSerializable& object) const {
  return ClassRegister::fInstance().fFindByClass(typeid(object));
}

void Serializer::fThrowUnregisteredClass(const CSerializable& object, const std::string& declaredName) {
  throw CGameError("Trying to write unregistered class " + object.fGetClassName() + " through class reference of type " +
                   declaredName + ".\nYou need to register the former ahead of time.");
}

void Serializer::fThrowUnknownTag(const std::string& tag, const std::string& declaredName) {
  throw CGameError("Trying to read class that has been written with the " + tag + " tag " +
                   "through a class reference of type " + declaredName + "." +
                   "\nThe tag is unknown, you need to register this tag ahead of time.");
}

void Serializer::fThrowWrongClass(const std::string& tag, const std::string& declaredName) {
  throw CGameError("Trying to read class that has been written with the " + tag + " tag " +
                   "through a class reference of type " + declaredName + "." +
                   "\nThe tagged class is not of that type.");
}

void Serializer::fThrowWrongIndexClass(std::int32_t index, const CSerializable& object,
                                       const std::string& declaredName) {
  throw CFatalError("Inconsistent archive: object " + std::to_string(index) + " is a " + object.fGetClassName() +
                    ", not a " + declaredName + ".");
}

void Serializer::fThrowIndexNotRead() {
  throw CFatalError("Inconsistent archive or sequence error:\nTried to access pointer that's not been read yet.");
}

void Serializer::fThrowBadSignal() {
  throw CFatalError("Inconsistent archive, expected data_signal or no_data_signal on pointer read.");
}
