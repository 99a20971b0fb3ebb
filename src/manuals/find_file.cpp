// Directory search, portable half: the search path and the time value of a match.
#include "manuals/find_file.h"

#include "base/buf.h"

int Find_Build_Path(char* out, size_t size, const char* folder, const char* pattern) {
  // A folder that ends in a backslash keeps it: the platform copes with the doubled one.
  if (pattern[0] == '\0') return Buf_Copy(out, size, folder);
  return Buf_Format(out, size, "%s\\%s", folder, pattern);
}

unsigned int Dos_Time_To_Seconds(int kind, unsigned int date, unsigned int time) {
  if (kind == 1)
    return 86400u * (date & 0x1Fu) + 3600u * ((time & 0xF800u) >> 11) +
           60u * ((time & 0x07E0u) >> 5) + 2u * (time & 0x1Fu);
  if (kind == 2) return date;
  return 0;
}
