// Reader detection against the prefix's registry, and the installer start with
// the disc prompt answered by the dialog robot from a second process.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/buf.h"
#include "base/program.h"
#include "manuals/viewer.h"
#include "resources/resource.h"
#include "shell/window.h"
#include "strfile_writer.h"
#include "strrez/strrez.h"
#include "winfiles.h"

namespace {

const std::string kStandIn = Test_Run_Program("/standin.exe");
const std::string kRobot = Test_Run_Program("/robot.exe");

// The version text as the program reads it with the C run-time's own strtod:
// the same numbers as the native build's (see tests/native), and the same side
// of 3 for texts that only round to it.
TEST(ViewerVersionCrt, SameNumbersAsEverywhere) {
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"3", 3}, {"3.0", 3}, {"4.05", 4.05}, {"10", 10}, {"2.99", 2.99}, {"1e1", 10},
      {"1e1x", 10}, {"2E+1", 20}, {".5e1", 5}, {"3e", 3}, {"-4", -4}, {"30e-1", 3},
      {"0.3e1", 3}, {"299e-2", 2.99}, {"2.9999999999999999", 3}, {"2.999999999999999", 2.999999999999999},
      {"1e400", HUGE_VAL}, {"1e-400", 0}, {"inf", 0}, {"0x10", 0}, {"", 0},
  };
  for (const Case& c : cases) {
    double got = Viewer_Version_Number(c.text, strlen(c.text));
    EXPECT_DOUBLE_EQ(c.want, got) << c.text;
    EXPECT_EQ(c.want < 3.0, got < 3.0) << c.text;
  }
}

// ---- the registry, as the reader's installer would leave it ----------------

// Written in the registry's 64-bit view, as the whole harness writes: the i686
// build of this test and of the program read these classes there too.
const REGSAM kView = KEY_WOW64_64KEY;
const char kClasses[] = "Software\\Classes\\";
const char* const kKeys[] = {"Software\\Classes\\.pdf", "Software\\Classes\\AcroExch.Document"};

// RegDeleteTree opens the subkeys without a view, so the tree goes key by key.
bool Delete_Tree(HKEY parent, const char* name) {
  HKEY h;
  if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS | kView, &h) != ERROR_SUCCESS) return false;
  char sub[256];
  DWORD size = sizeof sub;
  while (RegEnumKeyExA(h, 0, sub, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS &&
         Delete_Tree(h, sub))
    size = sizeof sub;
  RegCloseKey(h);
  return RegDeleteKeyExA(parent, name, kView, 0) == ERROR_SUCCESS;
}

void Clear_Registry() {
  HKEY classes;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, KEY_ALL_ACCESS | kView,
                    &classes) != ERROR_SUCCESS)
    return;
  for (const char* key : kKeys) Delete_Tree(classes, key + sizeof kClasses - 1);
  RegCloseKey(classes);
}

// A null value leaves that value out; a null class leaves the ".pdf" key out.
void Set_Default(const std::string& key, const char* value) {
  HKEY h;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0,
                                           KEY_ALL_ACCESS | kView, NULL, &h, NULL));
  if (value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, NULL, 0, REG_SZ, (const BYTE*)value,
                                            (DWORD)strlen(value) + 1));
  }
  RegCloseKey(h);
}

struct Registry {
  const char* cls = "AcroExch.Document";
  const char* version = "4.0";
  const char* command = "\"C:\\dvviewer\\Reader Dir\\PdfRdr32.exe\" \"%1\"";
  bool classKey = true;
};

void Write_Registry(const Registry& r) {
  Clear_Registry();
  if (r.cls) Set_Default(kKeys[0], r.cls);
  if (!r.classKey) return;
  std::string doc = kKeys[1];
  Set_Default(doc, NULL);
  if (r.version) Set_Default(doc + "\\AcrobatVersion", r.version);
  if (r.command) Set_Default(doc + "\\shell\\open\\command", r.command);
}

const char kReaderExe[] = "C:\\DVVIEWER\\READER DIR\\PDFRDR32.EXE";
const char kLogPath[] = "C:\\durivade\\tamlo.log";

class FindViewerWin : public ::testing::Test {
 protected:
  void SetUp() override {
    Remove_Tree("C:\\dvviewer");
    CreateDirectoryA("C:\\dvviewer", NULL);
    CreateDirectoryA("C:\\dvviewer\\Reader Dir", NULL);
    ASSERT_TRUE(CopyFileA(kStandIn.c_str(), "C:\\dvviewer\\Reader Dir\\PdfRdr32.exe", FALSE));
    CreateDirectoryA("C:\\durivade", NULL);
    DeleteFileA("C:\\durivade\\records.ini");  // the default log level; earlier tests may leave one
    LanguageProbed = 1;
    ViewerPath[0] = '\0';
  }
  void TearDown() override {
    Clear_Registry();
    Remove_Tree("C:\\dvviewer");
    LanguageProbed = 0;
  }
};

TEST_F(FindViewerWin, RegistryCases) {
  std::string pad80 = "4" + std::string(79, ' '), pad81 = pad80 + " ";
  std::string cmd80 = std::string(kReaderExe) + " \"%1\"";
  cmd80 += std::string(80 - cmd80.size(), ' ');
  std::string cmd81 = cmd80 + " ";
  struct Case {
    const char* name;
    Registry reg;
    int want;
    const char* path;  // ViewerPath afterwards
    bool logged;
  } cases[] = {
      {"quoted command, lower-case class", {"acroexch.document"}, 1, kReaderExe, true},
      {"unquoted command", {.command = "c:\\dvviewer\\reader dir\\pdfrdr32.exe %1"}, 1, kReaderExe,
       true},
      {"class with suffix", {"AcroExch.Document.1"}, 0, "", false},
      {"class with trailing blank", {"AcroExch.Document "}, 0, "", false},
      {"no .pdf key", {.cls = nullptr}, 0, "", false},
      {"no class key", {.classKey = false}, 0, "", false},
      {"version 3", {.version = "3"}, 1, kReaderExe, true},
      {"version 3.0", {.version = "3.0"}, 1, kReaderExe, true},
      {"version 4.05", {.version = "4.05"}, 1, kReaderExe, true},
      {"version 10", {.version = "10"}, 1, kReaderExe, true},
      {"version 2.99", {.version = "2.99"}, 0, "", false},
      {"version empty", {.version = ""}, 0, "", false},
      {"version abc", {.version = "abc"}, 0, "", false},
      {"no version", {.version = nullptr}, 0, "", false},
      {"version of 80 characters", {.version = pad80.c_str()}, 1, kReaderExe, true},
      {"version of 81 characters", {.version = pad81.c_str()}, 0, "", false},
      {"command of 80 characters", {.command = cmd80.c_str()}, 1, kReaderExe, true},
      {"command of 81 characters", {.command = cmd81.c_str()}, 0, "", true},
      {"no command", {.command = nullptr}, 0, "", true},
      {"program missing", {.command = "\"C:\\dvviewer\\gone.exe\" \"%1\""}, 0,
       "C:\\DVVIEWER\\GONE.EXE", true},
      {"folder counts", {.command = "C:\\dvviewer\\Reader Dir.exe\\x.exe"}, 0,
       "C:\\DVVIEWER\\READER DIR.EXE", true},
  };
  for (const Case& c : cases) {
    Write_Registry(c.reg);
    ViewerPath[0] = '\0';
    size_t logBefore = Read_File(kLogPath).size();
    EXPECT_EQ(c.want, Find_Viewer()) << c.name;
    EXPECT_STREQ(c.path, ViewerPath) << c.name;
    std::string added = Read_File(kLogPath).substr(logBefore);
    std::string line = std::string("AcrobatVersion set to ") + (c.reg.version ? c.reg.version : "");
    EXPECT_EQ(c.logged, added.find(line + "\r\n") != std::string::npos) << c.name << ": " << added;
  }
}

TEST_F(FindViewerWin, AFolderNamedLikeTheProgramCounts) {
  ASSERT_TRUE(CreateDirectoryA("C:\\dvviewer\\Tools.exe", NULL));
  Registry r;
  r.command = "C:\\dvviewer\\tools.exe\\PdfRdr32.exe %1";
  Write_Registry(r);
  EXPECT_EQ(1, Find_Viewer());
  EXPECT_STREQ("C:\\DVVIEWER\\TOOLS.EXE", ViewerPath);
}

TEST_F(FindViewerWin, WordsAfterTheVersionAreLoggedAndNotProbedReadsNothing) {
  Registry r;
  r.version = "4.0 Extra words";
  Write_Registry(r);
  LanguageProbed = 0;
  size_t before = Read_File(kLogPath).size();
  EXPECT_EQ(0, Find_Viewer());
  EXPECT_STREQ("", ViewerPath);
  LanguageProbed = 1;
  EXPECT_EQ(1, Find_Viewer());
  std::string added = Read_File(kLogPath).substr(before);
  EXPECT_NE(std::string::npos, added.find("AcrobatVersion set to 4.0 Extra words\r\n")) << added;
  EXPECT_EQ(added.find("AcrobatVersion"), added.rfind("AcrobatVersion"));  // once, not twice
}

// ---- the installer ----------------------------------------------------------

// Runs robot.exe with args; its JSON output.
std::string Robot(const std::string& args) {
  Temp_Folder dir("dvrobot");
  std::string out = dir.File("robot.out");
  SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
  HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, NULL);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = file;
  si.hStdError = file;
  PROCESS_INFORMATION pi;
  std::string cmd = "\"" + kRobot + "\" " + args;
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  if (CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(file);
  return Read_File(out);
}

long long Json_Hwnd(const std::string& json) {
  size_t at = json.find("\"hwnd\":");
  return at == std::string::npos ? 0 : atoll(json.c_str() + at + 7);
}

// Answers the prompts of this process from a second thread through the robot:
// the first answers as planned (after running each step's action), any
// further prompt with the second button, until Stop().
class Prompt_Answerer {
 public:
  struct Step {
    int control;
    std::function<void()> before;
  };
  explicit Prompt_Answerer(std::vector<Step> plan) : plan_(std::move(plan)) {
    thread_ = std::thread([this] { Run(); });
  }
  std::vector<std::string> Stop() {
    stop_ = true;
    thread_.join();
    return dumps_;
  }

 private:
  void Run() {
    long long last = 0;
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    const char* base = strrchr(exe, '\\') ? strrchr(exe, '\\') + 1 : exe;
    while (!stop_) {
      long long hwnd = Json_Hwnd(Robot(std::string("wait --exe ") + base + " --timeout 1"));
      if (hwnd == 0 || hwnd == last) continue;  // none yet, or the one just answered
      last = hwnd;
      dumps_.push_back(Robot("dump " + std::to_string(hwnd)));
      size_t n = dumps_.size() - 1;
      int control = n < plan_.size() ? plan_[n].control : IDC_PROMPT_RIGHT;
      if (n < plan_.size() && plan_[n].before) plan_[n].before();
      Robot("click " + std::to_string(hwnd) + " " + std::to_string(control));
    }
  }
  std::vector<Step> plan_;
  std::vector<std::string> dumps_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

const std::string kRootDir = "C:\\dvinst";
const std::string kStandInLog = "C:\\dvinst-standin.log";

class InstallViewerWin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HINSTANCE instance = GetModuleHandleA(NULL);
    ASSERT_NE(0, Register_Main_Class(instance));
    ASSERT_EQ(1, Create_Main_Window(instance, SW_SHOWNORMAL));
    StrFile f;
    f.Key("MSG_Message_InsertCD").Text("ENG", "Please insert the ^0 disc.");
    f.Key("MSG_Button_OK").Text("ENG", "OK");
    f.Key("MSG_Button_Cancel").Text("ENG", "Cancel");
    ASSERT_EQ(1, Write_Bytes("C:\\dvinst-engine.loc", f.Bytes()));
    ASSERT_EQ(1, Str_Open(0, "C:\\dvinst-engine.loc"));
    SetEnvironmentVariableA("DV_STANDIN_LOG", kStandInLog.c_str());
    SetEnvironmentVariableA("DV_STANDIN_SECONDS", "2");
    CreateDirectoryA("C:\\durivade", NULL);
  }
  static void TearDownTestSuite() {
    Str_Close(0);
    DeleteFileA("C:\\dvinst-engine.loc");
    DeleteFileA(kStandInLog.c_str());
  }
  void SetUp() override {
    // A fresh root per test: stand-ins of the last one may still be running.
    root_ = kRootDir + std::to_string(++count_);
    Remove_Tree(root_);
    CreateDirectoryA(root_.c_str(), NULL);
    CreateDirectoryA((root_ + "\\doc").c_str(), NULL);
    CreateDirectoryA((root_ + "\\doc\\acrowin").c_str(), NULL);
    BUF_COPY(SourceRoot, root_.c_str());
    SystemLanguageId = 1033;
    DeleteFileA(kStandInLog.c_str());
  }
  void TearDown() override {
    SystemLanguageId = 1033;
    SourceRoot[0] = '\0';
  }
  void Place(const std::string& name) {
    ASSERT_TRUE(CopyFileA(kStandIn.c_str(), (root_ + "\\doc\\acrowin\\" + name).c_str(), FALSE));
  }
  std::string Quoted(const std::string& name) {
    return "\"" + root_ + "\\doc\\acrowin\\" + name + "\"";
  }
  // The command lines the stand-ins were started with, in order.
  std::vector<std::string> Started() {
    std::vector<std::string> out;
    std::string text = Read_File(kStandInLog);
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      std::string line = text.substr(at, end - at);
      out.push_back(line.substr(line.rfind('\t') + 1));
      at = end == std::string::npos ? text.size() : end + 2;
    }
    return out;
  }
  std::string root_;
  static int count_;
};
int InstallViewerWin::count_ = 0;

TEST_F(InstallViewerWin, FirstInstallerThatStartsByLanguage) {
  struct Case {
    int language;
    std::vector<std::string> present;
    std::string started;
  } cases[] = {
      {1033, {"ar40eng.exe", "acrow32.exe"}, "ar40eng.exe"},
      {1036, {"acrow32.exe", "ar40jpn.exe"}, "acrow32.exe"},
      {1041, {"ar40jpn.exe", "acrow32j.exe", "ar40eng.exe"}, "ar40jpn.exe"},
      {1041, {"acrow32j.exe", "ar40eng.exe", "acrow32.exe"}, "acrow32j.exe"},
  };
  for (const Case& c : cases) {
    SetUp();
    SystemLanguageId = c.language;
    for (const std::string& name : c.present) Place(name);
    Prompt_Answerer answerer({});
    Install_Viewer();
    EXPECT_TRUE(answerer.Stop().empty()) << c.started;  // no prompt
    EXPECT_EQ((std::vector<std::string>{Quoted(c.started)}), Started()) << c.language;
  }
}

TEST_F(InstallViewerWin, AsksForTheDiscUntilCancelled) {
  Prompt_Answerer answerer({{IDC_PROMPT_LEFT, nullptr}, {IDC_PROMPT_LEFT, nullptr},
                            {IDC_PROMPT_RIGHT, nullptr}});
  Install_Viewer();
  std::vector<std::string> prompts = answerer.Stop();
  ASSERT_EQ(3u, prompts.size());
  for (const std::string& dump : prompts) {
    EXPECT_NE(std::string::npos,
              dump.find("\"text\":\"Please insert the Installation (v1.5 or greater) disc.\""))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("\"text\":\"OK\"")) << dump;
    EXPECT_NE(std::string::npos, dump.find("\"text\":\"Cancel\"")) << dump;
  }
  EXPECT_TRUE(Started().empty());
}

TEST_F(InstallViewerWin, InstallerThatAppearsWhilePromptingIsStarted) {
  Prompt_Answerer answerer({{IDC_PROMPT_LEFT, [this] { Place("ar40eng.exe"); }}});
  Install_Viewer();
  EXPECT_EQ(1u, answerer.Stop().size());
  EXPECT_EQ((std::vector<std::string>{Quoted("ar40eng.exe")}), Started());
}

}  // namespace
