// Binary archive of values and objects. One description routine per class
// both writes and reads it: the serializer is opened for one direction and
// every describe() moves one value between the object and the file that way.
//
// Encoding (little-endian, no header, no padding): int32 as 4 bytes, bool as
// 1 byte, string and array as a u32 count then the elements, class body as
// its tag string then its fields, tracked reference as signal byte 0 + body
// or 1 + the s32 number of an object stored earlier in the same archive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "gamelib/FileSystem.h"
#include "persist/CSerializable.h"
#include "persist/ClassRegister.h"
#include "util/Assert.h"

enum class EFileMode { In, Out };

class Serializer {
 public:
  // In: the file must exist. Out: created when missing, otherwise written
  // over in place from its first byte and never truncated, so callers that
  // may write less than the old length delete the file first.
  Serializer(const std::string& path, EFileMode mode);
  Serializer(const Serializer&) = delete;
  Serializer& operator=(const Serializer&) = delete;

  bool isReading() const { return mMode == EFileMode::In; }
  bool isWriting() const { return mMode == EFileMode::Out; }
  void skip(std::uint64_t count) { seekTo(getPosition() + count); }
  void seekTo(std::uint64_t position) { mFile.fSeek(position); }
  std::uint64_t getPosition() const { return mFile.fTell(); }

  // A read that meets the end of the file keeps what the value held for the
  // missing bytes and raises no error; this tells whether that happened.
  bool fEndedEarly() const { return mEndedEarly; }

  void describe(std::int32_t& value);
  void describe(bool& value);
  void describe(char& value);
  void describe(std::string& value);

  template <class T>
  void describe(std::vector<T>& values);

  // A tracked class reference: the first time an object is met its body is
  // stored, later meetings store its number.
  template <SerializableClass T>
  void describe(std::shared_ptr<T>& reference);

  // An untracked class body; reading needs a null reference.
  template <SerializableClass T>
  void describeBody(std::shared_ptr<T>& reference);

 private:
  static constexpr std::uint8_t kDataSignal = 0;
  static constexpr std::uint8_t kNoDataSignal = 1;

  void fWriteBytes(const void* bytes, std::size_t size);
  void fReadBytes(void* bytes, std::size_t size);  // short at the end of the file
  void fDescribeU32(std::uint32_t& value);
  void fDescribeByte(std::uint8_t& value);
  // Reads or writes an element count. A count the rest of the file cannot
  // hold (each element takes at least one byte) is refused, so a damaged
  // file never makes us allocate gigabytes.
  std::size_t fDescribeCount(std::size_t size);

  // Looks up the description for writing object through a reference of the
  // declared class; null when neither the object's class nor (if they are
  // the same) the declared class can be found.
  const ClassDescriptionBase* fDescriptionForWriting(const CSerializable& object) const;
  [[noreturn]] static void fThrowUnregisteredClass(const CSerializable& object, const std::string& declaredName);
  [[noreturn]] static void fThrowUnknownTag(const std::string& tag, const std::string& declaredName);
  [[noreturn]] static void fThrowWrongClass(const std::string& tag, const std::string& declaredName);
  [[noreturn]] static void fThrowWrongIndexClass(std::int32_t index, const CSerializable& object,
                                                 const std::string& declaredName);
  [[noreturn]] static void fThrowIndexNotRead();
  [[noreturn]] static void fThrowBadSignal();

  template <SerializableClass T>
  void fWriteBody(const std::shared_ptr<T>& reference);
  template <SerializableClass T>
  void fReadBody(std::shared_ptr<T>& reference);
  // The declared class, registered on the spot with its default description
  // when an archive first meets it unregistered; null when that is impossible.
  template <SerializableClass T>
  static const ClassDescriptionBase* fRegisterDeclaredClass();

  EFileMode mMode;
  // Objects read so far, in reading order: a no_data_signal names one of them.
  std::vector<std::shared_ptr<CSerializable>> mReadObjects;
  // Objects written so far and their numbers; the objects are held so that
  // no address can be reused for another object during this archive.
  std::unordered_map<const CSerializable*, std::int32_t> mWrittenNumbers;
  std::vector<std::shared_ptr<const CSerializable>> mWrittenObjects;
  CBinaryFile mFile;
  std::uint64_t mReadSize = 0;  // the file's length, when reading
  bool mEndedEarly = false;
};

template <class T>
void Serializer::describe(std::vector<T>& values) {
  static_assert(!std::is_same_v<T, bool>, "std::vector<bool> has no element references to describe");
  const std::size_t count = fDescribeCount(values.size());
  if (isReading()) values.resize(count);
  for (T& element : values) describe(element);
}

template <SerializableClass T>
void Serializer::describe(std::shared_ptr<T>& reference) {
  if (isWriting()) {
    PLIMO_ASSERT(reference != nullptr, "a null class reference cannot be written");
    const CSerializable* key = reference.get();
    const auto known = mWrittenNumbers.find(key);
    if (known != mWrittenNumbers.end()) {
      std::uint8_t signal = kNoDataSignal;
      std::int32_t number = known->second;
      fDescribeByte(signal);
      describe(number);
      return;
    }
    std::uint8_t signal = kDataSignal;
    fDescribeByte(signal);
    fWriteBody(reference);
    const auto number = static_cast<std::int32_t>(mWrittenNumbers.size());
    mWrittenNumbers.emplace(key, number);
    mWrittenObjects.push_back(reference);
    return;
  }

  const std::uint64_t start = getPosition();
  try {
    std::uint8_t signal = kDataSignal;
    fDescribeByte(signal);
    if (signal == kDataSignal) {
      std::shared_ptr<T> fresh;
      fReadBody(fresh);
      reference = fresh;
      mReadObjects.push_back(fresh);
    } else if (signal == kNoDataSignal) {
      std::int32_t index = -1;
      describe(index);
      if (index < 0 || static_cast<std::size_t>(index) >= mReadObjects.size()) fThrowIndexNotRead();
      std::shared_ptr<T> earlier = std::dynamic_pointer_cast<T>(mReadObjects[static_cast<std::size_t>(index)]);
      if (earlier == nullptr) fThrowWrongIndexClass(index, *mReadObjects[static_cast<std::size_t>(index)], T::fClassName());
      reference = earlier;
    } else {
      fThrowBadSignal();
    }
  } catch (...) {
    seekTo(start);
    throw;
  }
}

template <SerializableClass T>
void Serializer::describeBody(std::shared_ptr<T>& reference) {
  if (isWriting()) {
    PLIMO_ASSERT(reference != nullptr, "a null class reference cannot be written");
    fWriteBody(reference);
  } else {
    fReadBody(reference);
  }
}

template <SerializableClass T>
const ClassDescriptionBase* Serializer::fRegisterDeclaredClass() {
  if constexpr (DescribableClass<T>) {
    ClassRegister& classes = ClassRegister::fInstance();
    const std::string tag = fMakeClassTag(T::fClassName());
    // The tag may be taken by another class: then the declared one stays
    // unregistered and the caller reports it.
    if (classes.fHasTag(tag)) return nullptr;
    classes.registerClass<T>(tag);
    return classes.fFindByTag(tag);
  } else {
    return nullptr;
  }
}

template <SerializableClass T>
void Serializer::fWriteBody(const std::shared_ptr<T>& reference) {
  T& object = *reference;
  const ClassDescriptionBase* description = fDescriptionForWriting(object);
  if (description == nullptr) {
    if (typeid(object) == typeid(T)) description = fRegisterDeclaredClass<T>();
    if (description == nullptr) fThrowUnregisteredClass(object, T::fClassName());
  }
  std::string tag = description->fTag();
  describe(tag);
  description->fDescribe(object, *this);
}

template <SerializableClass T>
void Serializer::fReadBody(std::shared_ptr<T>& reference) {
  if (reference != nullptr) throw CGameError("Class must be null to be read");
  const std::uint64_t start = getPosition();
  try {
    std::string tag;
    describe(tag);
    const ClassDescriptionBase* description = ClassRegister::fInstance().fFindByTag(tag);
    if (description == nullptr) {
      if (tag == fMakeClassTag(T::fClassName())) description = fRegisterDeclaredClass<T>();
      if (description == nullptr) fThrowUnknownTag(tag, T::fClassName());
    }
    std::shared_ptr<CSerializable> made = description->fMake();
    std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(made);
    if (typed == nullptr) fThrowWrongClass(tag, T::fClassName());
    description->fDescribe(*made, *this);
    // Stored only once complete: a failed read leaves the reference null.
    reference = std::move(typed);
  } catch (...) {
    seekTo(start);
    throw;
  }
}
