// Program-wide values of the launch sequence, read by the manuals and viewer code.
#pragma once

extern const char ProgramVersion[];  // "v2.00"
extern char SourceRoot[256];         // folder under which doc lies, no trailing backslash
extern int SystemLanguageId;         // raw system LanguageId, zero-extended; 1033 until probed
extern int LanguageProbed;           // 1 once SystemLanguageId is recorded
extern int InstallViewerRequested;   // 1 when WinMain must run the installer
extern int CdDriveLetter;            // first CD-ROM drive letter, else the Windows drive
