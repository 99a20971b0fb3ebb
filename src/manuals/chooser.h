// The chooser dialog (MANUAL_LIST), opening the chosen manual, and the
// portable rule by which the chooser takes the confirmed title from its list.
#pragma once
#include <stddef.h>

#include "manuals/catalogue.h"

int Choose_Manual(char* out, size_t size);  // 1 when the user confirmed a manual
void Open_Manual(const char* title);        // starts the reader on it, then Raise_Viewer
// After a confirmed choice, waits (up to 20 s) for the reader's window and
// brings it to the front; launchResult is WinExec's and is not looked at.
void Raise_Viewer(unsigned int launchResult);
double Seconds_Now(void);

// An ANSI caller's LB_GETTEXTLEN may report more than the entry holds (up to
// two bytes per character with ANSI and Unicode mixed), so the entry is read
// into room for twice the longest title and measured afterwards.
enum { CHOOSER_READ_SIZE = 2 * (MANUAL_TEXT_SIZE - 1) + 1 };

// 1 when an entry of the reported length (LB_ERR, -1, on failure) can be read
// whole into size bytes.
int Chooser_Read_Fits(long long reported, size_t size);
// Copies the text read (terminated within readSize bytes) into out when its
// real length fits outSize; 1 when copied, 0 with out untouched otherwise.
int Chooser_Keep_Title(const char* read, size_t readSize, char* out, size_t outSize);
