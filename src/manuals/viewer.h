// Detecting the PDF reader in the registry and running its installer from the disc.
#pragma once

extern char ViewerPath[256];  // after Find_Viewer() == 1: unquoted, upper-case, ends in ".EXE"

int Find_Viewer(void);      // 1 when version 3 or later is installed and its program exists
void Install_Viewer(void);  // starts one installer, or returns when the user gives up
