// Entry point: the backdrop window, the launch sequence once, the installer if
// asked for, then the end. The exit code is the quit message's, 0.
#include <windows.h>

#include "base/program.h"
#include "manuals/viewer.h"
#include "shell/launch.h"
#include "shell/window.h"
#include "strrez/strrez.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCmd) {
  (void)commandLine;  // the command line is not read
  if (previous == NULL && Register_Main_Class(instance) == 0) return 0;
  if (Create_Main_Window(instance, showCmd) == 0) return 0;
  Start_Manuals();
  // Before the strings are released and the window goes: the installer's
  // prompts need both.
  if (InstallViewerRequested == 1) Install_Viewer();
  Str_Close(0);
  DestroyWindow(MainWindow);  // its procedure posts the quit message
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) != 0) {  // -1 is treated like any message
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
