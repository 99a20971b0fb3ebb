// standin.exe: a small Windows program that the tests and the demo start in
// place of the PDF reader and of its installers, and that records how it was started.
//
// Behaviour:
// - Role: "installer" when its own file name starts with "ar40" or "acrow"
//   (letter case ignored), or when DV_STANDIN_ROLE is "installer"; otherwise
//   "reader". Copy it to <root>\doc\acrowin\ar40eng.exe and it is an installer.
// - On start it appends one line to the file named by DV_STANDIN_LOG (default
//   C:\standin.log), fields separated by a tab, the command line last:
//     role <TAB> GetTickCount() <TAB> local time "YYYY-MM-DD HH:MM:SS.mmm"
//       <TAB> own module path <TAB> GetCommandLineA() <CR><LF>
// - It shows a top-level window titled "Stand-in reader - <arguments>" (the
//   command line after the program's own name) or "Stand-in installer - <own
//   file name>", with the same text centred in its client area, and runs a real
//   message loop (WinExec returns once the new program waits in GetMessage).
// - It ends on WM_CLOSE, and by itself after DV_STANDIN_SECONDS seconds
//   (default 60; values below 1 count as the default) so nothing lingers.
// - Exit code 0.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

char g_title[1024];

void Env(const char* name, char* out, DWORD size, const char* fallback) {
  DWORD n = GetEnvironmentVariableA(name, out, size);
  if (n == 0 || n >= size) {
    strncpy(out, fallback, size - 1);
    out[size - 1] = '\0';
  }
}

// The command line after the program's own (possibly quoted) name.
const char* Arguments(const char* cmd) {
  if (*cmd == '"') {
    cmd++;
    while (*cmd && *cmd != '"') cmd++;
    if (*cmd == '"') cmd++;
  } else {
    while (*cmd && *cmd != ' ' && *cmd != '\t') cmd++;
  }
  while (*cmd == ' ' || *cmd == '\t') cmd++;
  return cmd;
}

bool Starts_With_Ignore_Case(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

LRESULT CALLBACK Window_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT r;
      GetClientRect(window, &r);
      DrawTextA(dc, g_title, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  DWORD tick = GetTickCount();
  SYSTEMTIME now;
  GetLocalTime(&now);

  char module[MAX_PATH + 1] = "";
  GetModuleFileNameA(NULL, module, MAX_PATH);
  const char* base = strrchr(module, '\\');
  base = base ? base + 1 : module;

  char role[32];
  Env("DV_STANDIN_ROLE", role, sizeof role, "");
  bool installer = _stricmp(role, "installer") == 0 || Starts_With_Ignore_Case(base, "ar40") ||
                   Starts_With_Ignore_Case(base, "acrow");

  const char* cmd = GetCommandLineA();
  char logPath[MAX_PATH + 1];
  Env("DV_STANDIN_LOG", logPath, sizeof logPath, "C:\\standin.log");
  FILE* log = fopen(logPath, "ab");
  if (log) {
    fprintf(log, "%s\t%lu\t%04u-%02u-%02u %02u:%02u:%02u.%03u\t%s\t%s\r\n",
            installer ? "installer" : "reader", (unsigned long)tick, now.wYear, now.wMonth,
            now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, module, cmd);
    fclose(log);
  }

  snprintf(g_title, sizeof g_title, installer ? "Stand-in installer - %s" : "Stand-in reader - %s",
           installer ? base : Arguments(cmd));

  char seconds[32];
  Env("DV_STANDIN_SECONDS", seconds, sizeof seconds, "60");
  int lifetime = atoi(seconds);
  if (lifetime < 1) lifetime = 60;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = Window_Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "DvStandIn";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "DvStandIn", g_title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 240, NULL, NULL, instance, NULL);
  if (!window) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);
  SetTimer(window, 1, (UINT)lifetime * 1000u, NULL);

  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
