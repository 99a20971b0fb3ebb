// The log's inner operations, for its own tests and for other subsystems'
// tests that need a fresh run.
#pragma once
#include <stddef.h>
#include <stdio.h>

#include "base/bytes.h"

void Log_Read_Settings(void);
void Log_Trim(void);

// Trimming keeps what follows the piece read from the log's middle: from half
// its size (rounded down), up to and including the next line feed, at most
// 254 characters. Returns the offset where the kept part begins, the source
// positioned there; -1 when the length is unknown or the seek fails.
long Log_Trim_Start(Byte_Source* src);
// Copies the rest of src to dst; 1 when every byte was read and written.
int Log_Copy_Rest(Byte_Source* src, FILE* dst);
const char* Log_Date(void);
const char* Log_Time(void);
int Delete_Quietly(const char* path);
int Copy_File(const char* existing, const char* new_path, int fail_if_exists);

// log_level text as a decimal integer: leading white space, optional sign,
// digits up to the first non-digit; no digits gives 0; beyond int saturates.
int Log_Parse_Level(const char* text, size_t len);

// "MM/DD/YY" to "yyyy-mm-dd" and "HH:MM:SS" to "HH:MM" (out of 11 and 9 characters).
void Log_Build_Date(const char* mmddyy, size_t len, char* out, size_t size);
void Log_Build_Time(const char* hhmmss, size_t len, char* out, size_t size);

// Forgets everything the run learnt (settings, counter, cached Windows
// directory), so the next Log_Line starts a new run with its header.
void Log_Reset_For_Tests(void);
