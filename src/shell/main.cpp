// Entry point: the backdrop window, the launch sequence once, then the end.
#include <windows.h>

#include "shell/window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCmd) {
  (void)commandLine;  // the command line is not read
  if (previous == NULL && Register_Main_Class(instance) == 0) return 0;
  if (Create_Main_Window(instance, showCmd) == 0) return 0;
  DestroyWindow(MainWindow);  // its procedure posts the quit message
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) != 0) {  // -1 is treated like any message
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
