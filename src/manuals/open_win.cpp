// Opening a chosen manual: the reader is started on it, then its window is
// looked for (for up to 20 seconds) and brought to the front.
#include <windows.h>
#include <tlhelp32.h>

#include "base/buf.h"
#include "base/program.h"
#include "base/program_win.h"
#include "log/log.h"
#include "manuals/catalogue.h"
#include "manuals/chooser.h"

static const double ViewerWaitSeconds = 20.0;
static const DWORD ViewerLookMilliseconds = 100;  // how long each turn sleeps at most

void Open_Manual(const char* title) {
  char command[256];
  int ready = Manual_Open_Command(title, ViewerPath, SourceRoot, command, dimof(command));
  // Nothing is started for a title no listed manual has (OK on an empty list)
  // nor for a command line cut to 255 characters.
  if (ready == OPEN_TOO_LONG) {
    char line[256];
    BUF_FORMAT(line, "ERROR: Command line too long: %s", command);
    Log_Line(0, line);
  }
  if (ready != OPEN_READY) return;
  UINT launched = WinExec(command, SW_SHOW);
  Raise_Viewer(launched);
}

double Seconds_Now(void) { return (double)GetTickCount() / 1000.0; }

// The reader's window: the first visible, unowned top-level window of another
// process whose program file is ViewerPath. A reader that hands the document
// to an instance already running is found through that instance's window.
struct ViewerSearch {
  DWORD ownProcess;
  HWND found;
};

typedef BOOL(WINAPI* Query_Image_Fn)(HANDLE, DWORD, LPSTR, PDWORD);

// The program file of a process. QueryFullProcessImageNameA (Vista and later)
// is looked up at run time; without it a Toolhelp module snapshot gives the path.
static int Process_Image(DWORD processId, char* image, DWORD size) {
  static int looked = 0;
  static Query_Image_Fn query = NULL;
  if (!looked) {
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
    query = reinterpret_cast<Query_Image_Fn>(reinterpret_cast<void (*)(void)>(proc));
    looked = 1;
  }
  if (query != NULL) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == NULL) return 0;
    BOOL known = query(process, 0, image, &size);
    CloseHandle(process);
    return known != 0;
  }
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  MODULEENTRY32 module;
  module.dwSize = sizeof module;
  int known = Module32First(snapshot, &module) && Buf_Copy(image, size, module.szExePath);
  CloseHandle(snapshot);
  return known;
}

// A path in its long form, so that a registry command written with short
// (8.3) names still matches the path the running process reports.
static void Long_Form(const char* path, char* out, DWORD size) {
  DWORD n = GetLongPathNameA(path, out, size);
  if (n == 0 || n >= size) Buf_Copy(out, size, path);
}

static int Process_Image_Is_Viewer(DWORD processId) {
  char image[MAX_PATH], imageLong[MAX_PATH], viewerLong[MAX_PATH];
  if (!Process_Image(processId, image, (DWORD)dimof(image))) return 0;
  Long_Form(image, imageLong, (DWORD)dimof(imageLong));
  Long_Form(ViewerPath, viewerLong, (DWORD)dimof(viewerLong));
  return Equal_Ignore_Ascii_Case(imageLong, viewerLong);
}

static BOOL CALLBACK Look_At_Window(HWND window, LPARAM param) {
  // EnumWindows hands our pointer back as the LPARAM it was given.
  ViewerSearch* search = (ViewerSearch*)param;  // NOLINT(performance-no-int-to-ptr)
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != NULL) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == search->ownProcess || !Process_Image_Is_Viewer(processId)) return TRUE;
  search->found = window;
  return FALSE;
}

static HWND Find_Viewer_Window(void) {
  ViewerSearch search = {GetCurrentProcessId(), NULL};
  EnumWindows(Look_At_Window, (LPARAM)&search);
  return search.found;
}

void Raise_Viewer(unsigned int launchResult) {
  (void)launchResult;  // a failed start is not reported; the wait simply finds no window
  if (ManualChosen == 0) return;
  double start = Seconds_Now();
  for (;;) {
    Pump_Messages();
    HWND viewer = Find_Viewer_Window();
    if (viewer != NULL) {
      ShowWindow(viewer, SW_SHOW);
      // Another process' window: only SetForegroundWindow can activate it;
      // SetActiveWindow and SetFocus then act within the reader's own thread state.
      SetForegroundWindow(viewer);
      SetActiveWindow(viewer);
      SetFocus(viewer);
      return;
    }
    // Elapsed time survives the tick count's wrap after 49.7 days.
    if (Elapsed_Seconds(start, Seconds_Now()) >= ViewerWaitSeconds) return;
    // Sleep until a message arrives or the next look is due, not spinning a core.
    MsgWaitForMultipleObjects(0, NULL, FALSE, ViewerLookMilliseconds, QS_ALLINPUT);
  }
}
