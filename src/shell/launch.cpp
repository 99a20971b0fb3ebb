// The launch sequence: start line, string file, where the manuals lie, the
// reader check, then the chooser or the offer to install the reader.
#include <windows.h>
#include <string.h>

#include "base/buf.h"
#include "base/program.h"
#include "base/program_win.h"
#include "log/log.h"
#include "manuals/chooser.h"
#include "manuals/find_file.h"
#include "manuals/viewer.h"
#include "prompts/prompts.h"
#include "shell/launch.h"
#include "shell/launch_paths.h"
#include "strrez/strrez.h"

int Probe_System_Language(void) {
  LanguageProbed = 1;
  SystemLanguageId = (int)(unsigned)GetSystemDefaultLangID();
  return 1;
}

int Find_Cd_Drive(int* letter) {
  for (int c = 'A'; c <= 'Z'; c++) {
    char root[4];
    BUF_FORMAT(root, "%c:", c);
    if (GetDriveTypeA(root) == DRIVE_CDROM) {
      *letter = c;
      return 1;
    }
  }
  return -1;
}

int Control_Key_Down(void) {
  GetAsyncKeyState(VK_CONTROL);  // consumes the "pressed since last asked" note
  return (int)GetAsyncKeyState(VK_CONTROL);
}

// The program's own file name, or 0 when it does not fit: a cut path would
// name another file, so it is never probed.
static int Module_File_Name(char* out, size_t size) {
  DWORD n = GetModuleFileNameA(AppInstance, out, (DWORD)(size - 1));
  out[size - 1] = '\0';
  if (n == 0 || n >= size - 1) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

static int Load_String_File(void) {
  char path[256];
  if (Module_File_Name(path, dimof(path))) {
    Strip_File_Name(path);
    if (BUF_APPEND(path, "\\ENGINE.LOC") && Str_Open(0, path)) return 1;
  }
  char windowsDrive = WindowsDirectory[0];
  BUF_FORMAT(path, "%c:\\install\\data\\", windowsDrive);
  BUF_APPEND(path, "engine.loc");
  if (Str_Open(0, path)) return 1;
  BUF_FORMAT(path, "%c:\\", windowsDrive);
  BUF_APPEND(path, "engine.loc");
  return Str_Open(0, path) != 0;
}

// 1 when "<root>\doc" holds a file matching *.pdf. A folder path that does not
// fit is not searched.
static int Has_Manuals(const char* root) {
  char folder[256];
  char name[FIND_NAME_SIZE];
  unsigned int timeValue = 0;
  int isDirectory = 0;
  if (!BUF_FORMAT(folder, "%s\\doc", root)) return 0;
  return Find_File(0, folder, "*.pdf", name, &timeValue, FIND_FIRST_AND_CLOSE, &isDirectory) == 0;
}

static int Find_Source_Root(void) {
  BUF_FORMAT(SourceRoot, "%c:", CdDriveLetter);
  if (Has_Manuals(SourceRoot)) return 1;
  // Not on the disc: look beside the program.
  if (!Module_File_Name(SourceRoot, dimof(SourceRoot))) return 0;
  if (!Program_Root_From_Module(SourceRoot, dimof(SourceRoot))) return 0;
  return Has_Manuals(SourceRoot);
}

static void Offer_Viewer_Install(void) {
  char installNow[256], needViewer[256], prompt[256];
  char installKey[] = "MSG_Message_InstallNow";
  char needKey[] = "MSG_Message_NeedAcrobat";
  STR_GET(0, installKey, installNow);
  STR_GET(0, needKey, needViewer);
  // Two long texts are cut to the prompt's 255 characters rather than dropped.
  Compose_Viewer_Prompt(prompt, dimof(prompt), needViewer, installNow);
  if (Ask_User(prompt, "MSG_Button_OK", "MSG_Button_Cancel") == 2) return;
  InstallViewerRequested = 1;
}

void Start_Manuals(void) {
  char line[256];
  BUF_FORMAT(line, "Starting Tamlo Document Viewer Application version %s", ProgramVersion);
  Log_Line(0, line);  // the run's first line: the log header comes first
  Probe_System_Language();
  if (Find_Cd_Drive(&CdDriveLetter) == -1) CdDriveLetter = (unsigned char)WindowsDirectory[0];

  if (!Load_String_File()) {
    Ask_User("Can't find ENGINE.LOC", "OK", "");
    return;
  }

  SetErrorMode(SEM_FAILCRITICALERRORS);  // no "insert a disc" boxes while probing
  if (!Find_Source_Root()) {
    Ask_User("MSG_Message_NoDOCINI2", "MSG_Button_OK", "");
    SetErrorMode(0);
    return;
  }
  SetErrorMode(0);

  if (Control_Key_Down() != 0) {
    Log_Line(1, "Control Key was held down to force Acrobat Install.");
    InstallViewerRequested = 1;
    return;
  }

  if (Find_Viewer() != 0) {
    char title[256];
    if (Choose_Manual(title, dimof(title)) == 1) Open_Manual(title);
    return;
  }
  Offer_Viewer_Install();
}
