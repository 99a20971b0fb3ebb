// The manual catalogue (doc\doc.ini) in memory: reading it into ManualTable,
// finding a title again and building the viewer's command line. No Win32 here.
#pragma once
#include <stddef.h>

#include "base/bytes.h"

enum {
  MANUAL_ROW_COUNT = 255,    // rows, not 256
  MANUAL_TEXT_SIZE = 255,    // file name or title, terminator included
  CATALOGUE_READ_LIMIT = 255, // fgets limit: at most 254 characters per read
  JAPANESE_LANGUAGE_ID = 1041
};

struct ManualRow {
  char fileName[MANUAL_TEXT_SIZE];
  char title[MANUAL_TEXT_SIZE];
};

extern ManualRow ManualTable[MANUAL_ROW_COUNT];  // never cleared
extern int ManualCount;                          // rows stored by the last read
extern char ChosenTitle[MANUAL_TEXT_SIZE];       // the entry the chooser confirmed
extern int ManualChosen;                         // 1 when the chooser ended with OK

// Splits one line read from the catalogue: the file name is everything before
// the first "=", the title everything after it up to the first carriage return.
// A line without "=" is all file name; its title is the same text up to the
// first carriage return. Returns 1 when the line held an "=".
int Catalogue_Split_Line(const char* line, size_t length, char* name, size_t nameSize,
                         char* title, size_t titleSize);

// 1 when the title must stay out of the list on a system of this language.
int Catalogue_Is_Hidden(const char* title, int languageId);

// Existence probe for a pattern inside a folder (1 found) and the list's sink;
// both get the context handed to the read.
typedef int (*Catalogue_Exists_Fn)(void* context, const char* folder, const char* pattern);
typedef void (*Catalogue_Add_Fn)(void* context, const char* title);

// Reads catalogue lines from the source into ManualTable (rows from 0, at most
// MANUAL_ROW_COUNT), handing each kept title to add. docFolder is where the
// files must exist. Returns 1 when the whole catalogue was read, 0 when a line
// named a missing file (reading stops there; earlier rows stay).
int Catalogue_Read_Source(Byte_Source* src, const char* docFolder, int languageId,
                          Catalogue_Exists_Fn exists, Catalogue_Add_Fn add, void* context);

// Opens "<root>\doc\doc.ini" and reads it as above. 0 also when the file
// cannot be opened (or its path does not fit).
int Catalogue_Read(const char* sourceRoot, int languageId, Catalogue_Exists_Fn exists,
                   Catalogue_Add_Fn add, void* context);

// Index of the first stored row with exactly this title, or -1.
int Catalogue_Find_Title(const char* title);

// "\"<viewer>\" \"<root>\doc\<file>\"" into out; 1 when it fits, 0 when cut.
int Build_Open_Command(char* out, size_t size, const char* viewerPath,
                       const char* sourceRoot, const char* fileName);

enum { OPEN_READY = 1, OPEN_NO_MANUAL = 0, OPEN_TOO_LONG = -1 };
// The command line that opens the manual of this title: OPEN_READY, or
// OPEN_NO_MANUAL (no stored row has it), or OPEN_TOO_LONG (out holds the cut text).
int Manual_Open_Command(const char* title, const char* viewerPath, const char* sourceRoot,
                        char* out, size_t size);

// Seconds from start to now on a clock that wraps to 0 after 2^32 milliseconds.
double Elapsed_Seconds(double start, double now);
