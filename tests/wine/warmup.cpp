// Opens and closes one window, so that Wine's desktop process is running before
// the first test that shows a dialog (its first start can be slow).
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND w = CreateWindowExA(0, "STATIC", "warm-up", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, instance, NULL);
  if (w == NULL) return 1;
  DestroyWindow(w);
  return 0;
}
