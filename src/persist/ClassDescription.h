// How the archive makes and fills objects of one registered class.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "persist/CSerializable.h"

class ClassDescriptionBase {
 public:
  virtual ~ClassDescriptionBase() = default;
  virtual std::shared_ptr<CSerializable> fMake() const = 0;
  virtual const std::string& fTag() const = 0;
  // Runs the class's own description routine; object must be of the class.
  virtual void fDescribe(CSerializable& object, Serializer& s) const = 0;
};

// Makes objects through a factory given at registration.
template <class T>
class ClassDescription final : public ClassDescriptionBase {
 public:
  ClassDescription(std::string tag, std::function<std::shared_ptr<T>()> factory)
      : mTag(std::move(tag)), mFactory(std::move(factory)) {}

  std::shared_ptr<CSerializable> fMake() const override { return mFactory(); }
  const std::string& fTag() const override { return mTag; }
  void fDescribe(CSerializable& object, Serializer& s) const override { static_cast<T&>(object).fDescribe(s); }

 private:
  std::string mTag;
  std::function<std::shared_ptr<T>()> mFactory;
};

// Makes objects with the class's default constructor.
template <class T>
class ClassDescriptionDefault final : public ClassDescriptionBase {
 public:
  explicit ClassDescriptionDefault(std::string tag) : mTag(std::move(tag)) {}

  std::shared_ptr<CSerializable> fMake() const override { return std::make_shared<T>(); }
  const std::string& fTag() const override { return mTag; }
  void fDescribe(CSerializable& object, Serializer& s) const override { static_cast<T&>(object).fDescribe(s); }

 private:
  std::string mTag;
};
