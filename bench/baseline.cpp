// BASELINE.EXE: what DOCVIEW.EXE must show before the user can choose a manual,
// and nothing more. The same full-screen grey window (same class fields, title
// and style), then the MANUAL_LIST chooser shown modally over it and centred as
// the program centres it. None of the program's own work: no log, no string
// file, no registry, no file probes. The start-up benchmark compares
// DOCVIEW.EXE against it, each architecture against its own build.
#include <windows.h>

#include "resources/resource.h"

static char ClassName[] = "GenericWClass";
static char MenuName[] = "GenericMenu";

static LRESULT CALLBACK Window_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static void Centre(HWND dialog) {
  RECT r;
  GetWindowRect(dialog, &r);
  int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  SetWindowPos(dialog, NULL, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
}

static INT_PTR CALLBACK Chooser_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    Centre(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND &&
      (LOWORD(wParam) == IDC_MANUAL_OK || LOWORD(wParam) == IDC_MANUAL_CANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDC_MANUAL_OK ? 1 : 0);
    return TRUE;
  }
  return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCmd) {
  (void)previous;
  (void)commandLine;
  WNDCLASSA wc;
  wc.style = 0;
  wc.lpfnWndProc = Window_Proc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
  wc.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));
  wc.lpszMenuName = MenuName;
  wc.lpszClassName = ClassName;
  if (RegisterClassA(&wc) == 0) return 0;
  HWND window = CreateWindowExA(0, ClassName, "Tamlo International", WS_OVERLAPPED, CW_USEDEFAULT,
                                CW_USEDEFAULT, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), NULL, NULL, instance, NULL);
  if (window == NULL) return 0;
  ShowWindow(window, showCmd);
  UpdateWindow(window);
  DialogBoxParamA(instance, "MANUAL_LIST", window, Chooser_Proc, 0);
  DestroyWindow(window);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
