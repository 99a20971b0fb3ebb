// Ask_User without a window: which texts the prompt shows, what it answers,
// and what the log holds afterwards, with a real string file in slot 0.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "fakes/log_fake.h"
#include "fakes/prompts_fake.h"
#include "fakes/platform_fake.h"
#include "prompts/prompts.h"
#include "prompts/prompts_internal.h"
#include "strfile_writer.h"
#include "strrez/strrez.h"
#include "temp_folder.h"

namespace {

const std::string kLongKey = "MSG_" + std::string(300, 'K');

class Prompts : public ::testing::Test {
 protected:
  void SetUp() override {
    Prompts_Fake_Reset();
    Log_Fake_Reset();
    Platform_Fake_Reset();
    path_ = dir_.File("prompts.loc");
  }
  void TearDown() override { Str_Close(0); }
  // Slot 0 holds a small string file, opened on a system of the given language.
  void Load(unsigned short system_language) {
    StrFile f;
    f.Key("MSG_Button_OK").Text("ENG", "OK").Text("FRA", "D'accord");
    f.Key("MSG_Button_Cancel").Text("ENG", "Cancel").Text("FRA", "Annuler");
    f.Key("MSG_Message_NoDOCINI2").Text("ENG", "No manuals.").Text("FRA", "Aucun manuel.");
    f.Key("MSG_Empty").Text("ENG", "").Text("FRA", "");
    ASSERT_EQ(1, Write_Bytes(path_, f.Bytes()));
    Platform_Fake.system_language = system_language;
    ASSERT_EQ(1, Str_Open(0, path_.c_str()));
  }
  // The prompts' lines in the log, from "User Choice:" on (header and prefixes dropped).
  static std::vector<std::string> Choice_Lines() {
    std::vector<std::string> out;
    std::string log = Log_Fake_Log_Text();
    size_t at = 0;
    while ((at = log.find("User Choice: ", at)) != std::string::npos) {
      size_t end = log.find("\r\n", at);
      out.push_back(log.substr(at, end - at));
      at = end;
    }
    return out;
  }
  Temp_Folder dir_{"prompts"};
  std::string path_;
};

TEST_F(Prompts, ResolvesKeysAndCopiesEverythingElse) {
  Load(1036);
  struct Case {
    std::string text, expect;
  } cases[] = {
      {"MSG_Button_OK", "D'accord"},
      {"MSG_BUTTON_CANCEL", "Annuler"},
      {"msg_Button_OK", "msg_Button_OK"},   // the prefix is case-sensitive
      {"Msg_Button_OK", "Msg_Button_OK"},
      {"MSG", "MSG"},                       // shorter than the prefix
      {"", ""},
      {"MSG_Unknown", ""},                  // missing key: empty, silently
      {kLongKey, ""},                       // too long to be any key
      {"Plain text ^0 \\n", "Plain text ^0 \\n"},
  };
  for (const Case& c : cases) {
    char out[256];
    memset(out, 'X', sizeof out);
    Resolve_Prompt_Text(c.text.c_str(), out, sizeof out);
    EXPECT_EQ(c.expect, out) << c.text;
  }
}

TEST_F(Prompts, CallersKeyIsNotUpperCased) {
  Load(1033);
  char key[] = "MSG_Button_OK";
  char out[256];
  Resolve_Prompt_Text(key, out, sizeof out);
  EXPECT_STREQ("OK", out);
  EXPECT_STREQ("MSG_Button_OK", key);
}

TEST_F(Prompts, CutsOverlongTextsToTheirBuffers) {
  std::string long_text(700, 'q');
  struct {
    char out[PROMPT_LABEL_SIZE];
    char canary[8];
  } s;
  memset(s.canary, 'C', sizeof s.canary);
  Resolve_Prompt_Text(long_text.c_str(), s.out, sizeof s.out);
  EXPECT_EQ(std::string(PROMPT_LABEL_SIZE - 1, 'q'), s.out);
  EXPECT_EQ(0, memcmp(s.canary, "CCCCCCCC", 8));

  // The log line keeps the choice whole and cuts the question's tail.
  std::string label(PROMPT_LABEL_SIZE - 1, 'a');
  std::string question(PROMPT_QUESTION_SIZE - 1, 'q');
  char line[PROMPT_LOG_SIZE];
  Build_Choice_Line(1, question.c_str(), label.c_str(), "b", line, sizeof line);
  std::string head = "User Choice: " + label + "     Question: ";
  ASSERT_EQ((size_t)PROMPT_LOG_SIZE - 1, strlen(line));
  EXPECT_EQ(head, std::string(line, head.size()));
  EXPECT_EQ(std::string(PROMPT_LOG_SIZE - 1 - head.size(), 'q'), line + head.size());

  // Ask_User hands the dialog texts cut to 511 and 255 characters.
  Ask_User(long_text.c_str(), long_text.c_str(), long_text.c_str());
  EXPECT_EQ((size_t)PROMPT_QUESTION_SIZE - 1, Prompts_Fake.question.size());
  EXPECT_EQ((size_t)PROMPT_LABEL_SIZE - 1, Prompts_Fake.first.size());
  EXPECT_EQ((size_t)PROMPT_LABEL_SIZE - 1, Prompts_Fake.second.size());
}

TEST_F(Prompts, ResultPicksTheLoggedChoiceAndPassesThrough) {
  Load(1033);
  struct {
    int result;
    const char* choice;
  } cases[] = {{1, "Yes"}, {2, "No"}, {0, "No"}, {-1, "No"}, {7, "No"}};
  for (const auto& c : cases) {
    Log_Fake_Reset();
    Prompts_Fake.result = c.result;
    EXPECT_EQ(c.result, Ask_User("Go on?", "Yes", "No"));
    std::vector<std::string> lines = Choice_Lines();
    ASSERT_EQ(1u, lines.size()) << c.result;
    EXPECT_EQ(std::string("User Choice: ") + c.choice + "     Question: Go on?", lines[0]);
  }
}

TEST_F(Prompts, NoticeWithKeysShowsLookedUpTextsAndLogsOnceInEnglish) {
  Load(1033);
  Prompts_Fake.result = 1;
  EXPECT_EQ(1, Ask_User("MSG_Message_NoDOCINI2", "MSG_Button_OK", ""));
  EXPECT_EQ(1, Prompts_Fake.shown);
  EXPECT_EQ("No manuals.", Prompts_Fake.question);
  EXPECT_EQ("OK", Prompts_Fake.first);
  EXPECT_EQ("", Prompts_Fake.second);
  EXPECT_EQ(std::vector<std::string>{"User Choice: OK     Question: No manuals."}, Choice_Lines());
  EXPECT_EQ(1033, Str_Set_Language(0, 1033));
}

TEST_F(Prompts, OtherLanguageLogsTwiceSecondInEnglishAndRestoresLanguage) {
  Load(1036);
  unsigned short during = 0;
  Prompts_Fake.during = [&] { during = Str_Set_Language(0, 1036); };
  Prompts_Fake.result = 2;
  EXPECT_EQ(2, Ask_User("MSG_Message_NoDOCINI2", "Plain first", "MSG_Button_Cancel"));
  EXPECT_EQ(1036, during);  // the user sees their own language
  EXPECT_EQ("Aucun manuel.", Prompts_Fake.question);
  EXPECT_EQ("Annuler", Prompts_Fake.second);
  std::vector<std::string> want = {"User Choice: Annuler     Question: Aucun manuel.",
                                   "User Choice: Cancel     Question: No manuals."};
  EXPECT_EQ(want, Choice_Lines());
  EXPECT_EQ(1, Prompts_Fake.shown);  // the English pass shows nothing
  EXPECT_EQ(1036, Str_Set_Language(0, 1036));

  // Plain texts come out the same in both lines.
  Log_Fake_Reset();
  Prompts_Fake.result = 1;
  Ask_User("Plain question", "Plain first", "MSG_Button_Cancel");
  want = {"User Choice: Plain first     Question: Plain question",
          "User Choice: Plain first     Question: Plain question"};
  EXPECT_EQ(want, Choice_Lines());
}

TEST_F(Prompts, KeyWithEmptyTextMakesANotice) {
  Load(1036);
  Prompts_Fake.result = 1;
  Ask_User("MSG_Message_NoDOCINI2", "MSG_Button_OK", "MSG_Empty");
  EXPECT_EQ("", Prompts_Fake.second);
  Ask_User("MSG_Message_NoDOCINI2", "MSG_Button_OK", "MSG_Missing");
  EXPECT_EQ("", Prompts_Fake.second);
}

TEST_F(Prompts, NoStringFileShowsEmptyKeysAndPlainTexts) {
  // A released slot keeps its language: not English here, so the answer is
  // logged twice, identically, and keys give the empty text.
  Load(1036);
  Str_Close(0);
  Prompts_Fake.result = 0;
  EXPECT_EQ(0, Ask_User("Disc missing", "MSG_Button_OK", ""));
  EXPECT_EQ("Disc missing", Prompts_Fake.question);
  EXPECT_EQ("", Prompts_Fake.first);
  std::vector<std::string> want(2, "User Choice:      Question: Disc missing");
  EXPECT_EQ(want, Choice_Lines());
}

}  // namespace
