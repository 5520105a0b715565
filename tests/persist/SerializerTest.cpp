#include "persist/Serializer.h"

#include <gtest/gtest.h>

#include "persist/CHighScoreInfo.h"
#include "persist/COptionInfo.h"
#include "persist/Records.h"
#include "persist/PersistTestSupport.h"
#include "support/HeadlessTest.h"

namespace {

class CTestShape : public CSerializable {
 public:
  static std::string fClassName() { return "PersistTest.CTestShape"; }
  std::string fGetClassName() const override { return fClassName(); }
  void fDescribe(Serializer& s) { s.describe(size); }
  int size = 0;
};

class CTestSquare : public CTestShape {
 public:
  static std::string fClassName() { return "PersistTest.CTestSquare"; }
  std::string fGetClassName() const override { return fClassName(); }
  void fDescribe(Serializer& s) {
    CTestShape::fDescribe(s);
    s.describe(label);
  }
  std::string label;
};

// Never registered.
class CTestCircle : public CTestShape {
 public:
  static std::string fClassName() { return "PersistTest.CTestCircle"; }
  std::string fGetClassName() const override { return fClassName(); }
};

class CTestNode : public CSerializable {
 public:
  static std::string fClassName() { return "PersistTest.CTestNode"; }
  std::string fGetClassName() const override { return fClassName(); }
  void fDescribe(Serializer& s) {
    s.describe(value);
    s.describe(children);
  }
  int value = 0;
  std::vector<std::shared_ptr<CTestNode>> children;
};

// Registered by nobody: the archive must register them on first use.
class CTestPoint : public CSerializable {
 public:
  static std::string fClassName() { return "PersistTest.CTestPoint"; }
  std::string fGetClassName() const override { return fClassName(); }
  void fDescribe(Serializer& s) { s.describe(x); }
  int x = 0;
};

class CTestFresh : public CTestPoint {
 public:
  static std::string fClassName() { return "PersistTest.CTestFresh"; }
  std::string fGetClassName() const override { return fClassName(); }
};

class CTestTwice : public CTestPoint {
 public:
  static std::string fClassName() { return "PersistTest.CTestTwice"; }
  std::string fGetClassName() const override { return fClassName(); }
};

void fRegisterSquare() {
  const std::string tag = fMakeClassTag(CTestSquare::fClassName());
  if (!ClassRegister::fInstance().fHasTag(tag)) ClassRegister::fInstance().registerClass<CTestSquare>(tag);
}

class SerializerTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fRegisterOptionInfo();
    fRegisterHighScoreInfo();
  }

  // Writes a fresh archive and returns its bytes.
  template <class F>
  static std::string fWrite(F describeAll) {
    fDeleteFile("a.bin");
    {
      Serializer s("a.bin", EFileMode::Out);
      describeAll(s);
    }
    return fReadWholeFile("a.bin");
  }
};

TEST_F(SerializerTest, ValuesAreEncodedLittleEndianWithCountedStringsAndArrays) {
  EXPECT_EQ(fWrite([](Serializer& s) {
              std::string text = "abc";
              s.describe(text);
            }),
            fHex("03 00 00 00 61 62 63"));
  EXPECT_EQ(fWrite([](Serializer& s) {
              std::vector<int> none;
              s.describe(none);
            }),
            fHex("00 00 00 00"));
  EXPECT_EQ(fWrite([](Serializer& s) {
              int value = -2;
              bool yes = true;
              bool no = false;
              std::vector<int> values = {1, 0x01020304};
              s.describe(value);
              s.describe(yes);
              s.describe(no);
              s.describe(values);
            }),
            fHex("fe ff ff ff 01 00 02 00 00 00 01 00 00 00 04 03 02 01"));
}

TEST_F(SerializerTest, ValuesReadBackAsWritten) {
  fWrite([](Serializer& s) {
    int value = -123456;
    bool flag = true;
    std::string text("z\0y", 3);
    std::vector<int> values = {7, -7, 0};
    s.describe(value);
    s.describe(flag);
    s.describe(text);
    s.describe(values);
  });
  Serializer s("a.bin", EFileMode::In);
  EXPECT_TRUE(s.isReading());
  int value = 0;
  bool flag = false;
  std::string text = "old";
  std::vector<int> values = {9, 9, 9, 9, 9};
  s.describe(value);
  s.describe(flag);
  s.describe(text);
  s.describe(values);
  EXPECT_EQ(value, -123456);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, std::string("z\0y", 3));
  EXPECT_EQ(values, (std::vector<int>{7, -7, 0}));
  EXPECT_FALSE(s.fEndedEarly());
}

TEST_F(SerializerTest, TagsSpellEachPartOfTheClassNameWithItsLength) {
  EXPECT_EQ(fMakeClassTag("GameMenu.COptionInfo"), "C8GameMenu11COptionInfo");
  EXPECT_EQ(fMakeClassTag("GameMenu.CHighScoreInfo"), "C8GameMenu14CHighScoreInfo");
  EXPECT_EQ(fMakeClassTag("a.bc.def"), "C1a2bc3def");
}

TEST_F(SerializerTest, TrackedOptionRecordStartsWithSignalAndTag) {
  auto option = std::make_shared<COptionInfo>();
  const std::string bytes = fWrite([&](Serializer& s) { s.describe(option); });
  EXPECT_EQ(bytes.substr(0, 28), fHex("00 17 00 00 00") + "C8GameMenu11COptionInfo");
}

TEST_F(SerializerTest, ObjectMetTwiceIsStoredOnceAndReadAsOneObject) {
  auto first = std::make_shared<CHighScoreInfo>(10, 2, false);
  auto second = std::make_shared<CHighScoreInfo>(20, 3, true);
  std::vector<std::shared_ptr<CHighScoreInfo>> table = {first, first, second, second, first};
  const std::string bytes = fWrite([&](Serializer& s) { s.describe(table); });
  EXPECT_EQ(bytes, fLe32(5) + fScoreEntry(10, 2, false) + fHex("01") + fLe32(0) + fScoreEntry(20, 3, true) +
                       fHex("01") + fLe32(1) + fHex("01") + fLe32(0));

  Serializer s("a.bin", EFileMode::In);
  std::vector<std::shared_ptr<CHighScoreInfo>> read;
  s.describe(read);
  ASSERT_EQ(read.size(), 5u);
  EXPECT_EQ(read[0], read[1]);
  EXPECT_EQ(read[0], read[4]);
  EXPECT_EQ(read[2], read[3]);
  EXPECT_NE(read[0], read[2]);
  EXPECT_EQ(read[2]->score, 20);
  EXPECT_TRUE(read[2]->isRegistered);
}

TEST_F(SerializerTest, NestedObjectsAreNumberedWhenTheirBodyIsComplete) {
  auto leaf = std::make_shared<CTestNode>();
  leaf->value = 2;
  auto root = std::make_shared<CTestNode>();
  root->value = 1;
  root->children = {leaf};
  std::vector<std::shared_ptr<CTestNode>> list = {root, leaf, root};
  const std::string tag = fArchived(fMakeClassTag(CTestNode::fClassName()));
  // The leaf's body ends first, so it is object 0 and the root object 1.
  const std::string bytes = fWrite([&](Serializer& s) { s.describe(list); });
  EXPECT_EQ(bytes, fLe32(3) + fHex("00") + tag + fLe32(1) + fLe32(1) + fHex("00") + tag + fLe32(2) + fLe32(0) +
                       fHex("01") + fLe32(0) + fHex("01") + fLe32(1));

  Serializer s("a.bin", EFileMode::In);
  std::vector<std::shared_ptr<CTestNode>> read;
  s.describe(read);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0], read[2]);
  ASSERT_EQ(read[0]->children.size(), 1u);
  EXPECT_EQ(read[0]->children[0], read[1]);
  EXPECT_EQ(read[1]->value, 2);
}

TEST_F(SerializerTest, BadSignalByteIsFatalAndRewindsToIt) {
  fWriteWholeFile("a.bin", fLe32(77) + fHex("02") + fArchived(kHighScoreTag));
  Serializer s("a.bin", EFileMode::In);
  int before = 0;
  s.describe(before);
  std::shared_ptr<CHighScoreInfo> entry;
  try {
    s.describe(entry);
    FAIL() << "a signal byte of 2 was accepted";
  } catch (const CFatalError& error) {
    EXPECT_EQ(error.fMessage(), "Inconsistent archive, expected data_signal or no_data_signal on pointer read.");
  }
  EXPECT_EQ(s.getPosition(), 4u);
  EXPECT_EQ(entry, nullptr);
}

TEST_F(SerializerTest, ReferenceToAnObjectNotYetReadIsFatal) {
  const std::string notRead = "Inconsistent archive or sequence error:\nTried to access pointer that's not been read yet.";
  // Index 0 with nothing read yet; and a file that ends inside the index,
  // which leaves the pending -1 mostly in place.
  for (const std::string& bytes : {fHex("01") + fLe32(0), fHex("01 00")}) {
    fWriteWholeFile("a.bin", bytes);
    Serializer s("a.bin", EFileMode::In);
    std::shared_ptr<CHighScoreInfo> entry;
    try {
      s.describe(entry);
      FAIL() << "a reference to an unread object was accepted";
    } catch (const CFatalError& error) {
      EXPECT_EQ(error.fMessage(), notRead);
    }
    EXPECT_EQ(s.getPosition(), 0u);
  }
}

TEST_F(SerializerTest, UnknownTagIsReportedWithTheTagAndRewinds) {
  const std::string entry = fHex("00") + fArchived("C11PersistTest7CNoSuch") + fLe32(1) + fLe32(2) + fHex("01");
  fWriteWholeFile("a.bin", fLe32(2) + fScoreEntry(5, 1, false) + entry);
  Serializer s("a.bin", EFileMode::In);
  std::vector<std::shared_ptr<CHighScoreInfo>> table;
  try {
    s.describe(table);
    FAIL() << "an unknown tag was accepted";
  } catch (const CGameError& error) {
    EXPECT_STREQ(error.what(),
                 "Trying to read class that has been written with the C11PersistTest7CNoSuch tag through a class "
                 "reference of type GameMenu.CHighScoreInfo.\nThe tag is unknown, you need to register this tag "
                 "ahead of time.");
  }
  // Back at the start of the failing element.
  EXPECT_EQ(s.getPosition(), 4u + 40u);
}

TEST_F(SerializerTest, RegisteredTagOfAnUnrelatedClassIsRefused) {
  fWriteWholeFile("a.bin", fHex("00") + fArchived(kOptionTag) + fLe32(15));
  Serializer s("a.bin", EFileMode::In);
  std::shared_ptr<CHighScoreInfo> entry;
  try {
    s.describe(entry);
    FAIL() << "an option record was read as a high score";
  } catch (const CGameError& error) {
    EXPECT_NE(std::string(error.what()).find("C8GameMenu11COptionInfo tag through a class reference of type "
                                             "GameMenu.CHighScoreInfo"),
              std::string::npos);
  }
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(s.getPosition(), 0u);
}

TEST_F(SerializerTest, ReadingIntoAnExistingObjectIsRefused) {
  fWriteWholeFile("a.bin", fArchived(kHighScoreTag) + fLe32(1) + fLe32(1) + fHex("00"));
  Serializer s("a.bin", EFileMode::In);
  auto entry = std::make_shared<CHighScoreInfo>(3, 3, true);
  try {
    s.describeBody(entry);
    FAIL() << "a body was read into an existing object";
  } catch (const CGameError& error) {
    EXPECT_STREQ(error.what(), "Class must be null to be read");
  }
  EXPECT_EQ(entry->score, 3);
  std::shared_ptr<CHighScoreInfo> fresh;
  s.describeBody(fresh);
  EXPECT_EQ(fresh->score, 1);
}

TEST_F(SerializerTest, RegisteringATagTwiceIsRefused) {
  ClassRegister& classes = ClassRegister::fInstance();
  const std::string tag = fMakeClassTag(CTestTwice::fClassName());
  if (!classes.fHasTag(tag)) classes.registerClass<CTestTwice>(tag);
  try {
    classes.registerClass<CTestTwice>(tag, [] { return std::make_shared<CTestTwice>(); });
    FAIL() << "a tag was registered twice";
  } catch (const CGameError& error) {
    EXPECT_STREQ(error.what(), "There's already a class registered with the name C11PersistTest10CTestTwice");
  }
}

TEST_F(SerializerTest, DerivedClassTravelsThroughABaseReferenceOnlyWhenRegistered) {
  std::shared_ptr<CTestShape> circle = std::make_shared<CTestCircle>();
  try {
    fWrite([&](Serializer& s) { s.describe(circle); });
    FAIL() << "an unregistered class was written";
  } catch (const CGameError& error) {
    EXPECT_STREQ(error.what(),
                 "Trying to write unregistered class PersistTest.CTestCircle through class reference of type "
                 "PersistTest.CTestShape.\nYou need to register the former ahead of time.");
  }

  fRegisterSquare();
  auto square = std::make_shared<CTestSquare>();
  square->size = 4;
  square->label = "sq";
  std::shared_ptr<CTestShape> shape = square;
  fWrite([&](Serializer& s) { s.describe(shape); });
  Serializer s("a.bin", EFileMode::In);
  std::shared_ptr<CTestShape> read;
  s.describe(read);
  auto readSquare = std::dynamic_pointer_cast<CTestSquare>(read);
  ASSERT_NE(readSquare, nullptr);
  EXPECT_EQ(readSquare->size, 4);
  EXPECT_EQ(readSquare->label, "sq");
}

TEST_F(SerializerTest, DeclaredClassRegistersItselfOnFirstUse) {
  auto point = std::make_shared<CTestPoint>();
  point->x = 9;
  const std::string bytes = fWrite([&](Serializer& s) { s.describe(point); });
  EXPECT_EQ(bytes, fHex("00") + fArchived("C11PersistTest10CTestPoint") + fLe32(9));
  EXPECT_TRUE(ClassRegister::fInstance().fHasTag("C11PersistTest10CTestPoint"));

  fWriteWholeFile("a.bin", fHex("00") + fArchived("C11PersistTest10CTestFresh") + fLe32(-4));
  Serializer s("a.bin", EFileMode::In);
  std::shared_ptr<CTestFresh> fresh;
  s.describe(fresh);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->x, -4);
  EXPECT_TRUE(ClassRegister::fInstance().fHasTag("C11PersistTest10CTestFresh"));
}

TEST_F(SerializerTest, WritingOverALongerFileKeepsItsTail) {
  fWriteWholeFile("a.bin", "0123456789abcdefghij");
  {
    Serializer s("a.bin", EFileMode::Out);
    std::string text = "xyzxyz";
    s.describe(text);
  }
  EXPECT_EQ(fReadWholeFile("a.bin"), fArchived("xyzxyz") + "abcdefghij");
}

TEST_F(SerializerTest, ShortFileLeavesTheUnreadBytesOfAValue) {
  fWriteWholeFile("a.bin", fHex("aa bb"));
  Serializer s("a.bin", EFileMode::In);
  int value = 0x11223344;
  s.describe(value);
  EXPECT_EQ(value, 0x1122bbaa);
  EXPECT_TRUE(s.fEndedEarly());
  bool flag = true;
  s.describe(flag);
  EXPECT_TRUE(flag);
}

TEST_F(SerializerTest, CountLongerThanTheFileIsFatalAndRewinds) {
  for (const std::string& bytes : {fLe32(-1) + "abc", fHex("05")}) {
    fWriteWholeFile("a.bin", bytes);
    Serializer s("a.bin", EFileMode::In);
    std::string text = "kept";
    EXPECT_THROW(s.describe(text), CFatalError);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(s.getPosition(), 0u);
  }
}

TEST_F(SerializerTest, ReadingAMissingFileFails) {
  EXPECT_THROW(Serializer("missing.bin", EFileMode::In), CGameError);
  EXPECT_FALSE(fFileExists("missing.bin"));
}

}  // namespace
