// Program-wide values set by the launch sequence.
#include "shell/globals.h"

const char ProgramVersion[] = "v2.00";
char SourceRoot[256];
int SystemLanguageId = 1033;
int LanguageProbed = 0;
int InstallViewerRequested = 0;
int CdDriveLetter = 0;
