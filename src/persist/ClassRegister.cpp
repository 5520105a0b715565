#include "persist/ClassRegister.h"

#include "util/Assert.h"

std::string fMakeClassTag(const std::string& className) {
  std::string tag = "C";
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = className.find('.', start);
    const std::string part = className.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    tag += std::to_string(part.size()) + part;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return tag;
}

ClassRegister& ClassRegister::fInstance() {
  static ClassRegister instance;
  return instance;
}

const ClassDescriptionBase* ClassRegister::fFindByTag(const std::string& tag) const {
  const auto found = mByTag.find(tag);
  return found == mByTag.end() ? nullptr : found->second.get();
}

const ClassDescriptionBase* ClassRegister::fFindByClass(const std::type_info& type) const {
  const auto found = mByClass.find(std::type_index(type));
  return found == mByClass.end() ? nullptr : found->second;
}

void ClassRegister::fEnter(const std::string& tag, const std::type_info& type,
                           std::unique_ptr<ClassDescriptionBase> description) {
  if (fHasTag(tag)) throw CGameError("There's already a class registered with the name " + tag);
  // A class registered again under another tag is written with the newer one.
  mByClass[std::type_index(type)] = description.get();
  mByTag.emplace(tag, std::move(description));
}
