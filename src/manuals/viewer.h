// Detecting the PDF reader in the registry and running its installer from the disc.
#pragma once
#include <stddef.h>

#include "base/program.h"  // ViewerPath, which Find_Viewer sets

int Find_Viewer(void);      // 1 when version 3 or later is installed and its program exists
void Install_Viewer(void);  // starts one installer, or returns when the user gives up

// The deciding parts of the two operations, free of Windows calls.

// Ends a registry value read into text as count bytes (count < 0: the read
// failed) in a buffer of size bytes: a value stored with its terminator is
// kept, one stored without it is terminated when there is room. 1 when text is
// now terminated within size bytes, else 0 with text empty.
int Viewer_Terminate_Value(char* text, long count, long size);
// The ".pdf" class text names the reader: "AcroExch.Document", ASCII case ignored, nothing more.
int Viewer_Class_Is_Reader(const char* text);
// The decimal number at the start of text (white space, sign, digits, point,
// exponent; no "inf", "nan" or hex), 0 when there is none.
double Viewer_Version_Number(const char* text, size_t length);
// Upper-cases command in place and stores it, cut after its first ".EXE" and
// without a leading quote, in out. 0 when there is no ".EXE" (out untouched)
// or the path did not fit in outSize bytes.
int Viewer_Path_From_Command(char* command, char* out, size_t outSize);
// Installer command line number which (0 first, 1 second) for the language
// under root, quoted; 1 when it fitted in outSize bytes, 0 when cut (never to be started).
int Viewer_Installer_Command(int languageId, int which, const char* root, char* out, size_t outSize);
