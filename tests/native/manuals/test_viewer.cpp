// Reader detection and installer start against the native stand-ins of the
// registry, the file probe, WinExec, the prompt and the log.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/buf.h"
#include "base/program.h"
#include "fakes/log_fake.h"
#include "fakes/manuals_fake.h"
#include "fakes/prompts_fake.h"
#include "manuals/viewer.h"

namespace {

using Calls = std::vector<std::string>;

TEST(ViewerClass, WholeNameWithAsciiCaseIgnored) {
  struct Case {
    const char* text;
    int want;
  } cases[] = {
      {"AcroExch.Document", 1}, {"acroexch.document", 1}, {"ACROEXCH.DOCUMENT", 1},
      {"AcroExch.Document.1", 0}, {"AcroExch.Document ", 0}, {" AcroExch.Document", 0},
      {"AcroExch.Documen", 0}, {"", 0}, {"AcroExch_Document", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Viewer_Class_Is_Reader(c.text)) << c.text;
}

TEST(ViewerVersion, LeadingDecimalNumberOnly) {
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"3", 3}, {"3.0", 3}, {"4.05", 4.05}, {"10", 10}, {"4.0 Extra words", 4},
      {" \t\n+3.5", 3.5}, {"3.", 3}, {".5e1", 5}, {"3e", 3}, {"1e1x", 10}, {"2E+1", 20},
      {"2.1", 2.1}, {"2.99", 2.99}, {"", 0}, {"abc", 0}, {"-4", -4}, {"+.e1", 0},
      // Only decimal numbers count, whatever strtod would make of these.
      {"inf", 0}, {"INFINITY", 0}, {"nan", 0}, {"0x10", 0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(c.want, Viewer_Version_Number(c.text, strlen(c.text))) << c.text;
  // Bytes past the given length are never read.
  EXPECT_DOUBLE_EQ(4, Viewer_Version_Number("45", 1));
  EXPECT_DOUBLE_EQ(0, Viewer_Version_Number("9", 0));
}

TEST(ViewerCommand, PathCutAfterFirstExeUpperCasedUnquoted) {
  struct Case {
    const char *command, *want;
  } cases[] = {
      {"\"C:\\Program Files\\Reader\\PdfRdr32.exe\" \"%1\"",
       "C:\\PROGRAM FILES\\READER\\PDFRDR32.EXE"},
      {"c:\\pdfview3\\reader\\pdfrdr32.exe %1", "C:\\PDFVIEW3\\READER\\PDFRDR32.EXE"},
      {"c:\\tools.Exe\\bin\\pdfrdr32.exe \"%1\"", "C:\\TOOLS.EXE"},
      {"\"C:\\A.exe\"", "C:\\A.EXE"},
      {"C:\\caf\xe9\\r.exe", "C:\\CAF\xe9\\R.EXE"},  // only a-z change
  };
  for (const Case& c : cases) {
    char command[81], out[256];
    BUF_COPY(command, c.command);
    ASSERT_EQ(1, Viewer_Path_From_Command(command, out, sizeof out)) << c.command;
    EXPECT_STREQ(c.want, out);
  }
  for (const char* none : {"", "C:\\READER\\PDFRDR32.EX \"%1\"", "\"C:\\READER\\\""}) {
    char command[81], out[256] = "kept";
    BUF_COPY(command, none);
    EXPECT_EQ(0, Viewer_Path_From_Command(command, out, sizeof out)) << none;
    EXPECT_STREQ("kept", out);
  }
}

TEST(ViewerRegistryValue, TerminatedWhenStoredWithoutTerminatorAndThereIsRoom) {
  struct Case {
    const char* what;
    std::string bytes;  // as the registry handed them over
    long count;
    long size;
    int want;
    std::string text;  // the text afterwards
  } cases[] = {
      {"stored with its terminator", std::string("4.0\0", 4), 4, 81, 1, "4.0"},
      {"terminator filling the buffer", std::string(80, 'a') + '\0', 81, 81, 1, std::string(80, 'a')},
      {"without terminator, room left", "4.0", 3, 81, 1, "4.0"},
      {"without terminator, 80 bytes", std::string(80, 'a'), 80, 81, 1, std::string(80, 'a')},
      {"without terminator, buffer full", std::string(81, 'a'), 81, 81, 0, ""},
      {"empty value", "", 0, 81, 1, ""},
      {"count beyond the buffer", std::string(81, 'a'), 82, 81, 0, ""},
      {"failed read", "abc", -1, 81, 0, ""},
      // An inner zero ends the text as the registry's own terminator would.
      {"zero inside", std::string("3\0xy", 4), 4, 81, 1, "3"},
      {"one-byte buffer", "", 0, 1, 1, ""},
      {"one-byte buffer full", "a", 1, 1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char area[100];
    memset(area, '#', sizeof area);
    memcpy(area, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(c.want, Viewer_Terminate_Value(area, c.count, c.size));
    EXPECT_EQ(c.text, std::string(area));
    EXPECT_EQ('#', area[c.size]);  // nothing written past the buffer
  }
  char untouched = '#';
  EXPECT_EQ(0, Viewer_Terminate_Value(&untouched, 0, 0));
  EXPECT_EQ('#', untouched);
}

TEST(ViewerInstaller, CommandLinesByLanguage) {
  struct Case {
    int language, which;
    const char* want;
  } cases[] = {
      {1033, 0, "\"E:\\doc\\acrowin\\ar40eng.exe\""},
      {1033, 1, "\"E:\\doc\\acrowin\\acrow32.exe\""},
      {1041, 0, "\"E:\\doc\\acrowin\\ar40jpn.exe\""},
      {1041, 1, "\"E:\\doc\\acrowin\\acrow32j.exe\""},
      {1036, 0, "\"E:\\doc\\acrowin\\ar40eng.exe\""},
      {0, 1, "\"E:\\doc\\acrowin\\acrow32.exe\""},
      {1041 + 0x10000, 0, "\"E:\\doc\\acrowin\\ar40eng.exe\""},  // compared as a whole
  };
  for (const Case& c : cases) {
    char out[256];
    EXPECT_EQ(1, Viewer_Installer_Command(c.language, c.which, "E:", out, sizeof out));
    EXPECT_STREQ(c.want, out);
  }
}

TEST(ViewerInstaller, OverLongRootIsReportedCut) {
  struct Case {
    size_t rootLength;
    int language, which, fits;
  } cases[] = {
      {228, 1041, 1, 1},  // the longest command line: exactly 255 characters
      {229, 1041, 1, 0},
      {229, 1041, 0, 1},
      {229, 1033, 1, 1},
      {230, 1033, 0, 0},
      {255, 1033, 0, 0},
  };
  for (const Case& c : cases) {
    std::string root(c.rootLength, 'R');
    char out[256 + 4];
    memset(out, '#', sizeof out);
    EXPECT_EQ(c.fits, Viewer_Installer_Command(c.language, c.which, root.c_str(), out, 256))
        << c.rootLength << " " << c.language << " " << c.which;
    EXPECT_EQ('#', out[256]);
  }
}

// The reader as its installer registers it.
const char kExe[] = "C:\\PROGRAM FILES\\READER\\PDFRDR32.EXE";
void Register_Reader(const std::string& version = "4.0",
                     const std::string& command =
                         "\"C:\\Program Files\\Reader\\PdfRdr32.exe\" \"%1\"") {
  Viewer_Fake.keys[".pdf"][""] = "AcroExch.Document";
  Viewer_Fake.keys["AcroExch.Document"]["AcrobatVersion"] = version;
  Viewer_Fake.keys["AcroExch.Document"]["shell\\open\\command"] = command;
  Viewer_Fake.existing_paths.insert(kExe);
}

class FindViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    Viewer_Fake_Reset();
    Log_Fake_Reset();
    LanguageProbed = 1;
    ViewerPath[0] = '\0';
  }
  void TearDown() override { LanguageProbed = 0; }
};

TEST_F(FindViewer, FindsTheReaderAndLogsTheVersionAsRead) {
  Register_Reader("4.0 Extra words");
  EXPECT_EQ(1, Find_Viewer());
  EXPECT_STREQ(kExe, ViewerPath);
  EXPECT_EQ((Calls{"open .pdf", "read .pdf| size=81", "open AcroExch.Document",
                   "read AcroExch.Document|AcrobatVersion size=81",
                   "read AcroExch.Document|shell\\open\\command size=81",
                   "close AcroExch.Document", "close .pdf", std::string("exists ") + kExe}),
            Viewer_Fake_Calls);
  EXPECT_NE(std::string::npos,
            Log_Fake_Log_Text().find("AcrobatVersion set to 4.0 Extra words\r\n"));
}

TEST_F(FindViewer, NotProbedReadsNothing) {
  Register_Reader();
  LanguageProbed = 0;
  EXPECT_EQ(0, Find_Viewer());
  EXPECT_TRUE(Viewer_Fake_Calls.empty());
  EXPECT_EQ(std::string::npos, Log_Fake_Log_Text().find("AcrobatVersion"));
}

TEST_F(FindViewer, EveryFailureClosesWhatItOpenedInOrder) {
  struct Case {
    const char* name;
    void (*breakIt)();
    bool logged;
  } cases[] = {
      {"no .pdf key", [] { Viewer_Fake.keys.erase(".pdf"); }, false},
      {"no class value", [] { Viewer_Fake.keys[".pdf"].clear(); }, false},
      {"other class", [] { Viewer_Fake.keys[".pdf"][""] = "AcroExch.Document.1"; }, false},
      {"no class key", [] { Viewer_Fake.keys.erase("AcroExch.Document"); }, false},
      {"no version", [] { Viewer_Fake.keys["AcroExch.Document"].erase("AcrobatVersion"); },
       false},
      {"old version", [] { Viewer_Fake.keys["AcroExch.Document"]["AcrobatVersion"] = "2.99"; },
       false},
      {"long version",
       [] { Viewer_Fake.keys["AcroExch.Document"]["AcrobatVersion"] = "4" + std::string(80, ' '); },
       false},
      {"no command",
       [] { Viewer_Fake.keys["AcroExch.Document"].erase("shell\\open\\command"); }, true},
      {"no exe in command",
       [] { Viewer_Fake.keys["AcroExch.Document"]["shell\\open\\command"] = "C:\\READER %1"; },
       true},
      {"program missing", [] { Viewer_Fake.existing_paths.clear(); }, true},
  };
  for (const Case& c : cases) {
    SetUp();
    Register_Reader();
    c.breakIt();
    EXPECT_EQ(0, Find_Viewer()) << c.name;
    EXPECT_EQ(0, Viewer_Fake_Open_Keys()) << c.name;
    size_t closePdf = Viewer_Fake_Calls.size(), closeClass = Viewer_Fake_Calls.size();
    for (size_t i = 0; i < Viewer_Fake_Calls.size(); i++) {
      EXPECT_NE("close-bad", Viewer_Fake_Calls[i]) << c.name;
      if (Viewer_Fake_Calls[i] == "close .pdf") closePdf = i;
      if (Viewer_Fake_Calls[i] == "close AcroExch.Document") closeClass = i;
    }
    if (closeClass != Viewer_Fake_Calls.size()) EXPECT_LT(closeClass, closePdf) << c.name;
    EXPECT_EQ(c.logged, Log_Fake_Log_Text().find("AcrobatVersion set to") != std::string::npos)
        << c.name;
  }
}

TEST_F(FindViewer, MissingProgramLeavesItsPathAndEarlierFailuresLeaveNone) {
  Register_Reader("5", "c:\\tools.exe\\bin\\pdfrdr32.exe \"%1\"");
  EXPECT_EQ(0, Find_Viewer());
  EXPECT_STREQ("C:\\TOOLS.EXE", ViewerPath);  // cut at the folder's ".exe", which is missing
  Viewer_Fake.existing_paths.insert("C:\\TOOLS.EXE");
  EXPECT_EQ(1, Find_Viewer());
  Viewer_Fake.keys["AcroExch.Document"]["shell\\open\\command"] = "C:\\OTHER";
  EXPECT_EQ(0, Find_Viewer());
  EXPECT_STREQ("C:\\TOOLS.EXE", ViewerPath);  // never cleared
}

TEST_F(FindViewer, ValuesStoredWithoutTerminatorReadUpTo80Characters) {
  std::string command = "\"C:\\Program Files\\Reader\\PdfRdr32.exe\" \"%1\"";
  Register_Reader("4.0", command + std::string(80 - command.size(), ' '));
  Viewer_Fake.stored_without_terminator = true;
  EXPECT_EQ(1, Find_Viewer());
  EXPECT_STREQ(kExe, ViewerPath);
  EXPECT_NE(std::string::npos, Log_Fake_Log_Text().find("AcrobatVersion set to 4.0\r\n"));

  SetUp();
  Register_Reader("4.0", command + std::string(81 - command.size(), ' '));
  Viewer_Fake.stored_without_terminator = true;
  EXPECT_EQ(0, Find_Viewer());  // 81 bytes leave no room for the terminator
  EXPECT_STREQ("", ViewerPath);
}

class InstallViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    Viewer_Fake_Reset();
    Log_Fake_Reset();
    Prompts_Fake_Reset();
    Prompts_Fake.result = 2;  // a fault then ends the loop instead of asking for ever
    SystemLanguageId = 1033;
    BUF_COPY(SourceRoot, "E:");
  }
  void TearDown() override {
    SystemLanguageId = 1033;
    SourceRoot[0] = '\0';
  }
};

const std::string kEng1 = "start \"E:\\doc\\acrowin\\ar40eng.exe\"";
const std::string kEng2 = "start \"E:\\doc\\acrowin\\acrow32.exe\"";
const std::string kJpn1 = "start \"E:\\doc\\acrowin\\ar40jpn.exe\"";
const std::string kJpn2 = "start \"E:\\doc\\acrowin\\acrow32j.exe\"";

TEST_F(InstallViewer, StopsAtTheFirstInstallerThatStarts) {
  struct Case {
    std::vector<unsigned> results;
    Calls want;
  } cases[] = {
      {{33}, {kEng1}},
      {{32}, {kEng1}},
      {{31, 32}, {kEng1, kEng2}},
      {{0, 4000}, {kEng1, kEng2}},
  };
  for (const Case& c : cases) {
    SetUp();
    Viewer_Fake.start_results = c.results;
    Install_Viewer();
    EXPECT_EQ(c.want, Viewer_Fake_Calls);
    EXPECT_EQ(0, Prompts_Fake.shown);
  }
}

TEST_F(InstallViewer, AsksForTheDiscUntilTheUserGivesUp) {
  SystemLanguageId = 1041;
  Prompts_Fake.during = [] { Prompts_Fake.result = Prompts_Fake.shown < 4 ? 1 : 2; };
  Install_Viewer();
  EXPECT_EQ(4, Prompts_Fake.shown);
  Calls want;
  for (int pass = 0; pass < 4; pass++) {
    want.push_back(kJpn1);
    want.push_back(kJpn2);
  }
  EXPECT_EQ(want, Viewer_Fake_Calls);
}

TEST_F(InstallViewer, AnyAnswerButTheFirstEndsIt) {
  for (int answer : {0, 2, -1}) {
    SetUp();
    Prompts_Fake.result = answer;
    Install_Viewer();
    EXPECT_EQ(1, Prompts_Fake.shown) << answer;
    EXPECT_EQ((Calls{kEng1, kEng2}), Viewer_Fake_Calls) << answer;
  }
}

TEST_F(InstallViewer, InstallerFoundOnRetryIsStarted) {
  Viewer_Fake.start_results = {2, 2, 2, 42};
  Prompts_Fake.during = [] { Prompts_Fake.result = Prompts_Fake.shown < 2 ? 1 : 2; };
  Install_Viewer();
  EXPECT_EQ(1, Prompts_Fake.shown);
  EXPECT_EQ((Calls{kEng1, kEng2, kEng1, kEng2}), Viewer_Fake_Calls);
}

TEST_F(InstallViewer, CutCommandLineIsNeverStarted) {
  // 229 characters: the Japanese first command line fits, the second does not.
  std::string root = "E:\\" + std::string(226, 'D');
  BUF_COPY(SourceRoot, root.c_str());
  SystemLanguageId = 1041;
  Install_Viewer();
  EXPECT_EQ((Calls{"start \"" + root + "\\doc\\acrowin\\ar40jpn.exe\""}), Viewer_Fake_Calls);
  EXPECT_EQ(1, Prompts_Fake.shown);
  EXPECT_NE(std::string::npos, Log_Fake_Log_Text().find("Installer path too long to start"));
  // Too long for either: nothing is started, the user can still give up.
  SetUp();
  root = "E:\\" + std::string(240, 'D');
  BUF_COPY(SourceRoot, root.c_str());
  Install_Viewer();
  EXPECT_TRUE(Viewer_Fake_Calls.empty());
  EXPECT_EQ(1, Prompts_Fake.shown);
}

}  // namespace
