// What the log asks of Windows (log_win.cpp); natively a test stand-in
// answers instead. Paths are Windows paths; texts are 8-bit.
#pragma once
#include <stddef.h>
#include <stdio.h>

// GetWindowsDirectoryA into out (size counts the terminator). Returns the
// length written; 0 when the call failed or the directory did not fit, out
// then holds the empty text.
size_t Log_Platform_Windows_Directory(char* out, size_t size);

// GetPrivateProfileStringA with the empty text as default: the number of
// characters copied into out (0 for a missing file, key or empty value).
size_t Log_Platform_Read_Setting(const char* section, const char* key, char* out, size_t size,
                                 const char* ini_path);

// CopyFileA: non-zero on success.
int Log_Platform_Copy_File(const char* existing, const char* new_path, int fail_if_exists);

// SetErrorMode.
void Log_Platform_Set_Error_Mode(unsigned mode);

// The C run-time's fopen and remove (0 on success, -1 on failure).
FILE* Log_Platform_Open(const char* path, const char* mode);
int Log_Platform_Delete(const char* path);

// Replaces to with from in one step (MoveFileExA, MOVEFILE_REPLACE_EXISTING):
// 1 on success; on failure both files are as they were.
int Log_Platform_Replace(const char* from, const char* to);

// The run-time's local date as "MM/DD/YY" and time as "HH:MM:SS" into out.
void Log_Platform_Date_Text(char* out, size_t size);
void Log_Platform_Time_Text(char* out, size_t size);
