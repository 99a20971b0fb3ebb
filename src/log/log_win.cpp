// The log's Windows edge: Windows directory, records.ini, file copy and
// replace, error mode, and the run-time's date and time texts.
#include <windows.h>

#include <stdio.h>
#include <time.h>

#include "base/buf.h"
#include "log/log_platform.h"

int Log_Platform_Copy_File(const char* existing, const char* new_path, int fail_if_exists) {
  return CopyFileA(existing, new_path, fail_if_exists ? TRUE : FALSE);
}


FILE* Log_Platform_Open(const char* path, const char* mode) { return fopen(path, mode); }

int Log_Platform_Delete(const char* path) { return remove(path) == 0 ? 0 : -1; }

int Log_Platform_Replace(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}

void Log_Platform_Date_Text(char* out, size_t size) {
  char text[9];  // _strdate writes exactly "MM/DD/YY" and a terminator
  _strdate(text);
  Buf_Copy(out, size, text);
}

void Log_Platform_Time_Text(char* out, size_t size) {
  char text[9];  // "HH:MM:SS" and a terminator
  _strtime(text);
  Buf_Copy(out, size, text);
}
