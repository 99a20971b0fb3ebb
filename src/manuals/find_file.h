// Wildcard file search over five numbered search slots.
#pragma once

enum { FIND_SLOT_COUNT = 5, FIND_NAME_SIZE = 260 };
enum { FIND_FIRST = 1, FIND_FIRST_AND_CLOSE = 2, FIND_NEXT = 0 };

// 0 for a match, -1 for none. nameOut holds FIND_NAME_SIZE bytes.
int Find_File(int slot, const char* folder, const char* pattern, char* nameOut,
              unsigned int* timeValue, int mode, int* isDirectory);
unsigned int Dos_Time_To_Seconds(int kind, unsigned int date, unsigned int time);
