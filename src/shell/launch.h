// The launch sequence: from the start line to an opened manual or a requested installer.
#pragma once
#include <stddef.h>

void Start_Manuals(void);
int Probe_System_Language(void);
int Find_Cd_Drive(int* letter);  // 1 and the letter, or -1 (letter untouched)
int Control_Key_Down(void);      // non-zero while Ctrl is held
void Strip_File_Name(char* path);
