// The String store's reading layer on bytes in memory: block loading, the key
// search and pair scan within the length given, the index walk, the text
// reader and the placeholder fill. Linked alone (no log, no platform).
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "strfile_writer.h"
#include "strrez/strrez_read.h"

namespace {

struct Loaded {
  int ok;
  Str_Index index;
  ~Loaded() { free(index.text); }
};

void Load(const std::string& bytes, Loaded* l) {
  Byte_Source src;
  Bytes_From_Memory(&src, bytes.data(), bytes.size());
  l->ok = Str_Load_Index(&src, &l->index);
}

TEST(StrrezRead, LoadIndexGivesBlockOrReason) {
  std::string good = StrFile().Key("MSG_A").Text("ENG", "a").Bytes();
  struct Case {
    std::string bytes;
    int ok;
    int why;
    long header, block;
  } cases[] = {
      {good, 1, 0, (long)good.size() - 13, (long)good.size() - 3},
      {"00001", 0, STR_LOAD_SHORT_HEADER, 0, 0},
      {"-00005abcdefghij", 0, STR_LOAD_NEGATIVE, -5, 0},
      {"000004\r\nab123", 0, STR_LOAD_SHORT_FILE, 4, 14},  // N + 9 bytes
      {"000004\r\nab1234", 1, 0, 4, 14},                // N + 10
      {"      " + std::string(29994, 'x'), 1, 0, 0, 30000},
      {"000000" + std::string(29993, 'x'), 0, STR_LOAD_SHORT_FILE, 0, 30000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 12));
    Loaded l;
    Load(c.bytes, &l);
    EXPECT_EQ(c.ok, l.ok);
    EXPECT_EQ(c.why, l.index.why);
    EXPECT_EQ(c.header, l.index.header);
    EXPECT_EQ(c.block, l.index.block);
    if (c.ok) {
      EXPECT_EQ(c.block - 2, l.index.textBase);
      EXPECT_EQ('\0', l.index.text[l.index.textBase]);
    } else {
      EXPECT_EQ(nullptr, l.index.text);
    }
  }
}

// Lookups over an index handed without a terminator: exactly length bytes, so
// ASan reports any byte read past them.
TEST(StrrezRead, PickStaysWithinTheLengthGiven) {
  struct Case {
    std::string index;
    const char* key;
    const char* code;
    int found;
    long at, own, english;  // -1: not set
  } cases[] = {
      {"000000\r\nMSG_A 2 ENG 0 FRA 5 ", "MSG_A", "FRA", 1, 8, 5, 0},
      {"000000\r\nMSG_A 2 ENG 0 FRA 5 ", "MSG_A", "GER", 1, 8, -1, 0},
      {"000000\r\nMSG_A 2 ENG 0 FRA 5", "MSG_A", "FRA", 1, 8, -1, 0},  // ends inside the offset
      {"000000\r\nMSG_A 1 ENG 0", "MSG_A", "ENG", 0, 8, -1, -1},
      {"000000\r\nMSG_A", "MSG_A", "ENG", 0, 8, -1, -1},                // no space after the key
      {"000000\r\nMSG_", "MSG_A", "ENG", 0, -1, -1, -1},                // key runs past the end
      {"000000\r\nX 1 ENG 0 " + std::string(1, '\0') + "MSG_A 1 ENG 7 ", "MSG_A", "ENG", 0, -1, -1, -1},
      {"000000\r\nMSG_A 3 ENG 0 \r\nMSG_B 1 GER 7 ", "MSG_A", "GER", 1, 8, -1, 0},  // stops at the line break
      {"000000\r\nMSG_A 2 " + std::string(256, 'F') + " 1 ENG 4 ", "MSG_A", "ENG", 0, 8, -1, -1},
      {"000000\r\nMSG_AB 1 ENG 3 MSG_A 1 ENG 9 ", "MSG_A", "ENG", 1, 8, 3, -1},     // first occurrence
      {"000000\r\nMSG_A 1 ENG 9 ", "", "ENG", 0, -1, -1, -1},
      {"000000\r\n0 1 ENG 9 ", "0", "FRA", 1, 0, -1, 9},  // found in the header, read from there
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    std::vector<char> bare(c.index.begin(), c.index.end());
    Str_Pick pick;
    EXPECT_EQ(c.found, Str_Find_Pick(bare.data(), bare.size(), c.key, c.code, &pick));
    EXPECT_EQ(c.at, pick.at);
    EXPECT_EQ(c.own >= 0, pick.haveOwn != 0);
    if (c.own >= 0) EXPECT_EQ(c.own, pick.own);
    EXPECT_EQ(c.english >= 0, pick.haveEnglish != 0);
    if (c.english >= 0) EXPECT_EQ(c.english, pick.english);
  }
}

TEST(StrrezRead, WalkUsesTheLookupsStopRules) {
  struct Case {
    std::string index;
    const char* keys;  // the entries walked, with their pair counts
    int stop;
    int stopToken;
  } cases[] = {
      {"000000\r\nMSG_A 1 ENG 0 \r\nMSG_B 2 ENG 7 FRA 9 \r\n", "MSG_A:1 MSG_B:2 ", STR_TOKEN_OK, 0},
      {"000000\r\nMSG_A 2 ENG 0 \r\nMSG_B 1 ENG 7 ", "MSG_A:1 ", STR_TOKEN_LINE_BREAK, STR_WALK_CODE},
      {"000000\r\nMSG_A 1 ENG 0 \r\nMSG_B 1 ENG 7", "MSG_A:1 MSG_B:0 ", STR_TOKEN_UNENDED, STR_WALK_OFFSET},
      {"000000\r\nMSG_A 1 ENG 0 \r\nMSG_B", "MSG_A:1 ", STR_TOKEN_UNENDED, STR_WALK_KEY},
      {"000000\r\nMSG_A 1 " + std::string(256, 'E') + " 0 ", "MSG_A:0 ", STR_TOKEN_LONG, STR_WALK_CODE},
      {"000000\r\nMSG_A \r\n1 ENG 0 ", "", STR_TOKEN_LINE_BREAK, STR_WALK_COUNT},
      // A negative count reads no pairs; its pairs are then walked as an entry.
      {"000000\r\nMSG_A -1 ENG 0 \r\n", "MSG_A:0 ENG:0 ", STR_TOKEN_OK, 0},
      {"000000\r\nMSG_A 0 " + std::string(1, '\0') + "MSG_B 0 ", "MSG_A:0 ", STR_TOKEN_OK, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    std::vector<char> bare(c.index.begin(), c.index.end());
    Str_Walk w;
    Str_Walk_Start(&w, bare.data(), bare.size());
    std::string walked;
    char code[8], offset[8];
    while (Str_Walk_Entry(&w)) {
      while (Str_Walk_Pair(&w, code, sizeof code, offset, sizeof offset)) {
      }
      walked += std::string(w.key) + ":" + std::to_string(w.pairsRead) + " ";
    }
    EXPECT_EQ(c.keys, walked);
    EXPECT_EQ(c.stop, w.stop);
    if (c.stop != STR_TOKEN_OK) EXPECT_EQ(c.stopToken, w.stopToken);
  }
}

TEST(StrrezRead, TextReaderEndsAtTheMarkOrGivesUpEmpty) {
  struct Case {
    std::string bytes;
    int ok;
    std::string text;
  } cases[] = {
      {"a^^^\nrest", 1, "a^"},
      {"b^^^^^\n", 1, "b^^^"},
      {"last^^", 1, "last"},  // the end counts as a byte that is not a caret
      {"last^", 0, ""},
      {"", 0, ""},
      {std::string(510, 'x') + "^^\n", 1, std::string(510, 'x')},
      {std::string(511, 'y') + "^^\n", 0, ""},
      {std::string("a\0b^^\n", 6), 1, std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 16));
    Byte_Source src;
    Bytes_From_Memory(&src, c.bytes.data(), c.bytes.size());
    char text[STR_TEXT_AREA + 8];
    memset(text, 'C', sizeof text);
    size_t length = 999;
    EXPECT_EQ(c.ok, Str_Read_Text(&src, text, &length));
    if (c.ok) EXPECT_EQ(c.text, std::string(text, length));
    EXPECT_EQ(c.text.c_str(), std::string(text));  // a reader that gives up leaves the empty text
    for (size_t i = STR_TEXT_AREA; i < sizeof text; i++) ASSERT_EQ('C', text[i]);
  }
}

// The program reads from a stream, mkloc and the fuzzers from memory: the
// same bytes must deliver the same texts.
TEST(StrrezRead, FileAndMemoryDeliverTheSame) {
  StrFile f;
  f.Key("MSG_A").Text("ENG", "English\\nline").Text("FRA", "").Text("JPN", "\x83^0");
  f.Key("MSG_B").Text("FRA", "").Text("ENG", "late").In_Given_Order();
  f.Key("MSG_FAR").Pair("ENG", 100000);
  f.Key("MSG_LAST").Pair("ENG", f.Raw_Text("unclosed"));
  std::string bytes = f.Bytes();
  FILE* file = tmpfile();
  ASSERT_NE(nullptr, file);
  fwrite(bytes.data(), 1, bytes.size(), file);
  Byte_Source fromFile, fromMemory;
  Bytes_From_File(&fromFile, file);
  Bytes_From_Memory(&fromMemory, bytes.data(), bytes.size());
  Loaded l;
  Load(bytes, &l);
  ASSERT_EQ(1, l.ok);
  struct Case {
    const char* key;
    const char* code;
    const char* text;
  } cases[] = {
      {"MSG_A", "ENG", "English\nline"}, {"MSG_A", "FRA", "English\nline"}, {"MSG_A", "JPN", "\x83^0"},
      {"MSG_B", "FRA", ""},              {"MSG_B", "GER", "late"},          {"MSG_FAR", "ENG", ""},
      {"MSG_LAST", "ENG", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.code);
    Str_Pick pick;
    Str_Find_Pick(l.index.text, (size_t)l.index.textBase, c.key, c.code, &pick);
    char a[STR_TEXT_AREA], b[STR_TEXT_AREA];
    Str_Read_Picked(&fromFile, l.index.textBase, &pick, a);
    Str_Read_Picked(&fromMemory, l.index.textBase, &pick, b);
    EXPECT_STREQ(c.text, a);
    EXPECT_STREQ(c.text, b);
  }
  fclose(file);
}

TEST(StrrezRead, FillPlaceholdersKnowsTheBufferSize) {
  const char* copies[] = {"A", "BB", nullptr};
  struct Case {
    std::string text;
    int count;
    size_t size;
    int fits;
    const char* out;
  } cases[] = {
      {"x^0y^1z", 2, 16, 1, "xAyBBz"},
      {"[^2][^9]", 3, 16, 1, "[][]"},  // a missing copy and a digit with none
      {"^^0^", 1, 16, 1, "^A^"},
      {"abc^0", 1, 5, 1, "abcA"},
      {"abc^0", 1, 4, 0, nullptr},
      {"abcd", 0, 4, 0, nullptr},
      {"", 0, 1, 1, ""},
      {"a", 0, 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<char> out(c.size + 8, 'C');
    EXPECT_EQ(c.fits, Str_Fill_Placeholders(c.text.c_str(), copies, c.count, out.data(), c.size));
    if (c.out) EXPECT_STREQ(c.out, out.data());
    for (size_t i = c.size; i < out.size(); i++) ASSERT_EQ('C', out[i]) << i;
  }
}

}  // namespace
