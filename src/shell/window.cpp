// The main window: a full-screen light-grey backdrop that owns every dialog.
#include "shell/window.h"

#include "resources/resource.h"

HINSTANCE AppInstance;
HWND MainWindow;

static int MainWidth, MainHeight;          // read afresh when the window is created
static int CenterWidth, CenterHeight;      // read once by the first Center_Window

static char ClassName[] = "GenericWClass";
static char MenuName[] = "GenericMenu";  // no such menu exists, so the window shows none

int Register_Main_Class(HINSTANCE instance) {
  WNDCLASSA wc;
  wc.style = 0;
  wc.lpfnWndProc = Main_Window_Proc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
  wc.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));  // lives as long as the class
  wc.lpszMenuName = MenuName;
  wc.lpszClassName = ClassName;
  return (int)RegisterClassA(&wc);
}

int Create_Main_Window(HINSTANCE instance, int showCmd) {
  AppInstance = instance;
  MainWidth = GetSystemMetrics(SM_CXSCREEN);
  MainHeight = GetSystemMetrics(SM_CYSCREEN);
  HWND window = CreateWindowExA(0, ClassName, "Tamlo International", WS_OVERLAPPED,
                                CW_USEDEFAULT, CW_USEDEFAULT, MainWidth, MainHeight,
                                NULL, NULL, instance, NULL);
  if (window == NULL) return 0;
  MainWindow = window;
  ShowWindow(window, showCmd);
  UpdateWindow(window);
  return 1;
}

LRESULT CALLBACK Main_Window_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump_Messages(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Center_Window(HWND window) {
  if (CenterWidth == 0) {  // only the width is tested; the cache is never refreshed
    CenterWidth = GetSystemMetrics(SM_CXSCREEN);
    CenterHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  RECT r;
  GetWindowRect(window, &r);
  int x = (CenterWidth - (r.right - r.left)) / 2;  // C++ division truncates toward zero
  int y = (CenterHeight - (r.bottom - r.top)) / 2;
  SetWindowPos(window, NULL, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
}
