// The String store with the real Windows calls: the system language (run once
// per locale, the expectation in DV_EXPECT_LANGUAGE / DV_EXPECT_CODE), the Thai
// test through WIN.INI's [intl] sCountry, and a file made by the writer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "strfile_writer.h"
#include "strrez/strrez.h"
#include "winfiles.h"

namespace {

const char* const kCodes[] = {"ENG", "SPN", "FRA", "GER", "ITL", "JPN", "KOR", "MAN", "PRT", "TAI"};

unsigned short Expected_Language() {
  const char* v = getenv("DV_EXPECT_LANGUAGE");
  return (unsigned short)(v != nullptr ? atoi(v) : 1033);
}
std::string Expected_Code() {
  const char* v = getenv("DV_EXPECT_CODE");
  return v != nullptr ? v : "ENG";
}

std::string Get(short slot, const char* key) {
  char k[64];
  snprintf(k, sizeof k, "%s", key);
  char out[256];
  Str_Get(slot, k, out, sizeof out);
  return out;
}

// Sets HKCU\Control Panel\International\sCountry for one test and puts the
// old value (or its absence) back afterwards.
class Country {
 public:
  explicit Country(const char* value) {
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0,
                                             nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                                             &key_, nullptr));
    DWORD size = sizeof old_ - 1, type = 0;
    had_ = RegQueryValueExA(key_, "sCountry", nullptr, &type, (BYTE*)old_, &size) == ERROR_SUCCESS &&
           type == REG_SZ;
    old_size_ = size;
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key_, "sCountry", 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1));
  }
  ~Country() {
    if (had_)
      RegSetValueExA(key_, "sCountry", 0, REG_SZ, (const BYTE*)old_, old_size_);
    else
      RegDeleteValueA(key_, "sCountry");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  char old_[256] = {};
  DWORD old_size_ = 0;
  bool had_ = false;
};

class Language : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE("", dir_.Path());
    path_ = dir_.File("lang.loc");
    StrFile f;
    f.Key("MSG_LANG");
    for (const char* code : kCodes) f.Text(code, code);
    ASSERT_EQ(1, Write_Bytes(path_, f.Bytes()));
  }
  void TearDown() override { Str_Close(0); }
  Temp_Folder dir_{"dvstrrez"};
  std::string path_;
};

TEST_F(Language, SystemLanguageOfThisLocale) {
  EXPECT_EQ(Expected_Language(), Str_System_Language());
  ASSERT_EQ(1, Str_Open(0, path_.c_str()));
  EXPECT_EQ(Expected_Code(), Get(0, "MSG_LANG"));
  EXPECT_EQ(Expected_Language(), Str_Set_Language(0, 1033));
}

TEST_F(Language, ThaiIsRecognisedByCountryOnlyOnEnglishSystems) {
  // The Thai test runs only when the folded system language is English.
  bool english = Expected_Language() == 1033;
  for (const char* value : {"Thailand", "THAILAND"}) {
    SCOPED_TRACE(value);
    Country thai(value);
    EXPECT_EQ(english ? 1054 : Expected_Language(), Str_System_Language());
    ASSERT_EQ(1, Str_Open(0, path_.c_str()));
    EXPECT_EQ(english ? "TAI" : Expected_Code(), Get(0, "MSG_LANG"));
    Str_Close(0);
  }
  Country other("Thai land");
  EXPECT_EQ(Expected_Language(), Str_System_Language());
}

TEST(StringFile, WriterFileLoadsAndAnswers) {
  Temp_Folder dir("dvstrrez");
  ASSERT_NE("", dir.Path());
  std::string path = dir.File("round.loc");
  StrFile f;
  f.Key("MSG_Button_OK").Text("FRA", "D'accord").Text("ENG", "OK");
  f.Key("MSG_Message_InsertCD").Text("ENG", "Insert the disc with ^0.\\nThen press OK.");
  f.Key("MSG_Empty").Text("ENG", "English").Text("GER", "");
  ASSERT_EQ(1, Write_Bytes(path, f.Bytes()));

  ASSERT_EQ(1, Str_Open(2, path.c_str()));  // slots other than 0 start in English
  EXPECT_EQ(0, Str_Open(2, path.c_str()));
  char key[] = "MSG_Button_OK";
  char out[256];
  EXPECT_STREQ("OK", Str_Get(2, key, out, sizeof out));
  EXPECT_STREQ("MSG_BUTTON_OK", key);
  EXPECT_EQ(1033, Str_Set_Language(2, 1036));
  EXPECT_EQ("D'accord", Get(2, "MSG_Button_OK"));
  EXPECT_EQ(1036, Str_Set_Language(2, 1031));
  EXPECT_EQ("English", Get(2, "MSG_Empty"));

  char fkey[] = "MSG_Message_InsertCD";
  const char* args[] = {"Installation (v1.5 or greater)"};
  EXPECT_STREQ("Insert the disc with Installation (v1.5 or greater).\nThen press OK.",
               Str_Format(2, fkey, out, sizeof out, args, 1));
  Str_Close(2);
  EXPECT_EQ("", Get(2, "MSG_Button_OK"));
}

}  // namespace
