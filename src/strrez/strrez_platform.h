// The three questions the String store asks Windows, answered by strrez_win.cpp
// in the product and by a stand-in in the native tests.
#pragma once

// The system default language identifier (GetSystemDefaultLangID).
unsigned short Str_Platform_System_Language_Id(void);

// The Windows directory into out (size bytes), as GetWindowsDirectoryA answers:
// its length when it fitted, the size it needs (terminator included) when it
// did not, 0 on failure.
unsigned Str_Platform_Windows_Directory(char* out, unsigned size);

// A value of an INI file (GetPrivateProfileStringA with an empty default):
// out (size bytes) always ends terminated, empty when the file or value is missing.
void Str_Platform_Profile_String(const char* section, const char* key, char* out,
                                 unsigned size, const char* file);
