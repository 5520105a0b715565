// Base of every class that can be stored in an archive. A serializable class
// T derives from it and supplies
//   static std::string fClassName();      module-qualified, "GameMenu.COptionInfo"
//   std::string fGetClassName() const;    the same, through the object
//   void fDescribe(Serializer& s);        s.describe(field) per field, in file order
// The name is the class's identity in the file: its tag is built from it.
#pragma once

#include <concepts>
#include <string>

class Serializer;

class CSerializable {
 public:
  virtual ~CSerializable() = default;
  // The name of the object's own class, for messages about objects written
  // through a reference of a base type.
  virtual std::string fGetClassName() const = 0;
};

// What a class reference's declared type must offer.
template <class T>
concept SerializableClass = std::derived_from<T, CSerializable> && requires {
  { T::fClassName() } -> std::convertible_to<std::string>;
};

// What a class needs so that the archive can make and fill it by itself.
template <class T>
concept DescribableClass = SerializableClass<T> && std::default_initializable<T> && requires(T& object, Serializer& s) {
  object.fDescribe(s);
};
