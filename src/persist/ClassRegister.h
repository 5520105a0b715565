// The process-wide map from class tag to class description, shared by every
// serializer. It only grows: a tag registered once stays for the process.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "persist/ClassDescription.h"

// "GameMenu.COptionInfo" -> "C8GameMenu11COptionInfo": "C", then each
// dot-separated part as its length in decimal followed by the part.
std::string fMakeClassTag(const std::string& className);

class ClassRegister {
 public:
  static ClassRegister& fInstance();

  // Both throw CGameError when the tag is already registered.
  template <DescribableClass T>
  void registerClass(const std::string& tag, std::function<std::shared_ptr<T>()> factory) {
    fEnter(tag, typeid(T), std::make_unique<ClassDescription<T>>(tag, std::move(factory)));
  }
  template <DescribableClass T>
  void registerClass(const std::string& tag) {
    fEnter(tag, typeid(T), std::make_unique<ClassDescriptionDefault<T>>(tag));
  }

  bool fHasTag(const std::string& tag) const { return mByTag.count(tag) != 0; }
  // Null when unknown.
  const ClassDescriptionBase* fFindByTag(const std::string& tag) const;
  const ClassDescriptionBase* fFindByClass(const std::type_info& type) const;

 private:
  ClassRegister() = default;
  void fEnter(const std::string& tag, const std::type_info& type, std::unique_ptr<ClassDescriptionBase> description);

  std::map<std::string, std::unique_ptr<ClassDescriptionBase>> mByTag;
  std::map<std::type_index, const ClassDescriptionBase*> mByClass;
};
