// mkloc: files it builds read back through the program's own String store,
// every refusal names the source line, and --check / --dump judge finished files.
#include <ctype.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "locfile.h"
#include "shown.h"
#include "strfile_writer.h"
#include "strrez/strrez.h"

namespace {

const short kSlot = 1;  // starts in English; the tests choose the language

std::string Read_All(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string Temp_Path(const std::string& name) {
  const char* dir = getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/mkloc_test_" + std::to_string(getpid()) + "_" + name;
}

struct Built {
  bool ok = false;
  std::string file;
  Loc_Messages msgs;
  std::string All_Errors() const {
    std::string all;
    for (const std::string& e : msgs.errors) all += e + "\n";
    return all;
  }
};

// As mkloc builds: parse, check what the user would see, build.
Built Build(const std::string& source) {
  Built b;
  std::vector<Loc_Entry> entries;
  b.ok = Loc_Parse_Source("src.txt", source.data(), source.size(), &entries, &b.msgs) &&
         Loc_Check_Shown("src.txt", entries, true, &b.msgs) && Loc_Build("OUT.LOC", entries, &b.file, &b.msgs);
  return b;
}

// Looks key up in the built file through the program's reader, in language id.
std::string Program_Get(const std::string& file, const char* key, unsigned short language) {
  std::string path = Temp_Path("get.loc");
  EXPECT_EQ(1, Write_Bytes(path, file));
  EXPECT_EQ(1, Str_Open(kSlot, path.c_str()));
  Str_Set_Language(kSlot, language);
  char keyCopy[256];
  snprintf(keyCopy, sizeof keyCopy, "%s", key);
  char out[256];
  Str_Get(kSlot, keyCopy, out, sizeof out);
  Str_Close(kSlot);
  remove(path.c_str());
  return out;
}

// -------------------------------------------------------------------------
// The shipped texts, built and read back by the program.

class ShippedTexts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string source = Read_All(std::string(DV_SOURCE_DIR) + "/disc/engine_loc.txt");
    ASSERT_FALSE(source.empty());
    std::vector<Loc_Entry> entries;
    Loc_Messages msgs;
    ASSERT_TRUE(Loc_Parse_Source("engine_loc.txt", source.data(), source.size(), &entries, &msgs) &&
                Loc_Check_Shown("engine_loc.txt", entries, true, &msgs) &&
                Loc_Build("ENGINE.LOC", entries, &file_, &msgs))
        << (msgs.errors.empty() ? "" : msgs.errors[0]);
    EXPECT_TRUE(msgs.warnings.empty()) << msgs.warnings[0];
    entries_ = entries;
    path_ = Temp_Path("ENGINE.LOC");
    ASSERT_EQ(1, Write_Bytes(path_, file_));
  }
  static void TearDownTestSuite() { remove(path_.c_str()); }

  void SetUp() override { ASSERT_EQ(1, Str_Open(kSlot, path_.c_str())); }
  void TearDown() override { Str_Close(kSlot); }

  static std::string Get(const char* key, unsigned short language) {
    Str_Set_Language(kSlot, language);
    char keyCopy[64];
    snprintf(keyCopy, sizeof keyCopy, "%s", key);
    char out[256];
    return Str_Get(kSlot, keyCopy, out, sizeof out);
  }

  static std::string file_, path_;
  static std::vector<Loc_Entry> entries_;
};
std::string ShippedTexts::file_, ShippedTexts::path_;
std::vector<Loc_Entry> ShippedTexts::entries_;

struct Language {
  unsigned short id;
  const char* code;
};
const Language kLanguages[] = {
    {1033, "ENG"}, {1034, "SPN"}, {1036, "FRA"}, {1031, "GER"}, {1040, "ITL"},
    {1041, "JPN"}, {1042, "KOR"}, {1028, "MAN"}, {1046, "PRT"}, {2070, "PRT"}, {1054, "TAI"},
};
// The keys as the program's callers spell them.
const char* const kCallerKeys[] = {
    "MSG_Button_OK", "MSG_Button_Cancel", "MSG_Button_CANCEL", "MSG_Message_NoDOCINI2",
    "MSG_Message_InstallNow", "MSG_Message_NeedAcrobat", "MSG_Message_Choose_Manual",
    "MSG_Message_InsertCD",
};

TEST_F(ShippedTexts, EveryKeyInEveryLanguageReadsBackItsOwnText) {
  for (const char* callerKey : kCallerKeys) {
    std::string key = callerKey;
    for (char& c : key) c = (char)toupper((unsigned char)c);
    const Loc_Entry* entry = nullptr;
    for (const Loc_Entry& e : entries_)
      if (e.key == key) entry = &e;
    ASSERT_NE(nullptr, entry) << key;
    for (const Language& lang : kLanguages) {
      const Loc_Text* text = nullptr;
      for (const Loc_Text& t : entry->texts)
        if (t.code == lang.code) text = &t;
      ASSERT_NE(nullptr, text) << key << " has no " << lang.code << " text";
      std::vector<char> want(text->bytes.begin(), text->bytes.end());
      want.push_back('\0');
      Str_Expand_Newlines(want.data());
      EXPECT_EQ(want.data(), Get(callerKey, lang.id)) << key << " in " << lang.code;
    }
  }
}

TEST_F(ShippedTexts, CodePageBytesAreTheWindowsOnes) {
  struct Case {
    const char* key;
    unsigned short language;
    const char* expected;
  } cases[] = {
      // "é" of "ultérieure" and "être" as single 1252 bytes
      {"MSG_Message_InsertCD", 1036,
       "Le programme d'installation du lecteur PDF n'a pas pu \xEAtre lanc\xE9.\n"
       "Ins\xE9rez le disque \"^0\" et cliquez sur OK pour r\xE9\x65ssayer."},
      {"MSG_Message_InstallNow", 1034, "\xBF\x44\x65sea instalar ahora el lector de PDF?"},
      {"MSG_Button_Cancel", 1031, "Abbrechen"},
      {"MSG_Button_Cancel", 1041, "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B"},  // Shift-JIS
      {"MSG_Button_OK", 1042, "\xC8\xAE\xC0\xCE"},                              // 949
      {"MSG_Button_OK", 1028, "\xBD\x54\xA9\x77"},                              // Big5 (950)
      {"MSG_Button_OK", 1054, "\xB5\xA1\xC5\xA7"},                              // 874
      {"MSG_Button_OK", 2057, "OK"},  // a language without a row reads English
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Get(c.key, c.language)) << c.key << " " << c.language;
}

TEST_F(ShippedTexts, FitTheProgramsBuffersAndButtons) {
  for (const Language& lang : kLanguages) {
    // The reader prompt joins two texts with an empty line in 255 bytes.
    std::string need = Get("MSG_Message_NeedAcrobat", lang.id);
    std::string install = Get("MSG_Message_InstallNow", lang.id);
    EXPECT_LE(need.size() + 2 + install.size(), 255u) << lang.code;
    EXPECT_FALSE(need.empty() || install.empty()) << lang.code;

    // The disc prompt holds ^0 once, and the filled text is delivered.
    std::string insert = Get("MSG_Message_InsertCD", lang.id);
    EXPECT_EQ(1, Str_Count_Placeholders(insert.c_str())) << lang.code;
    const char* args[] = {"Installation (v1.5 or greater)"};
    char key[] = "MSG_Message_InsertCD";
    char out[256];
    ASSERT_EQ(out, Str_Format(kSlot, key, out, sizeof out, args, 1));
    EXPECT_NE(nullptr, strstr(out, args[0])) << lang.code << ": " << out;
    EXPECT_EQ(nullptr, strstr(out, "^0")) << lang.code;

    // Buttons are 80 dialog units wide: about 16 average characters with margins.
    for (const char* button : {"MSG_Button_OK", "MSG_Button_Cancel"}) {
      std::string label = Get(button, lang.id);
      EXPECT_FALSE(label.empty()) << button << " " << lang.code;
      EXPECT_LE(label.size(), 16u) << button << " " << lang.code;
    }
  }
}

// -------------------------------------------------------------------------
// Refusals: the source is not built and the message names file and line.

TEST(MklocRefuses, WhatTheProgramCouldNotReadBack) {
  struct Case {
    const char* name;
    std::string source;
    const char* where;
    const char* message;
  } cases[] = {
      // The character is named, and the ones after it counted.
      {"not in 1252", "[MSG_A]\nENG: OK\nFRA: caf\xC3\xA9 \xE6\x97\xA5\n", "src.txt:3: ",
       "MSG_A FRA text holds U+65E5 '\xE6\x97\xA5', which code page 1252 cannot represent"},
      {"hangul not in 932", "[MSG_A]\nENG: OK\nJPN: \xED\x99\x95\xEA\xB0\x80\xEA\xB0\x80\n", "src.txt:3: ",
       "MSG_A JPN text holds U+D655 '\xED\x99\x95' (and 2 more such characters), which code page 932 cannot represent"},
      {"invisible character", "[MSG_A]\nENG: OK\nTAI: \xC2\x85\n", "src.txt:3: ",
       "MSG_A TAI text holds U+0085, which code page 874 cannot represent"},
      {"511 bytes", "[MSG_A]\nENG: " + std::string(511, 'x') + "\n", "src.txt:2: ", "at most 510"},
      // 256 characters, but 512 bytes in Shift-JIS
      {"512 bytes in 932", "[MSG_A]\nENG: OK\nJPN: " + [] {
         std::string s;
         for (int i = 0; i < 256; i++) s += "\xE4\xB8\x80";  // 一
         return s;
       }() + "\n",
       "src.txt:3: ", "512 bytes in code page 932"},
      {"zero byte", std::string("[MSG_A]\nENG: a\0b\n", 16), "src.txt:2: ", "zero byte"},
      {"end mark", "[MSG_A]\nENG: a^^b\n", "src.txt:2: ", "two carets"},
      {"missing ENG", "[MSG_A]\nFRA: a\n", "src.txt:1: ", "MSG_A has no ENG text"},
      {"empty ENG", "[MSG_A]\nENG: \n", "src.txt:2: ", "is empty"},
      {"space in key", "[MSG A]\nENG: a\n", "src.txt:1: ", "no spaces"},
      {"lower case key", "[MSG_a]\nENG: a\n", "src.txt:1: ", "lower-case"},
      {"duplicate key", "[MSG_A]\nENG: a\n\n[MSG_A]\nENG: b\n", "src.txt:4: ", "duplicate key MSG_A (first at line 1)"},
      {"duplicate language", "[MSG_A]\nENG: a\nFRA: b\nFRA: c\n", "src.txt:4: ", "second FRA text (first at line 3)"},
      {"unknown code", "[MSG_A]\nENG: a\nXYZ: b\n", "src.txt:3: ", "unknown language code"},
      {"bad UTF-8", "[MSG_A]\nENG: a\xFF\n", "src.txt:2: ", "not valid UTF-8"},
      {"text before key", "ENG: a\n", "src.txt:1: ", "before the first [KEY]"},
      {"stray line", "[MSG_A]\nENG: a\nhello\n", "src.txt:3: ", "expected"},
      // Shift-JIS bytes of タ are 83 5E: a caret to the program.
      {"932 caret and digit", "[MSG_A]\nENG: a\nJPN: \xE3\x82\xBF" "1\n", "src.txt:3: ", "placeholders differently"},
      {"932 caret pair", "[MSG_A]\nENG: a\nJPN: \xE3\x82\xBF^\n", "src.txt:3: ", "two carets"},
      // 表 is 95 5C in Shift-JIS: with an n after it, a line break to the program.
      {"932 backslash n", "[MSG_A]\nENG: a\nJPN: \xE8\xA1\xA8n\n", "src.txt:3: ", "line breaks differently"},
      {"nothing", "# only a comment\n", "src.txt: ", "no [KEY] entries"},
  };
  for (const Case& c : cases) {
    Built b = Build(c.source);
    EXPECT_FALSE(b.ok) << c.name;
    EXPECT_TRUE(b.file.empty()) << c.name;
    std::string want = std::string(c.where);
    bool found = false;
    for (const std::string& e : b.msgs.errors)
      found |= e.compare(0, want.size(), want) == 0 && e.find(c.message) != std::string::npos;
    EXPECT_TRUE(found) << c.name << ": wanted " << c.where << "... " << c.message << ", got:\n" << b.All_Errors();
  }
}

TEST(MklocAccepts, LimitsAndFormatDetails) {
  // 510 bytes is the longest text the program reads; a trailing caret and a
  // lone caret stay; CRLF lines, a byte order mark and "FRA:" (empty, so
  // English shows) are fine.
  std::string longest(510, 'y');
  Built b = Build("\xEF\xBB\xBF# c\r\n[MSG_A]\r\nENG: " + longest + "\r\nFRA:\r\n\n[MSG_B]\nENG: up^\nGER: a ^ b\n");
  ASSERT_TRUE(b.ok) << b.All_Errors();
  EXPECT_TRUE(b.msgs.warnings.empty()) << b.msgs.warnings[0];  // a key the program never asks for is never cut
  std::string path = Temp_Path("limits.loc");
  ASSERT_EQ(1, Write_Bytes(path, b.file));
  ASSERT_EQ(1, Str_Open(kSlot, path.c_str()));
  char out[1024];
  char key[] = "MSG_A";
  Str_Set_Language(kSlot, 1036);
  Str_Get(kSlot, key, out, sizeof out);
  EXPECT_EQ(longest.substr(0, 255), std::string(out).substr(0, 255));
  char keyB[] = "MSG_B";
  Str_Set_Language(kSlot, 1033);
  EXPECT_STREQ("up^", Str_Get(kSlot, keyB, out, sizeof out));
  Str_Set_Language(kSlot, 1031);
  EXPECT_STREQ("a ^ b", Str_Get(kSlot, keyB, out, sizeof out));
  Str_Close(kSlot);
  remove(path.c_str());
}

// -------------------------------------------------------------------------
// What the user would see: placeholders the program never fills, and texts it
// cuts or leaves unfilled, in each language (its own texts, else the English
// ones). Each case lists every error the build reports, exactly.

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; i++) out += s;
  return out;
}

// 184 and 94 bytes in code page 1252: with the blank line, 280.
const std::string kNeedGer =
    "Zum Lesen der Handb\xC3\xBC" "cher auf diesem Datentr\xC3\xA4ger wird ein PDF-Reader ab Version 3 "
    "ben\xC3\xB6tigt. Auf diesem Computer wurde kein solches Programm gefunden; ohne ihn bleiben die "
    "Handb\xC3\xBC" "cher zu.";
const std::string kInstallGer =
    "M\xC3\xB6" "chten Sie mit dem Installationsprogramm den PDF-Reader jetzt auf diesem Computer einrichten?";
const std::string kNever = ", which the program never fills: it shows as it stands (only MSG_MESSAGE_INSERTCD's ^0 "
                           "is filled, with the disc's name)";
const std::string kOffer = "the reader offer (need-reader text, blank line, install question) is ";

TEST(MklocShown, RefusesWhatTheUserWouldSeeWrong) {
  struct Case {
    const char* name;
    std::string source;
    std::vector<std::string> errors;  // empty: builds
  } cases[] = {
      {"^0 in every language of a key never filled", "[MSG_BUTTON_OK]\nENG: OK ^0\nGER: OK ^0\n",
       {"src.txt:2: MSG_BUTTON_OK ENG text holds ^0" + kNever, "src.txt:3: MSG_BUTTON_OK GER text holds ^0" + kNever}},
      {"^0 in the English text alone blames the English line", "[MSG_BUTTON_OK]\nENG: OK ^0\nGER: OK\n",
       {"src.txt:2: MSG_BUTTON_OK ENG text holds ^0" + kNever}},
      {"a key the program never asks for", "[MSG_A]\nENG: disc ^0\n", {"src.txt:2: MSG_A ENG text holds ^0" + kNever}},
      {"a translation drops the disc's name", "[MSG_MESSAGE_INSERTCD]\nENG: Insert ^0\nGER: Legen Sie ein\n",
       {"src.txt:3: GER text of MSG_MESSAGE_INSERTCD drops the placeholder ^0 that the ENG text (line 2) has"}},
      {"a translation adds it", "[MSG_MESSAGE_INSERTCD]\nENG: Insert the disc\nFRA: Ins\xC3\xA9rez ^0\n",
       {"src.txt:3: FRA text of MSG_MESSAGE_INSERTCD adds the placeholder ^0, which the ENG text (line 2) does not have"}},
      {"the English text is the wrong one", "[MSG_MESSAGE_INSERTCD]\nENG: Insert ^1\nGER: Legen Sie ^0 ein\n",
       {"src.txt:2: MSG_MESSAGE_INSERTCD ENG text holds ^1, which the program never fills (it fills one ^0, with the "
        "disc's name)"}},
      {"two placeholders", "[MSG_MESSAGE_INSERTCD]\nENG: ^0 or ^0\n",
       {"src.txt:2: MSG_MESSAGE_INSERTCD ENG text holds ^0 more than once (the program fills one ^0, with the disc's "
        "name)"}},
      {"German reader offer", "[MSG_MESSAGE_NEEDACROBAT]\nENG: A PDF reader is needed.\nGER: " + kNeedGer +
       "\n[MSG_MESSAGE_INSTALLNOW]\nENG: Install it now?\nGER: " + kInstallGer + "\n",
       {"src.txt:6: GER: " + kOffer + "280 bytes; the prompt shows 255 and cuts it after \"\xE2\x80\xA6-Reader jetzt auf di\""}},
      // French shows its own need-reader text and the English question, cut in the English line.
      {"a language with the English question", "[MSG_MESSAGE_NEEDACROBAT]\nENG: Needed.\nFRA: " + std::string(240, 'f') +
       "\n[MSG_MESSAGE_INSTALLNOW]\nENG: Install it now?\n",
       {"src.txt:5: FRA: " + kOffer + "257 bytes; the prompt shows 255 and cuts it after \"\xE2\x80\xA6" "fffff\\n\\nInstall it no\""}},
      // French shows the English texts: the English finding is said once.
      {"a language showing only English", "[MSG_MESSAGE_NEEDACROBAT]\nENG: " + std::string(250, 'e') +
       "\n[MSG_MESSAGE_INSTALLNOW]\nENG: Install it now?\n[MSG_BUTTON_OK]\nENG: OK\nFRA: OK\n",
       {"src.txt:4: ENG: " + kOffer + "267 bytes; the prompt shows 255 and cuts it after \"\xE2\x80\xA6" "eeeeeeeeeeeeeee\\n\\nIns\""}},
      {"256 bytes after the line break", "[MSG_MESSAGE_CHOOSE_MANUAL]\nENG: " + std::string(250, 'a') + "\\nbcdef\n",
       {"src.txt:2: ENG: MSG_MESSAGE_CHOOSE_MANUAL is 256 bytes; the program shows 255 and cuts it after "
        "\"\xE2\x80\xA6" "aaaaaaaaaaaaaaa\\nbcde\""}},
      {"255 bytes after the line break", "[MSG_MESSAGE_CHOOSE_MANUAL]\nENG: " + std::string(250, 'a') + "\\nbcde\n", {}},
      // 260 bytes in Shift-JIS: the cut splits the 128th character, which is left out.
      {"Japanese cut inside a character", "[MSG_BUTTON_CANCEL]\nENG: Cancel\nJPN: " + Repeat("\xE3\x81\x82", 130) + "\n",
       {"src.txt:3: JPN: MSG_BUTTON_CANCEL is 260 bytes; the program shows 255 and cuts it after \"\xE2\x80\xA6" +
        Repeat("\xE3\x81\x82", 20) + "\""}},
      {"the no-manuals prompt shows 510 bytes whole", "[MSG_MESSAGE_NODOCINI2]\nENG: " + std::string(510, 'n') + "\n", {}},
      {"insert-disc text filled to 256 bytes", "[MSG_MESSAGE_INSERTCD]\nENG: " + std::string(226, 'i') + "^0\n",
       {"src.txt:2: ENG: MSG_MESSAGE_INSERTCD filled with the disc's name \"Installation (v1.5 or greater)\" is 256 "
        "bytes; the program fills it only below 256, so the user sees the text unfilled, with the raw \"^0\" in it"}},
      {"insert-disc text filled to 255 bytes", "[MSG_MESSAGE_INSERTCD]\nENG: " + std::string(225, 'i') + "^0\n", {}},
  };
  for (const Case& c : cases) {
    Built b = Build(c.source);
    EXPECT_EQ(c.errors.empty(), b.ok) << c.name;
    EXPECT_EQ(c.errors, b.msgs.errors) << c.name;
    EXPECT_EQ(c.errors.empty(), !b.file.empty()) << c.name;
  }
}

// -------------------------------------------------------------------------
// Index order: the program takes a key's first occurrence anywhere in the index.

TEST(MklocOrder, EveryKeyFindsItsOwnEntry) {
  struct Case {
    const char* name;
    std::vector<std::string> keys;  // in source order
  } cases[] = {
      {"longer keys first in the source", {"MSG_AB_C", "MSG_AB", "MSG_A", "B_C"}},
      {"a key inside another's middle", {"XMSG_AX", "MSG_A", "SG"}},
      {"a key inside a language code", {"MSG_X", "NG"}},
  };
  for (const Case& c : cases) {
    std::string source;
    for (const std::string& k : c.keys) source += "[" + k + "]\nENG: text of " + k + "\nFRA: texte de " + k + "\n";
    Built b = Build(source);
    ASSERT_TRUE(b.ok) << c.name << "\n" << b.All_Errors();
    for (const std::string& k : c.keys) {
      EXPECT_EQ("text of " + k, Program_Get(b.file, k.c_str(), 1033)) << c.name;
      EXPECT_EQ("texte de " + k, Program_Get(b.file, k.c_str(), 1036)) << c.name;
    }
  }
}

TEST(MklocOrder, RefusesWhenNoOrderWorks) {
  struct Case {
    const char* name;
    const char* source;
  } cases[] = {
      // Every entry lists ENG and FRA, so whichever comes second is found inside the first.
      {"two language codes as keys", "[ENG]\nENG: a\nFRA: b\n[FRA]\nENG: c\nFRA: d\n"},
      // The header's digits come before any entry.
      {"a key of digits", "[0]\nENG: a\n"},
  };
  for (const Case& c : cases) {
    Built b = Build(c.source);
    EXPECT_FALSE(b.ok) << c.name;
    EXPECT_NE(std::string::npos, b.All_Errors().find("would find this key first")) << c.name << "\n" << b.All_Errors();
    EXPECT_NE(std::string::npos, b.All_Errors().find("refusing to write")) << c.name;
  }
}

// -------------------------------------------------------------------------
// --check: a finished file read back as the program reads it.

TEST(MklocCheck, ReportsWhatTheProgramWouldMisread) {
  struct Case {
    const char* name;
    std::string file;
    const char* message;  // empty: the file is fine
  } cases[] = {
      {"good", StrFile().Key("MSG_A").Text("ENG", "a").Text("FRA", "\xE9").Bytes(), ""},
      {"longer key earlier", StrFile().Key("MSG_AB").Text("ENG", "x").Key("MSG_A").Text("ENG", "y").Bytes(),
       "MSG_A: the program would find this key first"},
      {"ENG not first", StrFile().Key("MSG_A").Text("FRA", "x").Text("ENG", "y").In_Given_Order().Bytes(),
       "ENG pair is not listed first"},
      {"no ENG", StrFile().Key("MSG_A").Text("FRA", "x").Bytes(), "no ENG text"},
      {"count too large", StrFile().Key("MSG_A").Text("ENG", "x").Count("2").Bytes(), "index ends inside"},
      {"count past the pairs, entry follows",
       StrFile().Key("MSG_A").Text("ENG", "x").Count("2").Key("MSG_B").Text("ENG", "y").Bytes(),
       "MSG_A: the count says 2 pairs, but the entry ends after 1"},
      {"count not a number", StrFile().Key("MSG_A").Text("ENG", "x").Count("x").Bytes(), "not a number"},
      {"lower-case key", [] {
         StrFile f;
         f.Raw_Index("msg_a 1 ENG " + std::to_string(f.Raw_Text("a^^\r\n")) + " \r\n");
         return f.Bytes();
       }(),
       "lower-case"},
      {"text without end mark", [] {
         StrFile f;
         f.Key("MSG_A").Pair("ENG", f.Raw_Text("no end"));
         return f.Bytes();
       }(),
       "not closed"},
      {"offset past the end", StrFile().Key("MSG_A").Pair("ENG", 9999).Bytes(), "not closed"},
      {"511-byte text", StrFile().Key("MSG_A").Text("ENG", std::string(511, 'z')).Bytes(), "not closed"},
      {"not Shift-JIS", StrFile().Key("MSG_A").Text("ENG", "a").Text("JPN", "\x81").Bytes(),
       "not valid in code page 932"},
      {"placeholder the program never fills",
       StrFile().Key("MSG_MESSAGE_INSERTCD").Text("ENG", "^0").Text("FRA", "^1").Bytes(),
       "F.LOC: MSG_MESSAGE_INSERTCD FRA text holds ^1, which the program never fills"},
      {"placeholder dropped", StrFile().Key("MSG_MESSAGE_INSERTCD").Text("ENG", "^0").Text("FRA", "CD").Bytes(),
       "F.LOC: FRA text of MSG_MESSAGE_INSERTCD drops the placeholder ^0 that the ENG text has\n"},
      {"reader offer cut",
       StrFile().Key("MSG_MESSAGE_NEEDACROBAT").Text("ENG", "x").Text("GER", std::string(240, 'n'))
           .Key("MSG_MESSAGE_INSTALLNOW").Text("ENG", "y").Text("GER", std::string(30, 'i')).Bytes(),
       "F.LOC: GER: the reader offer (need-reader text, blank line, install question) is 272 bytes; the prompt "
       "shows 255 and cuts it after \"\xE2\x80\xA6nnnnn\\n\\niiiiiiiiiiiii\"\n"},
      {"duplicate key", StrFile().Key("MSG_A").Text("ENG", "a").Key("MSG_A").Text("ENG", "b").Bytes(),
       "duplicate key"},
      {"short file", "000100\r\nMSG_A 1 ENG 0 \r\n", "would not load"},
      {"negative header", "-00005\r\nabcdefghijk", "negative"},
      {"five bytes", "00000", "shorter than the six-byte header"},
      {"zero byte in index", StrFile().Raw_Index(std::string("\0", 1)).Key("MSG_A").Text("ENG", "a").Bytes(),
       "zero byte in the index"},
  };
  for (const Case& c : cases) {
    std::vector<Loc_Entry> entries;
    Loc_Messages msgs;
    bool ok = Loc_Read("F.LOC", c.file.data(), c.file.size(), &entries, &msgs);
    if (ok) ok = Loc_Check_Shown("F.LOC", entries, true, &msgs);  // as mkloc --check
    std::string all;
    for (const std::string& e : msgs.errors) all += e + "\n";
    if (!*c.message) {
      EXPECT_TRUE(ok) << c.name << "\n" << all;
      continue;
    }
    EXPECT_FALSE(ok) << c.name;
    EXPECT_NE(std::string::npos, all.find(c.message)) << c.name << ": wanted " << c.message << ", got:\n" << all;
  }
}

// -------------------------------------------------------------------------
// The program itself, as an author runs it.

struct Tool_Result {
  int status;
  std::string out;
};

Tool_Result Run_Mkloc(const std::string& args) {
  std::string outPath = Temp_Path("stdout");
  std::string cmd = std::string(DV_MKLOC) + " " + args + " >" + outPath + " 2>&1";
  int raw = system(cmd.c_str());
  Tool_Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read_All(outPath)};
  remove(outPath.c_str());
  return r;
}

TEST(MklocProgram, BuildCheckDumpAndRefuse) {
  std::string source = std::string(DV_SOURCE_DIR) + "/disc/engine_loc.txt";
  std::string loc = Temp_Path("E.LOC"), dumped = Temp_Path("dump.txt"), again = Temp_Path("E2.LOC");

  Tool_Result build = Run_Mkloc(source + " " + loc);
  ASSERT_EQ(0, build.status) << build.out;
  Tool_Result check = Run_Mkloc("--check " + loc);
  EXPECT_EQ(0, check.status) << check.out;
  EXPECT_NE(std::string::npos, check.out.find("is fine: 7 keys, 70 texts")) << check.out;

  // A dump is a source that builds the same file again.
  ASSERT_EQ(0, system((std::string(DV_MKLOC) + " --dump " + loc + " >" + dumped).c_str()));
  EXPECT_NE(std::string::npos, Read_All(dumped).find("FRA: Voulez-vous installer le lecteur PDF maintenant ?\n"));
  ASSERT_EQ(0, Run_Mkloc(dumped + " " + again).status);
  EXPECT_EQ(Read_All(loc), Read_All(again));

  // A broken file: exit status 1 and the problem named.
  std::string broken = Read_All(loc);
  broken.resize(broken.size() - 3);  // the last text loses its end mark
  ASSERT_EQ(1, Write_Bytes(loc, broken));
  check = Run_Mkloc("--check " + loc);
  EXPECT_EQ(1, check.status);
  EXPECT_NE(std::string::npos, check.out.find("not closed")) << check.out;

  // A refused source writes nothing, not even over an old file.
  std::string bad = Temp_Path("bad.txt"), target = Temp_Path("NEW.LOC");
  ASSERT_EQ(1, Write_Bytes(bad, "[MSG_A]\nFRA: x\n"));
  Tool_Result refused = Run_Mkloc(bad + " " + target);
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.out.find("bad.txt:1: MSG_A has no ENG text")) << refused.out;
  EXPECT_NE(0, access(target.c_str(), F_OK));

  // A text the program cuts refuses the build; --allow-cut builds it with a
  // warning, and --check still reports it. A placeholder is refused either way.
  std::string cut = Temp_Path("cut.txt"), cutLoc = Temp_Path("CUT.LOC");
  ASSERT_EQ(1, Write_Bytes(cut, "[MSG_MESSAGE_CHOOSE_MANUAL]\nENG: " + std::string(300, 'c') + "\n"));
  const std::string cutFinding = ": ENG: MSG_MESSAGE_CHOOSE_MANUAL is 300 bytes; the program shows 255 and cuts it after \"";
  refused = Run_Mkloc(cut + " " + cutLoc);
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ(0u, refused.out.find(cut + ":2" + cutFinding)) << refused.out;  // an error, not a warning
  EXPECT_NE(0, access(cutLoc.c_str(), F_OK));
  Tool_Result allowed = Run_Mkloc("--allow-cut " + cut + " " + cutLoc);
  EXPECT_EQ(0, allowed.status) << allowed.out;
  EXPECT_NE(std::string::npos, allowed.out.find("warning: " + cut + ":2" + cutFinding)) << allowed.out;
  check = Run_Mkloc("--check " + cutLoc);
  EXPECT_EQ(1, check.status);
  EXPECT_NE(std::string::npos, check.out.find(cutLoc + cutFinding)) << check.out;
  ASSERT_EQ(1, Write_Bytes(bad, "[MSG_BUTTON_OK]\nENG: OK ^0\n"));
  refused = Run_Mkloc("--allow-cut " + bad + " " + target);
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.out.find(bad + ":2: MSG_BUTTON_OK ENG text holds ^0")) << refused.out;
  EXPECT_NE(0, access(target.c_str(), F_OK));

  EXPECT_EQ(2, Run_Mkloc("").status);
  EXPECT_EQ(2, Run_Mkloc("--check " + Temp_Path("missing")).status);
  for (const std::string& p : {loc, dumped, again, bad, cut, cutLoc}) remove(p.c_str());
}

}  // namespace
