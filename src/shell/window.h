// The main window: a grey full-screen backdrop that owns every dialog. Its
// handles and the dialogs' window helpers are in base/program_win.h.
#pragma once
#include <windows.h>

#include "base/program_win.h"

int Register_Main_Class(HINSTANCE instance);              // class atom, 0 on failure
int Create_Main_Window(HINSTANCE instance, int showCmd);  // 1 when the window exists
LRESULT CALLBACK Main_Window_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
