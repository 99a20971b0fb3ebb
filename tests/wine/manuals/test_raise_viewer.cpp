// Raise_Viewer under Wine: it finds the reader's window by the reader's
// program file and brings it in front of ours; it waits only after a choice.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/buf.h"
#include "manuals/catalogue.h"
#include "manuals/chooser.h"
#include "manuals/viewer.h"
#include "shell/window.h"
#include "winfiles.h"

namespace {

std::string Standin_Path() { return Test_Run_Program("/standin.exe"); }

struct Found {
  DWORD pid;
  HWND window;
};

// A callback of Windows' own calling convention (a lambda is not one on i686).
BOOL CALLBACK Match_Window(HWND w, LPARAM p) {
  Found* found = (Found*)p;
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == found->pid && IsWindowVisible(w)) {
    found->window = w;
    return FALSE;
  }
  return TRUE;
}

HWND Window_Of(DWORD pid) {
  Found f = {pid, NULL};
  EnumWindows(Match_Window, (LPARAM)&f);
  return f.window;
}

// Under Wine the foreground follows the X server's focus a moment later: up to 2 s.
void Wait_For_Foreground(HWND window) {
  for (int i = 0; i < 100 && GetForegroundWindow() != window; i++) {
    Pump_Messages();
    Sleep(20);
  }
}

class RaiseViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool made = false;
    if (!made) {
      ASSERT_NE(0, Register_Main_Class(GetModuleHandleA(NULL)));
      ASSERT_EQ(1, Create_Main_Window(GetModuleHandleA(NULL), SW_SHOWNORMAL));
      made = true;
    }
    SetEnvironmentVariableA("DV_STANDIN_SECONDS", "15");
    SetEnvironmentVariableA("DV_STANDIN_LOG", "C:\\raise_viewer_standin.log");
  }

  // Starts the stand-in as the reader and puts our window back in front of it.
  HWND Start_Reader_Behind_Us() {
    std::string path = Standin_Path();
    std::string command = "\"" + path + "\" raise-test";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    EXPECT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &reader_));
    WaitForInputIdle(reader_.hProcess, 20000);
    HWND window = NULL;
    for (int i = 0; i < 100 && window == NULL; i++, Sleep(50)) window = Window_Of(reader_.dwProcessId);
    EXPECT_NE((HWND)NULL, window);
    SetForegroundWindow(MainWindow);
    Wait_For_Foreground(MainWindow);
    EXPECT_EQ(MainWindow, GetForegroundWindow());
    return window;
  }

  void TearDown() override {
    if (reader_.hProcess) {
      TerminateProcess(reader_.hProcess, 0);
      CloseHandle(reader_.hProcess);
      CloseHandle(reader_.hThread);
    }
    ManualChosen = 0;
  }

  PROCESS_INFORMATION reader_ = {};
};

TEST_F(RaiseViewer, BringsTheReadersWindowToTheFront) {
  HWND reader = Start_Reader_Behind_Us();
  // ViewerPath is upper-cased by the reader check; the image path need not be.
  std::string upper = Standin_Path();
  for (char& c : upper) c = (char)toupper((unsigned char)c);
  BUF_COPY(ViewerPath, upper.c_str());
  ManualChosen = 1;
  DWORD start = GetTickCount();
  Raise_Viewer(33);
  EXPECT_LT(GetTickCount() - start, 5000u);
  Wait_For_Foreground(reader);
  EXPECT_EQ(reader, GetForegroundWindow());
}

TEST_F(RaiseViewer, NothingWithoutAChoice) {
  Start_Reader_Behind_Us();
  BUF_COPY(ViewerPath, Standin_Path().c_str());
  ManualChosen = 0;
  DWORD start = GetTickCount();
  Raise_Viewer(33);
  EXPECT_LT(GetTickCount() - start, 100u);
  EXPECT_EQ(MainWindow, GetForegroundWindow());
}

}  // namespace
