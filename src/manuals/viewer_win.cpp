// Reader detection and installer start, Windows half: the registry under
// HKEY_CLASSES_ROOT (read only) and WinExec; the presence of a file is asked
// through base/platform.h.
#include <windows.h>

#include "manuals/manuals_platform.h"
#include "manuals/viewer.h"

int Viewer_Reg_Open(const char* name, Viewer_Key* key) {
  HKEY opened = 0;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, name, &opened) != ERROR_SUCCESS) return 0;
  *key = (Viewer_Key)opened;
  return 1;
}

int Viewer_Reg_Read(Viewer_Key key, const char* subKey, char* out, long size) {
  LONG count = size;  // a text that needs more than size bytes fails the read
  if (RegQueryValueA((HKEY)key, subKey, out, &count) != ERROR_SUCCESS) count = -1;
  return Viewer_Terminate_Value(out, count, size);
}

void Viewer_Reg_Close(Viewer_Key key) { RegCloseKey((HKEY)key); }

unsigned int Viewer_Start(const char* commandLine) { return WinExec(commandLine, SW_SHOW); }
