// The activity log: levelled, numbered lines under a run header in
// <Windows drive>:\durivade\tamlo.log. Silent and best-effort.
#pragma once
#include <stddef.h>

#include "base/program.h"  // WindowsDirectory, the cache Data_Folder fills

// Appends one line when level <= the configured level; 1 when handed to the
// file, 0 otherwise. The first call of a run reads the settings and writes the header.
int Log_Line(int level, const char* text);

// The data folder ("C:\durivade\") into out; fills WindowsDirectory first if empty.
void Data_Folder(char* out, size_t size);
