// Wildcard file search over five numbered search slots.
#pragma once
#include <stddef.h>

enum { FIND_SLOT_COUNT = 5, FIND_NAME_SIZE = 260 };
enum { FIND_PATH_SIZE = 256 };
enum { FIND_FIRST = 1, FIND_FIRST_AND_CLOSE = 2, FIND_NEXT = 0 };

// 0 for a match, -1 for none. nameOut holds FIND_NAME_SIZE bytes.
int Find_File(int slot, const char* folder, const char* pattern, char* nameOut,
              unsigned int* timeValue, int mode, int* isDirectory);
unsigned int Dos_Time_To_Seconds(int kind, unsigned int date, unsigned int time);

// The search path: folder alone for an empty pattern, else folder, a backslash and pattern.
// 1 when it fitted in size bytes; 0 when cut (never to be searched).
int Find_Build_Path(char* out, size_t size, const char* folder, const char* pattern);
