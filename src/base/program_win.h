// The main window's two handles and the two window helpers every dialog uses,
// declared here so that prompts/ and manuals/ need not include shell/.
// Defined in shell/window.cpp, which sets the handles when it makes the window.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;  // set once by Create_Main_Window
extern HWND MainWindow;        // 0 until the window exists; not cleared on destruction

void Pump_Messages(void);         // drains the queue, never waits
void Center_Window(HWND window);  // centres on the screen (size read once) and shows
