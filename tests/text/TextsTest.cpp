// The two language tables: every text in both, none empty, the same printf
// conversions in the same order, English written in plain ASCII; and which
// language a locale asks for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "text/Language.h"
#include "text/Texts.h"

namespace {

// The conversions of a printf format, in order: "%s%d" for "a %s b %3d".
std::string fConversions(const std::string& format) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < format.size() && std::string(" -+#0123456789.").find(format[j]) != std::string::npos) ++j;
    if (j < format.size()) out += std::string("%") + format[j];
    i = j;
  }
  return out;
}

TEST(TextsTest, BothTablesHoldEveryTextOnceAndNoneIsEmpty) {
  for (const ELanguage language : {ELanguage::Japanese, ELanguage::English}) {
    std::map<int, int> seen;
    for (const STextEntry& entry : fTextTable(language)) {
      ++seen[static_cast<int>(entry.id)];
      ASSERT_NE(entry.text, nullptr);
      EXPECT_FALSE(std::string(entry.text).empty()) << static_cast<int>(entry.id);
    }
    for (int id = 0; id < kTextCount; ++id) EXPECT_EQ(seen[id], 1) << "text " << id << " in language " << static_cast<int>(language);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kTextCount));
  }
}

TEST(TextsTest, FormatsTakeTheSameArgumentsInBothLanguages) {
  for (int id = 0; id < kTextCount; ++id) {
    const auto text = static_cast<ETextId>(id);
    EXPECT_EQ(fConversions(fTextIn(ELanguage::Japanese, text)), fConversions(fTextIn(ELanguage::English, text)))
        << fTextIn(ELanguage::English, text);
  }
}

TEST(TextsTest, EnglishTextsAreTranslatedNotCopied) {
  for (int id = 0; id < kTextCount; ++id) {
    const std::string english = fTextIn(ELanguage::English, static_cast<ETextId>(id));
    // Punctuation beyond ASCII (arrows, a middle dot) is no Japanese: only
    // characters from U+3000 on (kana, kanji, full-width forms) are.
    for (const unsigned char c : english) EXPECT_TRUE(c < 0xE3) << "not plain English: " << english;
  }
  // A few designed Japanese texts stay exactly as they were.
  EXPECT_STREQ(fTextIn(ELanguage::Japanese, ETextId::ConfirmSend), "送信しますか？");
  EXPECT_STREQ(fTextIn(ELanguage::Japanese, ETextId::OptionPadHeading), "【ゲームパッド】");
  EXPECT_STREQ(fTextIn(ELanguage::Japanese, ETextId::RankingRowFormat), "% 3d位 %8s % 7d点(%d連鎖) %s");
}

// The replay theatre's lines are drawn in the HUD's font, which holds no
// Japanese letters: in either language they must be plain ASCII, or the
// player sees empty boxes.
TEST(TextsTest, TextsInTheHudFontArePlainAsciiInBothLanguages) {
  for (const ELanguage language : {ELanguage::Japanese, ELanguage::English}) {
    for (const ETextId id : {ETextId::TheatreBanner, ETextId::PracticeBanner, ETextId::TheatrePositionFormat,
                             ETextId::TheatreHelpLine1, ETextId::TheatreHelpLine2,
                             ETextId::TheatrePadHelpLine1Format, ETextId::TheatrePadHelpLine2Format}) {
      const std::string text = fTextIn(language, id);
      for (const unsigned char c : text) EXPECT_LT(c, 0x80) << "no glyph in the HUD font: " << text;
    }
  }
}

TEST(TextsTest, FormattingUsesTheCurrentLanguage) {
  fSetLanguage(ELanguage::English);
  EXPECT_EQ(fFormatText(ETextId::RankingUploadSuccessFormat, 7), "Your score was sent.\nYou are number 7 in the ranking.");
  fSetLanguage(ELanguage::Japanese);
  EXPECT_EQ(fFormatText(ETextId::RankingUploadSuccessFormat, 7), "ランキングデータの送信に成功しました\nあなたの順位は7位です");
}

TEST(TextsTest, TheLocaleChoosesTheFirstLanguage) {
  for (const char* japanese : {"", "C", "POSIX", "C.UTF-8", "ja_JP.UTF-8", "ja"}) {
    EXPECT_EQ(fLanguageFromLocale(japanese), ELanguage::Japanese) << japanese;
  }
  for (const char* english : {"en_US.UTF-8", "de_DE.UTF-8", "en_GB", "fr"}) {
    EXPECT_EQ(fLanguageFromLocale(english), ELanguage::English) << english;
  }
  // LC_ALL wins over LANG; an empty variable counts as unset.
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  ::setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_EQ(fSystemLanguage(), ELanguage::English);
  ::setenv("LC_ALL", "", 1);
  ::unsetenv("LC_MESSAGES");
  EXPECT_EQ(fSystemLanguage(), ELanguage::Japanese);
  ::unsetenv("LC_ALL");
  ::unsetenv("LANG");
  EXPECT_EQ(fSystemLanguage(), ELanguage::Japanese);
}

}  // namespace
