// Native stand-in for the String store's Windows edge (knobs in strrez_fake.h).
#include "strrez_fake.h"

#include <string.h>

#include "base/buf.h"
#include "strrez/strrez_platform.h"

Strrez_Fake_State Strrez_Fake;

void Strrez_Fake_Reset(void) { Strrez_Fake = Strrez_Fake_State(); }

unsigned short Str_Platform_System_Language_Id(void) { return Strrez_Fake.system_language; }

unsigned Str_Platform_Windows_Directory(char* out, unsigned size) {
  // As GetWindowsDirectoryA: the size needed, terminator included, when it does not fit.
  unsigned len = (unsigned)Strrez_Fake.windows_directory.size();
  if (len >= size) return len + 1;
  memcpy(out, Strrez_Fake.windows_directory.c_str(), len + 1);
  return len;
}

void Str_Platform_Profile_String(const char* section, const char* key, char* out, unsigned size,
                                 const char* file) {
  Strrez_Fake.profile_reads++;
  Strrez_Fake.last_ini_file = file;
  int asked = strcmp(section, "intl") == 0 && strcmp(key, "sCountry") == 0;
  Buf_Copy(out, size, asked ? Strrez_Fake.country.c_str() : "");
}
