// chooser_host.exe: runs the manual chooser and the opening of a manual as the
// launch sequence does, for test_chooser.py, and prints what happened.
//
// usage: chooser_host.exe [--strings PATH] SOURCE_ROOT VIEWER_PATH LANGUAGE_ID [--overreport]
// Writes a small string file (English and French texts), or takes the string
// file PATH (ENGINE.LOC, say), loads it into slot 0,
// sets SourceRoot, ViewerPath and SystemLanguageId, runs Choose_Manual and,
// when it returns 1, Open_Manual. Prints key=value lines: result, title (bytes
// outside printable ASCII as \xNN), reported (the last length the list box
// answered to LB_GETTEXTLEN, -2 when never asked), then after Open_Manual the
// host's CPU and wall milliseconds over it and the foreground window's title.
// --overreport: the list box answers LB_GETTEXTLEN as Windows may on a
// double-byte system, two bytes for every character (Wine answers exactly).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/buf.h"
#include "base/program.h"
#include "manuals/chooser.h"
#include "manuals/viewer.h"
#include "shell/window.h"
#include "strfile_writer.h"
#include "strrez/strrez.h"
#include "winfiles.h"

namespace {

std::string Escaped(const char* text) {
  std::string out;
  for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
    if (*p < 0x20 || *p > 0x7e || *p == '\\') {
      char b[8];
      snprintf(b, sizeof b, "\\x%02x", *p);
      out += b;
    } else {
      out += (char)*p;
    }
  }
  return out;
}

unsigned long long Cpu_Milliseconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k, u;
  k.LowPart = kernel.dwLowDateTime;
  k.HighPart = kernel.dwHighDateTime;
  u.LowPart = user.dwLowDateTime;
  u.HighPart = user.dwHighDateTime;
  return (k.QuadPart + u.QuadPart) / 10000;
}

// The chooser's list box, watched from its creation (a CBT hook on this thread).
WNDPROC ListProc = NULL;
bool OverReport = false;
LRESULT Reported = -2;

LRESULT CALLBACK Watched_List_Proc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(ListProc, list, message, wParam, lParam);
  if (message != LB_GETTEXTLEN || result == LB_ERR) return result;
  if (OverReport) {
    std::string text((size_t)result + 1, '\0');
    CallWindowProcA(ListProc, list, LB_GETTEXT, wParam, (LPARAM)&text[0]);
    result = 2 * MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)result, NULL, 0);
  }
  Reported = result;
  return result;
}

LRESULT CALLBACK Watch_Creation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && ListProc == NULL) {
    char cls[32];
    HWND window = (HWND)wParam;
    if (GetClassNameA(window, cls, sizeof cls) && lstrcmpiA(cls, "ListBox") == 0)
      ListProc = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)Watched_List_Proc);
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}

bool Write_String_File(const std::string& path) {
  StrFile f;
  f.Key("MSG_Button_OK").Text("ENG", "OK").Text("FRA", "D'accord");
  f.Key("MSG_Button_CANCEL").Text("ENG", "Cancel").Text("FRA", "Annuler");
  f.Key("MSG_Message_Choose_Manual").Text("ENG", "Choose a manual").Text("FRA", "Choisissez un manuel");
  f.Key("MSG_Message_NoDOCINI2").Text("ENG", "The manual list is incomplete.")
      .Text("FRA", "La liste des manuels est incomplete.");
  return Write_File(path, f.Bytes());
}

}  // namespace

int main(int argc, char** argv) {
  const char* strings = nullptr;
  if (argc >= 6 && strcmp(argv[1], "--strings") == 0) {
    strings = argv[2];
    argv += 2;
    argc -= 2;
  }
  OverReport = argc == 5 && strcmp(argv[4], "--overreport") == 0;
  if (argc != 4 && !OverReport) {
    fprintf(stderr, "usage: chooser_host.exe [--strings PATH] SOURCE_ROOT VIEWER_PATH LANGUAGE_ID [--overreport]\n");
    return 2;
  }
  HINSTANCE instance = GetModuleHandleA(NULL);
  if (Register_Main_Class(instance) == 0 || Create_Main_Window(instance, SW_SHOWNORMAL) == 0) {
    fprintf(stderr, "no main window\n");
    return 3;
  }
  Temp_Folder dir("chooser");
  std::string loc = strings != nullptr ? std::string(strings) : dir.File("chooser.loc");
  if ((strings == nullptr && !Write_String_File(loc)) || Str_Open(0, loc.c_str()) != 1) {
    fprintf(stderr, "string file not loaded\n");
    return 4;
  }
  BUF_COPY(SourceRoot, argv[1]);
  BUF_COPY(ViewerPath, argv[2]);
  SystemLanguageId = atoi(argv[3]);
  LanguageProbed = 1;

  HHOOK hook = SetWindowsHookExA(WH_CBT, Watch_Creation, NULL, GetCurrentThreadId());
  char title[256];
  int result = Choose_Manual(title, sizeof title);
  UnhookWindowsHookEx(hook);
  printf("result=%d\ntitle=%s\nreported=%ld\n", result, Escaped(title).c_str(), (long)Reported);
  fflush(stdout);
  if (result == 1) {
    unsigned long long cpu = Cpu_Milliseconds();
    DWORD wall = GetTickCount();
    Open_Manual(title);
    printf("cpu_ms=%llu\nwall_ms=%lu\n", Cpu_Milliseconds() - cpu,
           (unsigned long)(GetTickCount() - wall));
    char fg[256] = "";
    // Under Wine the foreground follows the X server's focus a moment later;
    // meanwhile there is none.
    HWND foreground = GetForegroundWindow();
    for (int i = 0; i < 100 && foreground == NULL; i++) {
      Pump_Messages();
      Sleep(20);
      foreground = GetForegroundWindow();
    }
    if (foreground != NULL) GetWindowTextA(foreground, fg, sizeof fg);
    printf("foreground=%s\n", Escaped(fg).c_str());
  }
  fflush(stdout);
  Str_Close(0);
  DestroyWindow(MainWindow);
  return 0;
}
