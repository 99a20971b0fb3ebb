// The main window and its helpers, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "shell/window.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(NULL); }

void Ensure_Main_Window() {
  static bool made = false;
  if (made) return;
  ASSERT_NE(0, Register_Main_Class(Instance()));
  ASSERT_EQ(1, Create_Main_Window(Instance(), SW_SHOWNORMAL));
  made = true;
}

}  // namespace

TEST(MainWindow, ClassAndWindowAsTheUserSeesThem) {
  Ensure_Main_Window();
  ASSERT_NE((HWND)NULL, MainWindow);
  EXPECT_EQ(Instance(), AppInstance);
  char text[64];
  GetWindowTextA(MainWindow, text, sizeof text);
  EXPECT_STREQ("Tamlo International", text);
  GetClassNameA(MainWindow, text, sizeof text);
  EXPECT_STREQ("GenericWClass", text);
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(Instance(), "GenericWClass", &wc));
  EXPECT_EQ(0u, wc.style);
  EXPECT_NE((HICON)NULL, wc.hIcon);
  LOGBRUSH lb;
  ASSERT_EQ((int)sizeof lb, GetObjectA(wc.hbrBackground, sizeof lb, &lb));
  EXPECT_EQ(RGB(192, 192, 192), lb.lbColor);
  RECT r;
  GetWindowRect(MainWindow, &r);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), r.bottom - r.top);
  EXPECT_TRUE(IsWindowVisible(MainWindow));
  EXPECT_EQ((HMENU)NULL, GetMenu(MainWindow));
}

TEST(MainWindow, IconIsThe32x32SixteenColourImage) {
  HRSRC res = FindResourceA(Instance(), MAKEINTRESOURCEA(109), (LPCSTR)RT_GROUP_ICON);
  ASSERT_NE((HRSRC)NULL, res);
  const BYTE* dir = (const BYTE*)LockResource(LoadResource(Instance(), res));
  ASSERT_NE((const BYTE*)NULL, dir);
  EXPECT_EQ(1, dir[4] | dir[5] << 8);  // one image
  EXPECT_EQ(32, dir[6]);               // width
  EXPECT_EQ(32, dir[7]);               // height
  EXPECT_EQ(16, dir[8]);               // colours
}

TEST(MainWindow, CenterTruncatesTowardZeroAndKeepsFirstScreenSize) {
  Ensure_Main_Window();
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 101, 51, NULL, NULL, Instance(), NULL);
  ASSERT_NE((HWND)NULL, w);
  Center_Window(w);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ((sw - 101) / 2, r.left);
  EXPECT_EQ((sh - 51) / 2, r.top);
  EXPECT_EQ(101, r.right - r.left);  // size unchanged
  EXPECT_TRUE(IsWindowVisible(w));
  // Wider than the screen by 3: -3 / 2 truncates to -1.
  SetWindowPos(w, NULL, 0, 0, sw + 3, sh + 3, SWP_NOMOVE | SWP_NOZORDER);
  Center_Window(w);
  GetWindowRect(w, &r);
  EXPECT_EQ(-1, r.left);
  EXPECT_EQ(-1, r.top);
  DestroyWindow(w);
}

TEST(MainWindow, PumpReturnsOnEmptyQueueAndDestroyPostsQuitZero) {
  Ensure_Main_Window();
  DWORD start = GetTickCount();
  Pump_Messages();
  Pump_Messages();
  EXPECT_LT(GetTickCount() - start, 1000u);
  // A command to the main window has no effect of its own.
  SendMessageA(MainWindow, WM_COMMAND, 1, 0);
  EXPECT_TRUE(IsWindow(MainWindow));
  HWND before = MainWindow;
  DestroyWindow(MainWindow);
  EXPECT_EQ(before, MainWindow);  // not cleared on destruction
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
}
