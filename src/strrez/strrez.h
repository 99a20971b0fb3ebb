// The String store: localized string files in five slots, looked up by key in
// the slot's language with English as the fallback.
#pragma once
#include <stddef.h>

#include "strrez/strrez_read.h"

enum { STR_SLOT_COUNT = 5 };

short Str_Open(short slot, const char* path);  // 1 when this call loaded the file
void Str_Close(short slot);
unsigned short Str_System_Language(void);
unsigned short Str_Set_Language(short slot, unsigned short language);  // previous language

// Looks key up (upper-casing it in place) into out, which holds outSize bytes;
// always returns out, empty on any failure.
char* Str_Get(short slot, char* key, char* out, size_t outSize);

// As Str_Get, then fills ^0..^9 from args (argCount texts). Returns out, or a
// null pointer when an argument copy cannot be allocated.
char* Str_Format(short slot, char* key, char* out, size_t outSize,
                 const char* const* args, int argCount);

// Str_Count_Placeholders and Str_Expand_Newlines come with the reading rules.

#define STR_GET(slot, key, arr) Str_Get((slot), (key), (arr), dimof(arr))
