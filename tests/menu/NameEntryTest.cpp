// The ranking name entry and its yes/no confirmation.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/CTextLabel.h"
#include "menu/CNameEntryWindowEx.h"
#include "menu/CYesNoWindow.h"
#include "gui/GuiFixture.h"
#include "online/RankingUrl.h"
#include "persist/Settings.h"
#include "text/Texts.h"

namespace {

class NameEntryTest : public GuiFixture {
 protected:
  // One frame as the title menu runs it; the window may be dropped.
  void fFrame(std::unique_ptr<CNameEntryWindowEx>& entry) {
    gKeyManager->fUpdateKeyState();
    if (entry) entry->fInput(*gKeyManager);
    if (entry) entry->fUpdate();
    if (entry) entry->fDraw();
  }

  // Presses and releases a key over two frames.
  void fTap(std::unique_ptr<CNameEntryWindowEx>& entry, int keyCode) {
    fHold(keyCode);
    fFrame(entry);
    fRelease(keyCode);
    fFrame(entry);
  }

  std::unique_ptr<CNameEntryWindowEx> fOpen(int tag = 1) {
    auto entry = std::make_unique<CNameEntryWindowEx>(8, font, tag);
    entry->onConfirm = [this](int value) { confirmed.push_back(value); };
    entry->onCancel = [this] { ++cancelled; };
    return entry;
  }

  // Types the text and presses Enter in the library's text field, then
  // lets a frame pass with no key down.
  void fTypeName(std::unique_ptr<CNameEntryWindowEx>& entry, const std::string& text) {
    backend().fTypeText(text);
    backend().fFinishTyping();
    fFrame(entry);
    fFrame(entry);
  }

  std::vector<int> confirmed;
  int cancelled = 0;
};

TEST_F(NameEntryTest, OpeningSetsUpTheDefaultFontAndASingleByteTextField) {
  backend().fSetLogging(true);
  auto entry = fOpen();
  const auto log = backend().fLogOf({"SetFontSize", "SetFontThickness", "MakeKeyInput", "SetActiveKeyInput",
                                     "MakeGraph"});
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], "SetFontSize(16)");
  EXPECT_EQ(log[1], "SetFontThickness(0)");
  // As wide as its widest line, the rule "半角英数字と記号(空白と?は不可)"
  // (14 full-width and 3 half-width characters: 248) plus 10 each side;
  // the title, the field (28), a gap (10) and the rule (16) plus 10 each
  // way.
  EXPECT_EQ(log[2], "MakeGraph(268, 124, 0)");
  EXPECT_EQ(log[4], "MakeKeyInput(8, 1, 1, 0)");
  EXPECT_EQ(log[5].substr(0, 18), "SetActiveKeyInput(");

  const CMainWindow& window = entry->fGetWindow();
  // Centred, and clear of the confirmation below it.
  EXPECT_EQ(window.fGetPosition().x, 186.0);
  EXPECT_EQ(window.fGetPosition().y, 90.0);
  const auto* title = dynamic_cast<const CTextLabel*>(window.fGetWidget("title"));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->fGetText(), "名前入力");
  // A plain heading, on no white bar that would look like a chosen row.
  EXPECT_FALSE(title->fIsFocused());
  EXPECT_EQ(title->fGetFocusBg(), nullptr);
  EXPECT_EQ(entry->fGetName(), "");
}

TEST_F(NameEntryTest, TheFinishedNameLosesBlanksAndQuestionMarksBecomeDashes) {
  auto entry = fOpen();
  fFrame(entry);
  EXPECT_FALSE(entry->fIsAsking());
  backend().fSetLogging(true);
  fTypeName(entry, "a b?c");
  EXPECT_TRUE(entry->fIsAsking());
  EXPECT_EQ(entry->fGetName(), "ab-c");
  EXPECT_EQ(entry->fGetShownName(), "ab-c");
  EXPECT_EQ(backend().fLogOf({"DeleteKeyInput"}).size(), 1u);
  EXPECT_EQ(entry->fGetYesNoWindow()->fGetWindow().fGetPosition().y, 240.0);

  EXPECT_EQ(fCleanRankingName("a b?c"), "ab-c");
  EXPECT_EQ(fCleanRankingName("   "), "");
  EXPECT_EQ(fCleanRankingName("??"), "--");
  EXPECT_EQ(fCleanRankingName(std::string("ab\0cd", 5)), "ab");
}

TEST_F(NameEntryTest, OnlyEightSingleByteCharactersCanBeTyped) {
  auto entry = fOpen();
  fTypeName(entry, "日本abcdefghij");
  EXPECT_EQ(entry->fGetName(), "abcdefgh");
}

TEST_F(NameEntryTest, YesConfirmsWithTheTagAndTheNameStaysReadable) {
  auto entry = fOpen(2);
  fFrame(entry);
  fTypeName(entry, "bob");
  fTap(entry, KEY_INPUT_Z);
  EXPECT_EQ(confirmed, std::vector<int>{2});
  EXPECT_FALSE(entry->fIsAsking());
  EXPECT_EQ(entry->fGetName(), "bob");

  // Confirmed: the owner takes over; further frames do nothing.
  backend().fSetLogging(true);
  fTap(entry, KEY_INPUT_Z);
  fTap(entry, KEY_INPUT_ESCAPE);
  EXPECT_EQ(confirmed, std::vector<int>{2});
  EXPECT_EQ(cancelled, 0);
  EXPECT_TRUE(backend().fLogOf({"MakeKeyInput", "DeleteKeyInput"}).empty());
}

TEST_F(NameEntryTest, NoStartsTheTypingAgain) {
  auto entry = fOpen();
  fFrame(entry);
  fTypeName(entry, "first");
  fTap(entry, KEY_INPUT_RIGHT);
  backend().fSetLogging(true);
  fTap(entry, KEY_INPUT_Z);
  EXPECT_FALSE(entry->fIsAsking());
  EXPECT_EQ(entry->fGetShownName(), "");
  EXPECT_EQ(backend().fLogOf({"MakeKeyInput"}), (std::vector<std::string>{"MakeKeyInput(8, 1, 1, 0)"}));
  EXPECT_TRUE(confirmed.empty());

  fTypeName(entry, "second");
  EXPECT_EQ(entry->fGetName(), "second");
  fTap(entry, KEY_INPUT_X);  // X answers no as well
  fTypeName(entry, "third");
  fTap(entry, KEY_INPUT_ESCAPE);  // and so does Escape
  EXPECT_FALSE(entry->fIsAsking());
  EXPECT_TRUE(confirmed.empty());
  EXPECT_EQ(cancelled, 0);
}

TEST_F(NameEntryTest, EscapeInTheTextFieldCancelsAndTheOwnerMayDropTheWindow) {
  auto entry = fOpen();
  entry->onCancel = [&] {
    ++cancelled;
    entry.reset();
  };
  fFrame(entry);
  backend().fSetLogging(true);
  backend().fTypeText("abc");
  backend().fCancelTyping();
  fFrame(entry);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(entry, nullptr);
  // The text field is released exactly once.
  EXPECT_EQ(backend().fLogOf({"DeleteKeyInput"}).size(), 1u);
}

TEST_F(NameEntryTest, ClosingTheWindowWhileTypingReleasesTheTextField) {
  auto entry = fOpen();
  backend().fSetLogging(true);
  entry.reset();
  EXPECT_EQ(backend().fLogOf({"DeleteKeyInput"}).size(), 1u);
}

TEST_F(NameEntryTest, TheFieldShowsTheTypingThenTheCleanedName) {
  auto entry = fOpen();
  backend().fSetLogging(true);
  entry->fDraw();
  const std::string grey = std::to_string(GetColor(60, 60, 60));
  auto draws = backend().fLogOf({"DrawKeyInputModeString", "DrawBox", "DrawKeyInputString", "DrawString"});
  ASSERT_EQ(draws.size(), 3u);
  // The title (plain text, on no box), then the field.
  EXPECT_EQ(draws[0], "DrawKeyInputModeString(640, 480)");
  // The window's corner plus (10, 50); eight half-width characters plus 4 wide.
  EXPECT_EQ(draws[1], "DrawBox(196, 140, 264, 168, " + grey + ", 1)");
  EXPECT_EQ(draws[2].substr(0, 29), "DrawKeyInputString(198, 142, ");

  fTypeName(entry, "a b");
  backend().fClearLog();
  entry->fDraw();
  draws = backend().fLogOf({"DrawKeyInputModeString", "DrawBox", "DrawKeyInputString", "DrawString"});
  // The cleaned name instead of the field, then the confirmation's "はい"
  // box.
  ASSERT_EQ(draws.size(), 4u);
  EXPECT_EQ(draws[2], "DrawString(198, 142, \"ab\", " + std::to_string(fWhite()) + ", 0)");
  EXPECT_EQ(draws[3].substr(0, 21), "DrawBox(220, 286, 252");
  EXPECT_TRUE(backend().fIsStateNeutral());
}

// A library whose text field cannot be opened.
class CNoTextInputBackend : public CHeadlessBackend {
 public:
  int MakeKeyInput(int, int, int, int) override { return -1; }
};

// Enter on an empty field (or on blanks, which a name cannot hold) sends
// nothing: the window says why, in the player's language, and the typing
// goes on; a name typed then is asked about as usual.
TEST_F(NameEntryTest, AnEmptyNameIsRefusedWithALineAndTheTypingGoesOn) {
  for (const ELanguage language : {ELanguage::Japanese, ELanguage::English}) {
    SCOPED_TRACE(static_cast<int>(language));
    fSetLanguage(language);
    gSettings.rankingName.clear();
    confirmed.clear();
    auto entry = fOpen();
    fFrame(entry);
    const auto drawnTexts = [&] {
      backend().fClearLog();
      backend().fSetLogging(true);
      entry->fDraw();
      backend().fSetLogging(false);
      std::vector<std::string> texts;
      for (const auto& item : backend().fDrawn()) texts.push_back(item.text);
      return texts;
    };
    const auto shows = [](const std::vector<std::string>& texts, ETextId id) {
      return std::find(texts.begin(), texts.end(), fText(id)) != texts.end();
    };
    EXPECT_TRUE(shows(drawnTexts(), ETextId::NameEntryRule));
    EXPECT_FALSE(shows(drawnTexts(), ETextId::NameEntryEmpty));

    for (const char* empty : {"", "   "}) {
      backend().fClearLog();
      backend().fSetLogging(true);
      fTypeName(entry, empty);
      backend().fSetLogging(false);
      EXPECT_FALSE(entry->fIsAsking()) << "'" << empty << "'";
      EXPECT_TRUE(entry->fIsRefused());
      EXPECT_EQ(entry->fGetName(), "");
      // A fresh, empty field to type into.
      EXPECT_EQ(backend().fLogOf({"MakeKeyInput"}).size(), 1u);
      EXPECT_EQ(entry->fTypedText(), "");
      const auto texts = drawnTexts();
      EXPECT_TRUE(shows(texts, ETextId::NameEntryEmpty));
      EXPECT_FALSE(shows(texts, ETextId::NameEntryRule));
    }
    // Typing a name takes the complaint away; Enter asks as usual.
    backend().fTypeText("mi");
    fFrame(entry);
    EXPECT_FALSE(entry->fIsRefused());
    EXPECT_TRUE(shows(drawnTexts(), ETextId::NameEntryRule));
    backend().fFinishTyping();
    fFrame(entry);
    fFrame(entry);
    ASSERT_TRUE(entry->fIsAsking());
    EXPECT_EQ(entry->fGetName(), "mi");
    fTap(entry, KEY_INPUT_Z);
    EXPECT_EQ(confirmed, std::vector<int>{1});
  }
  fSetLanguage(ELanguage::Japanese);
}

TEST_F(NameEntryTest, WithoutATextFieldTheEntryCancelsInsteadOfWaitingForever) {
  CNoTextInputBackend noTextInput;
  CGameLibBackend* previous = fInstallBackend(&noTextInput);
  gImageManager = std::make_unique<CImageManager>();
  gFontMenu = font = CreateFontToHandle(nullptr, kFontSize, 0);
  gKeyManager = std::make_unique<CKeyManager>();
  {
    auto entry = fOpen();
    fFrame(entry);
    EXPECT_EQ(cancelled, 1);
  }
  fInstallBackend(previous);
}

class YesNoTest : public GuiFixture {
 protected:
  void fTap(CYesNoWindow& window, int keyCode) {
    fHold(keyCode);
    gKeyManager->fUpdateKeyState();
    window.fInput(*gKeyManager);
    fRelease(keyCode);
    gKeyManager->fUpdateKeyState();
    window.fInput(*gKeyManager);
  }
};

TEST_F(YesNoTest, TheQuestionSitsAboveTwoAnswersWithBoxesSizedToThem) {
  backend().fSetLogging(true);
  CYesNoWindow window(font, SPointD(200, 240));
  EXPECT_EQ(backend().fLogOf({"MakeGraph"})[0], "MakeGraph(160, 72, 0)");
  const CMainWindow& w = window.fGetWindow();
  EXPECT_EQ(w.fGetFocus(), "yes");
  EXPECT_FALSE(w.fGetWidget("title")->fIsFocused());
  EXPECT_FALSE(w.fGetWidget("no")->fIsFocused());
  EXPECT_EQ(w.fGetWidget("yes")->fGetPosition().y, 46.0);
  EXPECT_EQ(w.fGetWidget("no")->fGetPosition().x, 100.0);
  const auto text = [&](const char* name) { return static_cast<const CTextLabel*>(w.fGetWidget(name))->fGetText(); };
  EXPECT_EQ(text("title"), "送信しますか？");
  EXPECT_EQ(text("yes"), "はい");
  EXPECT_EQ(text("no"), "いいえ");
  EXPECT_EQ(w.fGetWidget("yes")->fGetLink(CWidget::kLinkUp), "");
  EXPECT_EQ(w.fGetWidget("no")->fGetLink(CWidget::kLinkRight), "");

  // "はい" at (220, 286): a white box two full-width characters wide, the
  // only one: the question has none.
  backend().fClearLog();
  window.fDraw();
  const auto boxes = backend().fLogOf({"DrawBox"});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "DrawBox(220, 286, 252, 302, " + std::to_string(fWhite()) + ", 1)");
}

TEST_F(YesNoTest, LeftAndRightChooseWithoutWrappingAndZDecides) {
  CYesNoWindow window(font, SPointD(200, 240));
  int yes = 0, no = 0;
  window.onYes = [&] { ++yes; };
  window.onNo = [&] { ++no; };
  fTap(window, KEY_INPUT_LEFT);
  EXPECT_EQ(window.fGetWindow().fGetFocus(), "yes");
  fTap(window, KEY_INPUT_RIGHT);
  fTap(window, KEY_INPUT_RIGHT);
  EXPECT_EQ(window.fGetWindow().fGetFocus(), "no");
  EXPECT_FALSE(window.fGetWindow().fGetWidget("title")->fIsFocused());
  fTap(window, KEY_INPUT_Z);
  EXPECT_EQ(no, 1);
  fTap(window, KEY_INPUT_LEFT);
  fTap(window, KEY_INPUT_Z);
  EXPECT_EQ(yes, 1);
  fTap(window, KEY_INPUT_X);
  fTap(window, KEY_INPUT_ESCAPE);
  EXPECT_EQ(no, 3);
  EXPECT_EQ(yes, 1);

  // Only the first key that fires counts: right with Z moves, Z waits.
  fHold(KEY_INPUT_RIGHT);
  fHold(KEY_INPUT_Z);
  gKeyManager->fUpdateKeyState();
  window.fInput(*gKeyManager);
  EXPECT_EQ(window.fGetWindow().fGetFocus(), "no");
  EXPECT_EQ(yes + no, 4);
}

// Return and keypad Enter answer as Z does, once a press; with Alt held
// (which switches the display) Enter answers nothing.
TEST_F(YesNoTest, EnterAndKeypadEnterDecideAsZDoes) {
  CYesNoWindow window(font, SPointD(200, 240));
  int yes = 0, no = 0;
  window.onYes = [&] { ++yes; };
  window.onNo = [&] { ++no; };
  gKeyManager->fUpdateKeyState();  // every key seen up once
  fTap(window, KEY_INPUT_RETURN);
  EXPECT_EQ(yes, 1);
  fTap(window, KEY_INPUT_RIGHT);
  fTap(window, KEY_INPUT_NUMPADENTER);
  EXPECT_EQ(no, 1);
  // Held down, it answers once.
  fHold(KEY_INPUT_RETURN);
  for (int frame = 0; frame < 5; ++frame) {
    gKeyManager->fUpdateKeyState();
    window.fInput(*gKeyManager);
  }
  fRelease(KEY_INPUT_RETURN);
  EXPECT_EQ(no, 2);
  for (const int alt : {KEY_INPUT_LALT, KEY_INPUT_RALT}) {
    fHold(alt);
    fTap(window, KEY_INPUT_RETURN);
    fRelease(alt);
    gKeyManager->fUpdateKeyState();
    window.fInput(*gKeyManager);
  }
  EXPECT_EQ(yes + no, 3);
}

}  // namespace

namespace {

// What the ranking would refuse (a blank, "?") never stays in the field,
// the field starts with the name sent last, and the count follows the typing.
TEST_F(NameEntryTest, OnlyWhatTheRankingTakesCanBeTypedAndTheLastNameComesBack) {
  gSettings.rankingName = "neko!";
  auto entry = fOpen();
  fFrame(entry);
  EXPECT_EQ(entry->fTypedText(), "neko!") << "the name sent last";
  // A key a frame, as a player types.
  for (const char c : std::string(" a?b~")) {
    backend().fTypeText(std::string(1, c));
    fFrame(entry);
  }
  EXPECT_EQ(entry->fTypedText(), "neko!ab~");
  backend().fSetLogging(true);
  backend().fClearLog();
  entry->fDraw();
  bool countShown = false, ruleShown = false;
  for (const auto& call : backend().fLogOf({"DrawStringToHandle"})) {
    countShown = countShown || call.find("\"8/8文字\"") != std::string::npos;
    ruleShown = ruleShown || call.find(fText(ETextId::NameEntryRule)) != std::string::npos;
  }
  EXPECT_TRUE(countShown) << "the count, full";
  EXPECT_TRUE(ruleShown) << "the rule";
  backend().fFinishTyping();
  fFrame(entry);
  EXPECT_EQ(entry->fGetName(), "neko!ab~");
  gSettings = SSettings{};
}

TEST_F(NameEntryTest, EveryByteTheServerTakesCanBeTypedAndNoOther) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(fKeepRankingNameBytes(one).size(), fIsValidRankingName(one) ? 1u : 0u) << byte;
  }
}

}  // namespace
