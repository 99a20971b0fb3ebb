// The String store's Windows edge: system language, Windows directory, WIN.INI.
#include <windows.h>

#include "strrez/strrez_platform.h"

unsigned short Str_Platform_System_Language_Id(void) { return GetSystemDefaultLangID(); }

unsigned Str_Platform_Windows_Directory(char* out, unsigned size) {
  if (size == 0) return 0;
  UINT n = GetWindowsDirectoryA(out, size);
  if (n == 0 || n >= size) out[0] = '\0';
  return n;
}

void Str_Platform_Profile_String(const char* section, const char* key, char* out,
                                 unsigned size, const char* file) {
  if (size == 0) return;
  GetPrivateProfileStringA(section, key, "", out, size, file);
  out[size - 1] = '\0';
}
