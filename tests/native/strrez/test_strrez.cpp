// The String store against files made by the writer (and by hand where the
// bytes matter): loading, languages, lookup, line breaks and placeholders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/log_fake.h"
#include "fakes/platform_fake.h"
#include "strfile_writer.h"
#include "strrez/strrez.h"
#include "temp_folder.h"

namespace {

const char* const kCodes[] = {"ENG", "SPN", "FRA", "GER", "ITL", "JPN", "KOR", "MAN", "PRT", "TAI"};

class Strrez : public ::testing::Test {
 protected:
  void SetUp() override {
    for (short s = 0; s < STR_SLOT_COUNT; s++) Str_Close(s);
    Platform_Fake_Reset();
    Log_Fake_Reset();
    Platform_Fake.log_level = "3";
    dir_ = Make_Temp_Folder("dvstr");
  }
  void TearDown() override {
    for (short s = 0; s < STR_SLOT_COUNT; s++) Str_Close(s);
    Remove_Tree(dir_);
  }

  std::string Path(const std::string& name) { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string p = Path(name);
    EXPECT_EQ(1, Write_Bytes(p, bytes));
    return p;
  }
  short Load(short slot, const std::string& bytes, const std::string& name = "ENGINE.LOC") {
    return Str_Open(slot, Write(name, bytes).c_str());
  }
  // A lookup into a 256-byte buffer that starts full of junk.
  static std::string Get(short slot, const std::string& key) {
    std::vector<char> k(key.begin(), key.end());
    k.push_back('\0');
    char out[256];
    memset(out, 'J', sizeof out);
    EXPECT_EQ(out, Str_Get(slot, k.data(), out, sizeof out));
    return std::string(out, strnlen(out, sizeof out));
  }
  // A file whose key MSG_LANG answers with the code of the slot's language.
  static std::string Language_File() {
    StrFile f;
    f.Key("MSG_LANG");
    for (const char* code : kCodes) f.Text(code, code);
    return f.Bytes();
  }

  std::string dir_;
};

// A file written by hand: header, line break, index body, texts.
std::string Hand_File(const std::string& index, const std::string& texts) {
  char header[8];
  snprintf(header, sizeof header, "%06zu", index.size());
  return std::string(header) + "\r\n" + index + texts;
}

// ---- Loading --------------------------------------------------------------

// Builds header + index (key Q, English text at offset 0) + line breaks up to
// base, then "hi^^" at base, then cuts or pads the file to length.
std::string Header_File(const std::string& header, long base, long length) {
  std::string f = header + "\r\nQ 1 ENG 0 ";
  if ((long)f.size() < base) f.append((size_t)(base - (long)f.size()), '\n');
  f.resize((size_t)base);
  f += "hi^^";
  f.resize((size_t)length, '\n');
  return f;
}

TEST_F(Strrez, HeaderFormsGiveBlockSizeAndTextBase) {
  struct Case {
    const char* header;
    long base;    // where the header says the text area begins
    long length;  // of the file
    short opens;
    const char* text;  // the lookup of Q when it opens
  } cases[] = {
      {"   120", 128, 132, 1, "hi"},
      {"12ab34", 20, 24, 1, "hi"},
      {" \t+42x", 50, 54, 1, "hi"},
      {"000120", 128, 130, 1, ""},      // exactly N + 10 bytes (its text is cut)
      {"000120", 128, 129, 0, ""},      // N + 9
      {"000000", 29998, 30002, 1, "hi"},
      {"      ", 29998, 30000, 1, ""},
      {"abcdef", 29998, 30002, 1, "hi"},
      {"-00000", 29998, 30002, 1, "hi"},  // minus zero is still zero
      {"000000", 29998, 29999, 0, ""},
      {"-00005", 29998, 30002, 0, ""},  // a negative header is refused
      {"-00009", 29998, 30002, 0, ""},  // block of 1: its terminator would go before it
      {"-00010", 29998, 30002, 0, ""},
      {"-99999", 29998, 30002, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("header '") + c.header + "' length " + std::to_string(c.length));
    EXPECT_EQ(c.opens, Load(2, Header_File(c.header, c.base, c.length)));
    if (c.opens) {
      EXPECT_EQ(c.text, Get(2, "q"));
      Str_Close(2);
    }
    EXPECT_EQ("", Get(2, "Q"));  // never left loaded by a failure
  }
}

TEST_F(Strrez, OpenLogsOpenedAndMissingFilesBySlot) {
  std::string five = Write("five.loc", "00001");
  EXPECT_EQ(0, Str_Open(0, five.c_str()));
  std::string missing = Path("missing.loc");
  EXPECT_EQ(0, Str_Open(0, missing.c_str()));
  EXPECT_EQ(0, Str_Open(1, (missing + "1").c_str()));
  EXPECT_EQ(0, Str_Open(5, five.c_str()));
  EXPECT_EQ(0, Str_Open(-1, five.c_str()));

  std::string log = Log_Fake_Log_Text();
  EXPECT_NE(std::string::npos, log.find("OPENED " + five + "\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: Couldn't open file: " + missing + "\r\n")) << log;
  EXPECT_EQ(std::string::npos, log.find(missing + "1")) << log;  // slot 1 is silent
  // Out-of-range slots log nothing: "OPENED" appears once, for the five-byte file.
  EXPECT_EQ(log.find("OPENED"), log.rfind("OPENED"));
}

TEST_F(Strrez, OpenedIsLevelThreeAndErrorsLevelZero) {
  Platform_Fake.log_level = "2";
  std::string p = Write("a.loc", StrFile().Key("MSG_A").Text("ENG", "A").Bytes());
  EXPECT_EQ(1, Str_Open(3, p.c_str()));
  EXPECT_EQ(std::string::npos, Log_Fake_Log_Text().find("OPENED"));

  Log_Fake_Reset();
  Platform_Fake.log_level = "0";
  EXPECT_EQ(0, Str_Open(0, Path("none.loc").c_str()));
  EXPECT_NE(std::string::npos, Log_Fake_Log_Text().find("ERROR: Couldn't open file: " + Path("none.loc")));
}

TEST_F(Strrez, SecondOpenOfLoadedSlotKeepsFirstFile) {
  ASSERT_EQ(1, Load(0, StrFile().Key("MSG_A").Text("ENG", "first").Bytes(), "one.loc"));
  std::string log_before = Log_Fake_Log_Text();
  EXPECT_EQ(0, Load(0, StrFile().Key("MSG_A").Text("ENG", "second").Bytes(), "two.loc"));
  EXPECT_EQ(log_before, Log_Fake_Log_Text());
  EXPECT_EQ("first", Get(0, "MSG_A"));
  // After a close the slot loads again.
  Str_Close(0);
  Str_Close(0);  // closing twice does nothing
  EXPECT_EQ("", Get(0, "MSG_A"));
  EXPECT_EQ(1, Str_Open(0, Path("two.loc").c_str()));
  EXPECT_EQ("second", Get(0, "MSG_A"));
}

TEST_F(Strrez, OverlongPathIsRefusedNotCut) {
  // A 255-character path opens; one more character is refused, even though its
  // first 255 characters name a loadable file.
  std::string bytes = StrFile().Key("MSG_A").Text("ENG", "A").Bytes();
  std::string name(255 - dir_.size() - 1, 'p');
  std::string p = Write(name, bytes);
  ASSERT_EQ(255u, p.size());
  std::string longer = p + "q";
  EXPECT_EQ(0, Str_Open(0, longer.c_str()));
  EXPECT_EQ(1, Str_Open(0, p.c_str()));
  EXPECT_EQ("A", Get(0, "MSG_A"));
  // The log lines are cut to the log's 255 characters, never overrun.
  std::string log = Log_Fake_Log_Text();
  EXPECT_NE(std::string::npos, log.find("ERROR: Couldn't open file: " + p.substr(0, 100)));
  EXPECT_NE(std::string::npos, log.find("OPENED " + p.substr(0, 100)));
}

// ---- Languages --------------------------------------------------------------

TEST_F(Strrez, SystemLanguageFoldsAndRecognisesThai) {
  struct Case {
    unsigned short system;
    const char* country;
    std::string windows;
    unsigned short language;
    const char* code;
    int ini_reads;
  } cases[] = {
      {3084, "Thailand", "C:\\WINDOWS", 1036, "FRA", 0},
      {2060, "", "C:\\WINDOWS", 1036, "FRA", 0},
      {4108, "", "C:\\WINDOWS", 1036, "FRA", 0},
      {2055, "", "C:\\WINDOWS", 1031, "GER", 0},
      {3079, "", "C:\\WINDOWS", 1031, "GER", 0},
      {2058, "Thailand", "C:\\WINDOWS", 1034, "SPN", 0},
      {3082, "", "C:\\WINDOWS", 1034, "SPN", 0},
      {2070, "", "C:\\WINDOWS", 1046, "PRT", 0},
      {2057, "Thailand", "C:\\WINDOWS", 2057, "ENG", 0},
      {1041, "Thailand", "C:\\WINDOWS", 1041, "JPN", 0},
      {1028, "", "C:\\WINDOWS", 1028, "MAN", 0},
      {1042, "", "C:\\WINDOWS", 1042, "KOR", 0},
      {1040, "", "C:\\WINDOWS", 1040, "ITL", 0},
      {1033, "", "C:\\WINDOWS", 1033, "ENG", 1},
      {1033, "France", "C:\\WINDOWS", 1033, "ENG", 1},
      {1033, "Thailand", "C:\\WINDOWS", 1054, "TAI", 1},
      {1033, "tHAILAND", "C:\\WINDOWS", 1054, "TAI", 1},
      {1033, "Thailand ", "C:\\WINDOWS", 1033, "ENG", 1},
      // 79 characters fit the 80-character area; 80 do not, and the test is skipped.
      {1033, "Thailand", "C:\\" + std::string(76, 'x'), 1054, "TAI", 1},
      {1033, "Thailand", "C:\\" + std::string(77, 'x'), 1033, "ENG", 0},
      {1033, "Thailand", "", 1033, "ENG", 0},
  };
  std::string file = Write("lang.loc", Language_File());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.system);
    SCOPED_TRACE(c.country);
    Platform_Fake_Reset();
    Platform_Fake.system_language = c.system;
    Platform_Fake.country = c.country;
    Platform_Fake.windows_directory = c.windows.c_str();
    EXPECT_EQ(c.language, Str_System_Language());
    EXPECT_EQ(c.ini_reads, Platform_Fake_Seen.country_reads);
    if (c.ini_reads) EXPECT_EQ(c.windows + "\\WIN.INI", Platform_Fake_Seen.country_file);

    // Slot 0 takes the system language; the other slots always start in English.
    ASSERT_EQ(1, Str_Open(0, file.c_str()));
    ASSERT_EQ(1, Str_Open(4, file.c_str()));
    EXPECT_EQ(c.code, Get(0, "MSG_LANG"));
    EXPECT_EQ("ENG", Get(4, "MSG_LANG"));
    EXPECT_EQ(c.language, Str_Set_Language(0, c.language));
    EXPECT_EQ(1033, Str_Set_Language(4, 1033));
    Str_Close(0);
    Str_Close(4);
  }
}

TEST_F(Strrez, SetLanguageRoundTrips) {
  Platform_Fake.system_language = 1041;
  ASSERT_EQ(1, Load(0, Language_File()));
  EXPECT_EQ(1041, Str_Set_Language(0, 1033));
  EXPECT_EQ("ENG", Get(0, "MSG_LANG"));
  EXPECT_EQ(1033, Str_Set_Language(0, 1041));
  EXPECT_EQ("JPN", Get(0, "MSG_LANG"));

  struct Case {
    unsigned short language;
    const char* code;
  } cases[] = {{2057, "ENG"}, {2070, "PRT"}, {1046, "PRT"}, {1054, "TAI"}, {0, "ENG"},
               {1031, "GER"}, {1034, "SPN"}, {3084, "ENG"}};  // no folding here
  unsigned short before = 1041;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    EXPECT_EQ(before, Str_Set_Language(0, c.language));
    EXPECT_EQ(c.code, Get(0, "MSG_LANG"));
    before = c.language;  // stored unchanged, even without a row in the table
  }

  // No slot: result 0 and nothing changes.
  EXPECT_EQ(0, Str_Set_Language(5, 1036));
  EXPECT_EQ(0, Str_Set_Language(-1, 1036));
  EXPECT_EQ(0, Str_Set_Language(32767, 1036));

  // A closed slot answers with its last language and keeps it.
  Str_Close(0);
  EXPECT_EQ(3084, Str_Set_Language(0, 1033));
  EXPECT_EQ(3084, Str_Set_Language(0, 1041));
}

// ---- Lookup -----------------------------------------------------------------

TEST_F(Strrez, LookupOutsideLoadedSlotsLeavesKeyAndGivesEmpty) {
  ASSERT_EQ(1, Load(0, StrFile().Key("MSG_BUTTON_OK").Text("ENG", "OK").Bytes()));
  for (short slot : {7, -1, 1, 32767}) {
    SCOPED_TRACE(slot);
    char key[] = "MSG_Button_OK";
    char out[256] = "junk";
    EXPECT_EQ(out, Str_Get(slot, key, out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_STREQ("MSG_Button_OK", key);
  }
}

TEST_F(Strrez, LookupUpperCasesKeyInPlaceFoundOrNot) {
  ASSERT_EQ(1, Load(0, StrFile().Key("MSG_BUTTON_OK").Text("ENG", "OK").Bytes()));
  char found[] = "MSG_Button_OK";
  char missing[] = "msg_no_such\xe9";
  char out[256];
  EXPECT_STREQ("OK", Str_Get(0, found, out, sizeof out));
  EXPECT_STREQ("MSG_BUTTON_OK", found);
  EXPECT_STREQ("", Str_Get(0, missing, out, sizeof out));
  EXPECT_STREQ("MSG_NO_SUCH\xe9", missing);  // only a-z change
}

TEST_F(Strrez, PairScanPicksOwnThenEnglish) {
  // MSG_BUTTON_OK 2 ENG 0 FRA 5, as in the file format's own example.
  ASSERT_EQ(1, Load(0, Hand_File("MSG_BUTTON_OK 2 ENG 0 FRA 5 \r\n", "OK^^\nD'accord^^\n")));
  struct Case {
    unsigned short language;
    const char* text;
  } cases[] = {{1036, "D'accord"}, {1033, "OK"}, {1031, "OK"}, {1041, "OK"}};
  for (const Case& c : cases) {
    Str_Set_Language(0, c.language);
    EXPECT_EQ(c.text, Get(0, "MSG_Button_OK")) << c.language;
  }
}

TEST_F(Strrez, EmptyOwnTextFallsBackOnlyWhenEnglishComesFirst) {
  StrFile f;
  f.Key("MSG_ENG_FIRST").Text("ENG", "English").Text("FRA", "");
  f.Key("MSG_FRA_FIRST").Text("FRA", "").Text("ENG", "English").In_Given_Order();
  f.Key("MSG_EMPTY_ENG").Text("ENG", "").Text("FRA", "Francais");
  f.Key("MSG_NO_ENG").Text("GER", "Deutsch").In_Given_Order();
  f.Key("MSG_COUNT_ZERO").Text("ENG", "English").Count("0");
  f.Key("MSG_TWO_ENG").Text("ENG", "first").Text("ENG", "second").Text("GER", "").In_Given_Order();
  ASSERT_EQ(1, Load(0, f.Bytes()));
  struct Case {
    unsigned short language;
    const char* key;
    const char* text;
  } cases[] = {
      {1036, "MSG_ENG_FIRST", "English"}, {1036, "MSG_FRA_FIRST", ""},
      {1033, "MSG_EMPTY_ENG", ""},        {1036, "MSG_EMPTY_ENG", "Francais"},
      {1036, "MSG_NO_ENG", ""},           {1031, "MSG_NO_ENG", "Deutsch"},
      {1033, "MSG_COUNT_ZERO", ""},       {1031, "MSG_TWO_ENG", "second"},  // a later ENG pair wins
      {1036, "MSG_TWO_ENG", "second"},
  };
  for (const Case& c : cases) {
    Str_Set_Language(0, c.language);
    EXPECT_EQ(c.text, Get(0, c.key)) << c.key << " in " << c.language;
  }
}

TEST_F(Strrez, FirstOccurrenceWinsEvenInsideALongerKey) {
  StrFile f;
  f.Key("MSG_BUTTON_OK_LONG").Text("ENG", "long");
  f.Key("MSG_BUTTON_OK").Text("ENG", "short");
  f.Key("MSG_B").Text("ENG", "b");  // occurs first inside the keys above
  ASSERT_EQ(1, Load(0, f.Bytes()));
  EXPECT_EQ("long", Get(0, "MSG_BUTTON_OK"));
  EXPECT_EQ("long", Get(0, "msg_b"));
  EXPECT_EQ("long", Get(0, "MSG_BUTTON_OK_LONG"));
}

TEST_F(Strrez, TextEndMarkAndLengthLimit) {
  StrFile f;
  f.Key("MSG_510").Text("ENG", std::string(510, 'x'));
  f.Key("MSG_511").Text("ENG", std::string(511, 'y'));
  f.Key("MSG_CARETS").Pair("ENG", f.Raw_Text("a^^^\nrest^^\n"));
  f.Key("MSG_CARET_RUN").Pair("ENG", f.Raw_Text("b^^^^^\n"));
  f.Key("MSG_SINGLE").Pair("ENG", f.Raw_Text("x^y^^\n"));
  f.Key("MSG_NEWLINES").Text("ENG", "one\\ntwo");
  f.Key("MSG_FAR").Pair("ENG", 1000000);
  f.Key("MSG_NEGATIVE").Pair("ENG", -1000000);
  f.Key("MSG_HUGE").Pair("ENG", 0).Raw_Index("MSG_HUGE2 1 ENG 99999999999999999999999 \r\n");
  f.Key("MSG_LAST").Pair("ENG", f.Next_Offset());
  std::string closed_at_end = f.Bytes() + "last^^";
  std::string unclosed_end = f.Bytes() + "last^";
  ASSERT_EQ(1, Load(0, closed_at_end, "closed.loc"));
  struct Case {
    const char* key;
    std::string text;
  } cases[] = {
      {"MSG_510", std::string(255, 'x')},  // read whole, delivered cut to the 256-byte buffer
      {"MSG_511", ""},
      {"MSG_CARETS", "a^"},
      {"MSG_CARET_RUN", "b^^^"},
      {"MSG_SINGLE", "x^y"},
      {"MSG_NEWLINES", "one\ntwo"},
      {"MSG_FAR", ""},
      {"MSG_NEGATIVE", ""},
      {"MSG_HUGE2", ""},
      {"MSG_LAST", "last"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, Get(0, c.key)) << c.key;

  // The whole 510 characters reach a buffer that can hold them.
  char key[] = "MSG_510";
  char big[600];
  EXPECT_EQ(std::string(510, 'x'), Str_Get(0, key, big, sizeof big));

  Str_Close(0);
  ASSERT_EQ(1, Load(0, unclosed_end, "unclosed.loc"));
  EXPECT_EQ("", Get(0, "MSG_LAST"));
  EXPECT_EQ("a^", Get(0, "MSG_CARETS"));
}

TEST_F(Strrez, SmallBuffersAreNeverOverrun) {
  ASSERT_EQ(1, Load(0, StrFile().Key("MSG_A").Text("ENG", std::string(510, 'z')).Bytes()));
  for (size_t size : {1u, 2u, 8u, 255u, 510u, 511u}) {
    SCOPED_TRACE(size);
    std::vector<char> buf(size + 16, 'C');
    char key[] = "MSG_A";
    Str_Get(0, key, buf.data(), size);
    EXPECT_EQ(std::string(std::min<size_t>(size - 1, 510), 'z'), buf.data());
    for (size_t i = size; i < buf.size(); i++) ASSERT_EQ('C', buf[i]) << i;

    std::fill(buf.begin(), buf.end(), 'C');
    char key2[] = "MSG_A";
    const char* arg = "x";
    Str_Format(0, key2, buf.data(), size, &arg, 1);
    for (size_t i = size; i < buf.size(); i++) ASSERT_EQ('C', buf[i]) << i;
  }
  char key[] = "MSG_A";
  char untouched = 'C';
  Str_Get(0, key, &untouched, 0);  // no room at all: nothing written
  EXPECT_EQ('C', untouched);
}

TEST_F(Strrez, ReopenFailureGivesEmpty) {
  std::string p = Write("gone.loc", StrFile().Key("MSG_A").Text("ENG", "A").Bytes());
  ASSERT_EQ(1, Str_Open(0, p.c_str()));
  ASSERT_EQ(0, remove(p.c_str()));
  EXPECT_EQ("", Get(0, "MSG_A"));
}

// Indexes that break the format's rules: never a read past the index, and the
// entries before the damage still answer.
TEST_F(Strrez, MalformedIndexesAreReadSafely) {
  struct Case {
    const char* name;
    std::string index;  // the index body after the header's line break
    const char* key;
    unsigned short language;
    const char* text;
  } cases[] = {
      {"ends inside the key", "MSG_A", "MSG_A", 1033, ""},
      {"ends inside the count", "MSG_A 1", "MSG_A", 1033, ""},
      {"ends inside a code", "MSG_A 1 EN", "MSG_A", 1033, ""},
      {"ends inside an offset", "MSG_A 1 ENG 0", "MSG_A", 1033, ""},
      {"ends after English, inside own", "MSG_A 2 ENG 0 FRA 7", "MSG_A", 1036, "zero"},
      {"negative count", "MSG_A -1 ENG 0 ", "MSG_A", 1033, ""},
      {"count past the pairs", "MSG_A 3 ENG 0 \r\nMSG_B 1 ENG 7 ", "MSG_A", 1031, "zero"},
      {"count past the pairs, own", "MSG_A 3 ENG 0 \r\nMSG_B 1 GER 7 ", "MSG_A", 1031, "zero"},
      {"count past, no line break", "MSG_A 2 ENG 0 MSG_B 1 ENG 7 ", "MSG_A", 1031, "zero"},
      {"huge count", "MSG_A 99999999999999999999 ENG 0 ", "MSG_A", 1033, "zero"},
      {"long code token", "MSG_A 2 ENG 0 " + std::string(300, 'F') + " 7 ", "MSG_A", 1036, "zero"},
      {"long offset token", "MSG_A 1 ENG " + std::string(256, '0') + "7 ", "MSG_A", 1033, ""},
      {"255-character offset", "MSG_A 1 ENG " + std::string(254, '0') + "7 ", "MSG_A", 1033, "seven"},
      {"long count token", "MSG_A " + std::string(256, '0') + "1 ENG 0 ", "MSG_A", 1033, ""},
      {"zero byte hides the rest", std::string("MSG_A 1 ENG 0 \0MSG_B 1 ENG 7 ", 29), "MSG_B", 1033, ""},
      {"two spaces", "MSG_A  1 ENG 0 ", "MSG_A", 1033, ""},
      {"signed offset", "MSG_A 1 ENG +7 ", "MSG_A", 1033, "seven"},
      {"empty key", "MSG_A 1 ENG 0 ", "", 1033, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(1, Load(0, Hand_File(c.index, "zero^^\nseven^^\n")));
    Str_Set_Language(0, c.language);
    EXPECT_EQ(c.text, Get(0, c.key));
    Str_Close(0);
  }
}

TEST_F(Strrez, BinaryIndexIsSearchedSafely) {
  std::string file;
  for (int i = 0; i < 40000; i++) file += (char)(i * 7919 % 256);
  file.replace(0, 6, "  3000");
  ASSERT_EQ(1, Load(0, file));
  for (const char* key : {"MSG_A", "\x01", " ", "^", "0"}) {
    char k[16];
    snprintf(k, sizeof k, "%s", key);
    char out[8];
    memset(out, 'J', sizeof out);
    Str_Get(0, k, out, sizeof out);
    EXPECT_LT(strnlen(out, sizeof out), sizeof out);
  }
}

// ---- Line breaks and placeholders -----------------------------------------------

TEST(StrrezText, ExpandNewlines) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"one\\ntwo", "one\ntwo"},       {"a\\\\nb", "a\\\nb"},     {"a\\tb", "a\\tb"},
      {"\\n\\n", "\n\n"},              {"end\\", "end\\"},        {"\\N", "\\N"},
      {"\\\\\\n", "\\\\\n"},           {"", ""},                  {"\\nn", "\nn"},
  };
  for (const Case& c : cases) {
    char buf[32];
    snprintf(buf, sizeof buf, "%s", c.in);
    Str_Expand_Newlines(buf);
    EXPECT_STREQ(c.out, buf) << c.in;
  }
}

TEST(StrrezText, CountPlaceholders) {
  struct Case {
    const char* text;
    short count;
  } cases[] = {
      {"^1^2", 2}, {"^^1", 1},   {"^a", 0},     {"^\x80", 0}, {"x^", 0},
      {"", 0},     {"^0^0", 2},  {"^^^9x", 1},  {"^99", 1},   {"a^0b^1c^2d^3e^4f^5g^6h^7i^8j^9k^0", 11},
  };
  for (const Case& c : cases) EXPECT_EQ(c.count, Str_Count_Placeholders(c.text)) << c.text;
}

TEST_F(Strrez, FormatFillsPlaceholders) {
  StrFile f;
  f.Key("MSG_MESSAGE_INSERTCD").Text("ENG", "Please insert the disc holding ^0.").Text("FRA", "Inserez ^0 !");
  f.Key("MSG_PLAIN").Text("ENG", "No placeholder^here\\n");
  f.Key("MSG_FIT").Text("ENG", std::string(253, 'f') + "^0");  // 253 + 2 = 255 characters
  f.Key("MSG_OVER").Text("ENG", std::string(254, 'o') + "^0");
  f.Key("MSG_MANY").Text("ENG", "^0^1^2^3^4^5^6^7^8^9^0^9");
  f.Key("MSG_NO_COPY").Text("ENG", "[^1]");
  f.Key("MSG_TWO").Text("ENG", "^0-^1-^0");
  f.Key("MSG_ONLY").Text("ENG", "^0");
  ASSERT_EQ(1, Load(0, f.Bytes()));

  const char* install[] = {"Installation (v1.5 or greater)"};
  const char* a[] = {"a"};
  const char* caret[] = {"x^0y"};
  const char* empty_arg[] = {""};
  const char* two_chars[] = {"ab"};
  const char* three_chars[] = {"abc"};
  const char* ten[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
  const char* ab[] = {"A", "B"};
  std::string a300(300, 'L');
  const char* longest[] = {a300.c_str()};
  // Reading an argument here would be caught: this one points nowhere.
  const char* poisoned[] = {reinterpret_cast<const char*>(8)};
  struct Case {
    const char* key;
    unsigned short language;
    const char* const* args;
    int count;
    std::string text;
  } cases[] = {
      {"MSG_Message_InsertCD", 1033, install, 1,
       "Please insert the disc holding Installation (v1.5 or greater)."},
      {"MSG_Message_InsertCD", 1036, install, 1, "Inserez Installation (v1.5 or greater) !"},
      {"MSG_Plain", 1033, poisoned, 1, "No placeholder^here\n"},
      {"MSG_Plain", 1033, nullptr, 0, "No placeholder^here\n"},
      {"MSG_FIT", 1033, a, 1, std::string(253, 'f') + "a"},
      {"MSG_FIT", 1033, ab, 1, std::string(253, 'f') + "A"},
      {"MSG_FIT", 1033, caret, 1, std::string(253, 'f') + "^0"},  // 257: kept unexpanded
      {"MSG_FIT", 1033, two_chars, 1, std::string(253, 'f') + "ab"},  // 255 characters
      {"MSG_FIT", 1033, three_chars, 1, std::string(253, 'f') + "^0"},  // 256: kept unexpanded
      {"MSG_OVER", 1033, empty_arg, 1, std::string(254, 'o')},
      {"MSG_OVER", 1033, a, 1, std::string(254, 'o') + "a"},
      {"MSG_ONLY", 1033, caret, 1, "x^0y"},                     // not expanded again
      {"MSG_ONLY", 1033, longest, 1, std::string(255, 'L')},    // the copy holds 255
      {"MSG_MANY", 1033, ten, 12, "012345678909"},              // ten copies at most
      {"MSG_NO_COPY", 1033, ab, 2, "[]"},                       // one placeholder, so one copy
      {"MSG_TWO", 1033, a, 1, "a--a"},                          // a missing argument is empty
      {"MSG_TWO", 1033, nullptr, 0, "--"},
      {"MSG_NO_SUCH", 1033, a, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Str_Set_Language(0, c.language);
    std::vector<char> key(c.key, c.key + strlen(c.key) + 1);
    char out[256];
    memset(out, 'J', sizeof out);
    EXPECT_EQ(out, Str_Format(0, key.data(), out, sizeof out, c.args, c.count));
    EXPECT_EQ(c.text, std::string(out, strnlen(out, sizeof out)));
  }
}

TEST_F(Strrez, FormatOutsideLoadedSlotsGivesEmpty) {
  const char* a[] = {"a"};
  for (short slot : {-1, 5, 2}) {
    char key[] = "MSG_A";
    char out[16] = "junk";
    EXPECT_EQ(out, Str_Format(slot, key, out, sizeof out, a, 1));
    EXPECT_STREQ("", out);
  }
}

}  // namespace
