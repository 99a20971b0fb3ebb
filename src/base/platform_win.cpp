// The Windows answers behind platform.h.
#include <windows.h>

#include "base/buf.h"
#include "base/platform.h"

unsigned Sys_Windows_Directory(char* out, unsigned size) {
  if (size == 0) return 0;
  UINT n = GetWindowsDirectoryA(out, size);
  if (n == 0 || n >= size) out[0] = '\0';
  return n;
}

unsigned Sys_Profile_String(const char* section, const char* key, char* out, unsigned size,
                            const char* file) {
  if (size == 0) return 0;
  DWORD n = GetPrivateProfileStringA(section, key, "", out, size, file);
  out[size - 1] = '\0';
  return n;
}

unsigned short Sys_System_Language(void) { return GetSystemDefaultLangID(); }

int Sys_Path_Exists(const char* path) {
  WIN32_FIND_DATAA record;
  HANDLE search = FindFirstFileA(path, &record);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return 1;
}

void Sys_Set_Error_Mode(unsigned mode) { SetErrorMode(mode); }

static void Take_Entry(const WIN32_FIND_DATAA* found, Sys_Find_Entry* entry) {
  entry->attributes = found->dwFileAttributes;
  WORD date = 0, time = 0;
  entry->writeOk = FileTimeToDosDateTime(&found->ftLastWriteTime, &date, &time) != 0;
  entry->writeDate = date;
  entry->writeTime = time;
  date = 0;
  time = 0;
  entry->createOk = FileTimeToDosDateTime(&found->ftCreationTime, &date, &time) != 0;
  entry->createDate = date;
  entry->createTime = time;
  Buf_Copy(entry->name, sizeof entry->name, found->cFileName);
}

void* Sys_Find_First(const char* path, Sys_Find_Entry* entry) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return NULL;
  Take_Entry(&found, entry);
  return search;
}

int Sys_Find_Next(void* search, Sys_Find_Entry* entry) {
  WIN32_FIND_DATAA found;
  if (!FindNextFileA((HANDLE)search, &found)) return 0;
  Take_Entry(&found, entry);
  return 1;
}

void Sys_Find_Close(void* search) { FindClose((HANDLE)search); }
