// The manual catalogue in memory: line splitting, the language filter, the
// table of rows and the viewer's command line. Portable; the dialog is in chooser_win.cpp.
#include "manuals/catalogue.h"

#include <stdio.h>
#include <string.h>

#include "base/buf.h"

ManualRow ManualTable[MANUAL_ROW_COUNT];
int ManualCount;
char ChosenTitle[MANUAL_TEXT_SIZE];
int ManualChosen;

int Catalogue_Split_Line(const char* line, size_t length, char* name, size_t nameSize,
                         char* title, size_t titleSize) {
  length = strnlen(line, length);  // the text ends at a NUL, as it did for fgets
  const char* equals = (const char*)memchr(line, '=', length);
  const char* end = line + length;
  Buf_Copy_N(name, nameSize, line, (size_t)((equals ? equals : end) - line));
  // Without "=" the title is the name's own text: a last line naming an
  // existing file without "=" and line end is then listed under that name.
  const char* from = equals ? equals + 1 : line;
  const char* cr = (const char*)memchr(from, '\r', (size_t)(end - from));
  Buf_Copy_N(title, titleSize, from, (size_t)((cr ? cr : end) - from));
  return equals != NULL;
}

int Catalogue_Is_Hidden(const char* title, int languageId) {
  if (languageId == JAPANESE_LANGUAGE_ID) return 0;
  char upper[MANUAL_TEXT_SIZE];
  BUF_COPY(upper, title);
  Upper_Ascii(upper);
  return strstr(upper, "JAPANESE") != NULL;
}

int Catalogue_Read_Source(Byte_Source* src, const char* docFolder, int languageId,
                          Catalogue_Exists_Fn exists, Catalogue_Add_Fn add, void* context) {
  char line[CATALOGUE_READ_LIMIT];
  char title[MANUAL_TEXT_SIZE];
  int row = 0;
  ManualCount = 0;
  // A line longer than 254 characters arrives in pieces, each taken as a line.
  while (row < MANUAL_ROW_COUNT && Bytes_Gets(src, line, (int)dimof(line)) != NULL) {
    ManualRow* r = &ManualTable[row];
    Catalogue_Split_Line(line, strlen(line), r->fileName, dimof(r->fileName), title,
                         dimof(title));
    // Existence comes before the language filter: a hidden manual must exist too.
    if (!exists(context, docFolder, r->fileName)) return 0;
    BUF_COPY(r->title, title);
    if (Catalogue_Is_Hidden(r->title, languageId)) continue;  // the next line reuses the row
    add(context, r->title);
    ManualCount = ++row;
  }
  return 1;
}

int Catalogue_Read(const char* sourceRoot, int languageId, Catalogue_Exists_Fn exists,
                   Catalogue_Add_Fn add, void* context) {
  char folder[256];
  char path[256];
  ManualCount = 0;
  // A cut path would open some other file: treat it as a catalogue that cannot be opened.
  if (!BUF_FORMAT(folder, "%s\\doc", sourceRoot)) return 0;
  if (!BUF_FORMAT(path, "%s\\doc.ini", folder)) return 0;
  FILE* stream = fopen(path, "rb");
  if (stream == NULL) return 0;
  Byte_Source src;
  Bytes_From_File(&src, stream);
  int whole = Catalogue_Read_Source(&src, folder, languageId, exists, add, context);
  fclose(stream);
  return whole;
}

int Catalogue_Find_Title(const char* title) {
  // Only rows of the last read count: a row left by a filtered line, or one
  // never filled, names no listed manual.
  for (int i = 0; i < ManualCount; i++)
    if (strcmp(ManualTable[i].title, title) == 0) return i;
  return -1;
}

int Build_Open_Command(char* out, size_t size, const char* viewerPath, const char* sourceRoot,
                       const char* fileName) {
  return Buf_Format(out, size, "%c%s%c %c%s\\doc\\%s%c", '"', viewerPath, '"', '"', sourceRoot,
                    fileName, '"');
}

int Manual_Open_Command(const char* title, const char* viewerPath, const char* sourceRoot,
                        char* out, size_t size) {
  int row = Catalogue_Find_Title(title);
  if (row < 0) {
    Buf_Copy(out, size, "");
    return OPEN_NO_MANUAL;
  }
  if (!Build_Open_Command(out, size, viewerPath, sourceRoot, ManualTable[row].fileName))
    return OPEN_TOO_LONG;
  return OPEN_READY;
}

double Elapsed_Seconds(double start, double now) {
  const double wrap = 4294967.296;  // 2^32 milliseconds
  return now >= start ? now - start : now + wrap - start;
}
