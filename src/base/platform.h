// What the portable code asks of Windows, one small seam per facility. The
// product answers in platform_win.cpp; natively the one stand-in in
// tests/support/fakes/platform_fake.cpp does. Texts are 8-bit, sizes count
// the terminator.
#pragma once

// GetWindowsDirectoryA into out: its answer as it is, the length when the
// path fitted, the size it would need when it did not, 0 on failure. out holds
// the path only when it fitted; otherwise the empty text.
unsigned Sys_Windows_Directory(char* out, unsigned size);

// GetPrivateProfileStringA with the empty text as default: the characters
// copied into out, which always ends terminated (empty for a missing file,
// section, key or value).
unsigned Sys_Profile_String(const char* section, const char* key, char* out, unsigned size,
                            const char* file);

// GetSystemDefaultLangID: the system's default language identifier.
unsigned short Sys_System_Language(void);

// 1 when a first-match search for path finds any entry (a folder counts);
// the search is closed again.
int Sys_Path_Exists(const char* path);

// SetErrorMode (1 is SEM_FAILCRITICALERRORS: no "insert a disc" box).
void Sys_Set_Error_Mode(unsigned mode);

// One entry of a directory search, as FindFirstFileA/FindNextFileA found it.
struct Sys_Find_Entry {
  unsigned attributes;  // dwFileAttributes (0x10: a folder)
  // The two time stamps as FileTimeToDosDateTime gives them (UTC); ok is 0
  // when a stamp has no DOS form (before 1980, after 2107).
  unsigned short writeDate, writeTime, createDate, createTime;
  int writeOk, createOk;
  char name[260];  // cFileName, the long name
};
// Starts a search for path (folder and pattern): its handle and the first
// entry, or NULL when nothing matches. A handle is ended with Sys_Find_Close.
void* Sys_Find_First(const char* path, Sys_Find_Entry* entry);
// The next entry of the search: 1, or 0 when there is none.
int Sys_Find_Next(void* search, Sys_Find_Entry* entry);
void Sys_Find_Close(void* search);
