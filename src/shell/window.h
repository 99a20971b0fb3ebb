// The main window (a grey full-screen backdrop that owns every dialog) and the
// two window helpers the dialogs use.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;  // set once by Create_Main_Window
extern HWND MainWindow;        // 0 until the window exists; not cleared on destruction

int Register_Main_Class(HINSTANCE instance);              // class atom, 0 on failure
int Create_Main_Window(HINSTANCE instance, int showCmd);  // 1 when the window exists
LRESULT CALLBACK Main_Window_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void Pump_Messages(void);          // drains the queue, never waits
void Center_Window(HWND window);   // centres on the screen (size read once) and shows
