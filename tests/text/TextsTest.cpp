// The two language tables: every text in both, none empty, the same printf
// conversions in the same order, English written in plain ASCII; the modes'
// sizes as the rules have them and Escape's hints where Escape leads; and
// which language a locale asks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "rules/StageModes.h"
#include "text/Language.h"
#include "text/PlainText.h"
#include "text/Texts.h"

namespace {

using text_test::fFormat;
using text_test::fPlain;

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

// What a player is told about a mode, from the rules' own table: the box as
// it shows (the two hidden layers left out) and the colours dealt (0 to the
// highest).
struct SModeFacts {
  const char* english;
  const char* japanese;
  int group, width, depth, height, colours, balls, perLevel;
};
SModeFacts fModeFacts(int mode) {
  static const char* const kEnglish[] = {"Plimo", "Yoiko", "Wanpaku"};
  static const char* const kJapanese[] = {"ぷりも", "よいこ", "わんぱく"};
  const SModeInfo& info = fModeInfo(mode);
  return {kEnglish[mode],  kJapanese[mode],  info.groupSize, info.width,          info.depth,
          info.height - 2, info.maxColour + 1, info.ballLimit, info.clearedPerLevel};
}

// The help's part about one mode: from its name to the next mode's.
std::string fModePart(const std::string& text, int mode, bool english) {
  const auto name = [&](int m) { return std::string(english ? fModeFacts(m).english : fModeFacts(m).japanese); };
  const std::size_t start = text.find(name(mode) + " :") != std::string::npos ? text.find(name(mode) + " :")
                                                                               : text.find(name(mode) + ":");
  if (start == std::string::npos) return "";
  const std::size_t end = mode + 1 < kModeCount ? text.find(name(mode + 1), start) : text.find("LV", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

const ETextId kModeDescriptions[kModeCount] = {ETextId::ModeDescriptionPlimo, ETextId::ModeDescriptionYoiko,
                                               ETextId::ModeDescriptionWanpaku};

TEST(TextsTest, EveryModeIsDescribedWithTheRulesOwnBoxColoursAndLevelStepInBothLanguages) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    const SModeFacts m = fModeFacts(mode);
    SCOPED_TRACE(m.english);
    const std::string en = fPlain(fTextIn(ELanguage::English, kModeDescriptions[mode]));
    EXPECT_NE(en.find(fFormat("Groups of %d balls", m.group)), std::string::npos) << en;
    EXPECT_NE(en.find(fFormat("The box is %d wide, %d deep and %d high.", m.width, m.depth, m.height)),
              std::string::npos) << en;
    EXPECT_NE(en.find(fFormat("Balls come in %d colours.", m.colours)), std::string::npos) << en;
    const std::string ja = fPlain(fTextIn(ELanguage::Japanese, kModeDescriptions[mode]));
    EXPECT_EQ(ja.find(fFormat("%d色繋げると消える", m.group)), 0u) << ja;
    EXPECT_NE(ja.find(fFormat("横%d奥行き%d高さ%dのフィールド", m.width, m.depth, m.height)), std::string::npos) << ja;
    EXPECT_NE(ja.find(fFormat("色数は%d色", m.colours)), std::string::npos) << ja;

    const std::string helpEn = fModePart(fPlain(fTextIn(ELanguage::English, ETextId::HelpModes)), mode, true);
    EXPECT_NE(helpEn.find(fFormat("groups of %d in a box %d wide, %d deep, %d high;", m.group, m.width, m.depth,
                                  m.height)), std::string::npos) << helpEn;
    EXPECT_NE(helpEn.find(fFormat("%d colours, %d balls, a level every %d balls cleared.", m.colours, m.balls,
                                  m.perLevel)), std::string::npos) << helpEn;
    const std::string helpJa = fModePart(fPlain(fTextIn(ELanguage::Japanese, ETextId::HelpModes)), mode, false);
    EXPECT_NE(helpJa.find(fFormat("%d個で消えます。横%d奥行き%d高さ%d、", m.group, m.width, m.depth, m.height)),
              std::string::npos) << helpJa;
    EXPECT_NE(helpJa.find(fFormat("、%d色、%d個。", m.colours, m.balls)), std::string::npos) << helpJa;
    EXPECT_NE(helpJa.find(fFormat("%d個消すごとにレベルが上がります", m.perLevel)), std::string::npos) << helpJa;
  }
}

// A stage left with Escape, finished or practised goes to the title menu,
// never to the title picture: the hints say so.
TEST(TextsTest, EscapesHintsInAStageNameTheMenuInBothLanguages) {
  for (const ETextId id : {ETextId::PauseLeaveLine, ETextId::EndHintFormat, ETextId::PracticeEndHintFormat}) {
    const std::string en = fTextIn(ELanguage::English, id);
    const std::string ja = fTextIn(ELanguage::Japanese, id);
    EXPECT_NE(en.find("menu"), std::string::npos) << en;
    EXPECT_EQ(en.find("title"), std::string::npos) << en;
    EXPECT_NE(ja.find("メニュー"), std::string::npos) << ja;
    EXPECT_EQ(ja.find("タイトル"), std::string::npos) << ja;
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
