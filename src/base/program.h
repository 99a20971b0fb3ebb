// The program-wide values: each is set by one subsystem and read by others, so
// they are declared here, where any subsystem may include them.
// Each is defined beside the code that sets it: one writer, and its storage with it.
#pragma once

// The launch sequence's (defined in shell/launch_values.cpp).
extern const char ProgramVersion[];  // "v2.00"
extern char SourceRoot[256];         // folder under which doc lies, no trailing backslash
extern int SystemLanguageId;         // raw system LanguageId, zero-extended; 1033 until probed
extern int LanguageProbed;           // 1 once SystemLanguageId is recorded
extern int InstallViewerRequested;   // 1 when WinMain must run the installer
extern int CdDriveLetter;            // first CD-ROM drive letter, else the Windows drive

// The activity log's (log/log.cpp): filled by the run's first Log_Line.
extern char WindowsDirectory[256];  // cached on first use; only its drive letter is used

// The reader check's (manuals/viewer.cpp).
extern char ViewerPath[256];  // after Find_Viewer() == 1: unquoted, upper-case, ends in ".EXE"
