// What the log alone asks of Windows (log_win.cpp); natively a test stand-in
// answers instead. The Windows directory and the settings read go through
// base/platform.h, as for the String store. Paths are Windows paths; texts are 8-bit.
#pragma once
#include <stddef.h>
#include <stdio.h>

// CopyFileA: non-zero on success.
int Log_Platform_Copy_File(const char* existing, const char* new_path, int fail_if_exists);


// The C run-time's fopen and remove (0 on success, -1 on failure).
FILE* Log_Platform_Open(const char* path, const char* mode);
int Log_Platform_Delete(const char* path);

// Replaces to with from in one step (MoveFileExA, MOVEFILE_REPLACE_EXISTING):
// 1 on success; on failure both files are as they were.
int Log_Platform_Replace(const char* from, const char* to);

// The run-time's local date as "MM/DD/YY" and time as "HH:MM:SS" into out.
void Log_Platform_Date_Text(char* out, size_t size);
void Log_Platform_Time_Text(char* out, size_t size);
