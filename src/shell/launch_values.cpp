// The program-wide values the launch sequence sets. Here rather than in
// launch.cpp so that the portable code and its native tests link without Windows.
#include "base/program.h"

const char ProgramVersion[] = "v2.00";
char SourceRoot[256];
int SystemLanguageId = 1033;
int LanguageProbed = 0;
int InstallViewerRequested = 0;
int CdDriveLetter = 0;
