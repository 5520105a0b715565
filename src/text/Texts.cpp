#include "text/Texts.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "text/TextTables.h"
#include "util/Assert.h"

namespace {

using CIndex = std::array<const char*, kTextCount>;

CIndex fMakeIndex(const std::vector<STextEntry>& table) {
  CIndex index{};
  for (const STextEntry& entry : table) index[static_cast<std::size_t>(entry.id)] = entry.text;
  return index;
}

const CIndex& fIndex(ELanguage language) {
  static const CIndex japanese = fMakeIndex(fJapaneseTexts());
  static const CIndex english = fMakeIndex(fEnglishTexts());
  return language == ELanguage::English ? english : japanese;
}

}  // namespace

const std::vector<STextEntry>& fTextTable(ELanguage language) {
  return language == ELanguage::English ? fEnglishTexts() : fJapaneseTexts();
}

const char* fTextIn(ELanguage language, ETextId id) {
  const int i = static_cast<int>(id);
  PLIMO_ASSERT(i >= 0 && i < kTextCount, "text id out of range");
  const char* text = fIndex(language)[static_cast<std::size_t>(i)];
  PLIMO_ASSERT(text != nullptr, "text missing from a language table");
  return text;
}

const char* fText(ETextId id) { return fTextIn(fCurrentLanguage(), id); }

std::string fFormatText(ETextId id, ...) {
  const char* format = fText(id);
  std::va_list args;
  va_start(args, id);
  std::va_list again;
  va_copy(again, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string out(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
#pragma GCC diagnostic pop
  va_end(again);
  va_end(args);
  return out;
}
