// The String store: string files loaded into five slots, each with the language
// its texts are returned in; texts are read from the file at every lookup.
#include "strrez/strrez.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/buf.h"
#include "base/platform.h"
#include "log/log.h"
#include "strrez/strrez_read.h"

extern const char Str_Module_Id[];
const char Str_Module_Id[] = "StrRez Module v1.1";

enum {
  LANG_ENGLISH = 1033,
  LANG_THAI = 1054,
  MAX_ARG = 255,           // an argument copy holds at most this many characters
  MAX_ARGS = 10,
  FORMAT_LIMIT = 256,      // an expansion is delivered only when shorter than this
};

struct StringSlot {
  int Loaded;
  char Path[256];
  char* IndexText;
  long TextBase;
  unsigned short Language;
  char Code[4];
};

static StringSlot Slots[STR_SLOT_COUNT];

struct Code_Row {
  unsigned short id;
  const char* code;
};

static const Code_Row Code_Table[] = {
    {1028, "MAN"}, {1031, "GER"}, {1033, "ENG"}, {1034, "SPN"}, {1036, "FRA"}, {1040, "ITL"},
    {1041, "JPN"}, {1042, "KOR"}, {1046, "PRT"}, {1054, "TAI"}, {2070, "PRT"},
};

static const unsigned short Fold_Table[][2] = {
    {2055, 1031}, {3079, 1031}, {2058, 1034}, {3082, 1034},
    {2060, 1036}, {3084, 1036}, {4108, 1036}, {2070, 1046},
};

static int Slot_Valid(short slot) { return slot >= 0 && slot < STR_SLOT_COUNT; }

static void Set_Code(StringSlot* s, unsigned short language) {
  const char* code = "ENG";
  for (const Code_Row& row : Code_Table)
    if (row.id == language) code = row.code;
  BUF_COPY(s->Code, code);
}

static void Log_Path(int level, const char* words, const char* path) {
  // A long path makes the line longer than 255 characters: the log gets it cut
  // (the line is only a record; the path itself is never cut).
  char line[256];
  BUF_FORMAT(line, "%s%s", words, path);
  Log_Line(level, line);
}

unsigned short Str_System_Language(void) {
  char windows[80];
  unsigned n = Sys_Windows_Directory(windows, sizeof windows);
  unsigned short language = Sys_System_Language();
  for (const auto& row : Fold_Table)
    if (row[0] == language) language = row[1];

  // A Thai system reports an English language and says Thailand in WIN.INI.
  // Without the whole Windows directory the WIN.INI path cannot be built, and
  // the test is skipped rather than run on a cut path.
  if (language == LANG_ENGLISH && n > 0 && n < sizeof windows) {
    char ini[256];
    char country[256];
    if (BUF_FORMAT(ini, "%s\\WIN.INI", windows)) {
      Sys_Profile_String("intl", "sCountry", country, sizeof country, ini);
      if (Equal_Ignore_Ascii_Case(country, "thailand")) return LANG_THAI;
    }
  }
  return language;
}

short Str_Open(short slot, const char* path) {
  if (!Slot_Valid(slot)) return 0;
  StringSlot* s = &Slots[slot];
  if (s->Loaded) return 0;

  // A path that does not fit is refused: loading under a cut path could open
  // another file. The slot keeps its old path.
  if (path == NULL || strlen(path) >= sizeof s->Path) {
    if (slot != 1) Log_Path(0, "ERROR: Couldn't open file: ", path ? path : "");
    return 0;
  }
  BUF_COPY(s->Path, path);

  FILE* f = fopen(s->Path, "rb");
  if (f == NULL) {
    if (slot != 1) Log_Path(0, "ERROR: Couldn't open file: ", s->Path);
    return 0;
  }
  Log_Path(3, "OPENED ", s->Path);

  // The reading rules (six header bytes, back to the start, the whole block)
  // live with the other readers of string files; the file is ours to close.
  Byte_Source src;
  Bytes_From_File(&src, f);
  Str_Index index;
  int loaded = Str_Load_Index(&src, &index);
  fclose(f);
  if (!loaded) return 0;

  s->IndexText = index.text;
  s->TextBase = index.textBase;
  s->Loaded = 1;
  s->Language = slot == 0 ? Str_System_Language() : (unsigned short)LANG_ENGLISH;
  Set_Code(s, s->Language);
  return 1;
}

void Str_Close(short slot) {
  if (!Slot_Valid(slot) || !Slots[slot].Loaded) return;
  free(Slots[slot].IndexText);
  Slots[slot].IndexText = NULL;
  Slots[slot].Loaded = 0;
}

unsigned short Str_Set_Language(short slot, unsigned short language) {
  if (!Slot_Valid(slot)) return 0;  // no slot: nothing to change, nothing it had
  StringSlot* s = &Slots[slot];
  unsigned short before = s->Language;
  if (!s->Loaded) return before;
  s->Language = language;
  Set_Code(s, language);
  return before;
}

// The lookup into the internal text area (STR_TEXT_AREA bytes); text is empty on failure.
static void Look_Up(short slot, char* key, char* text) {
  text[0] = '\0';
  if (!Slot_Valid(slot) || !Slots[slot].Loaded) return;
  StringSlot* s = &Slots[slot];
  Upper_Ascii(key);

  // The file is reopened only when the entry gives an offset to read.
  Str_Pick pick;
  if (!Str_Find_Pick(s->IndexText, (size_t)s->TextBase, key, s->Code, &pick)) return;
  FILE* f = fopen(s->Path, "rb");
  if (f == NULL) return;
  Byte_Source src;
  Bytes_From_File(&src, f);
  Str_Read_Picked(&src, s->TextBase, &pick, text);
  fclose(f);
}

char* Str_Get(short slot, char* key, char* out, size_t outSize) {
  // A text may have 510 characters; it is read whole and delivered cut to the
  // caller's buffer, never past it.
  char text[STR_TEXT_AREA];
  Look_Up(slot, key, text);
  Buf_Copy(out, outSize, text);
  return out;
}

char* Str_Format(short slot, char* key, char* out, size_t outSize, const char* const* args,
                 int argCount) {
  char text[STR_TEXT_AREA];
  Look_Up(slot, key, text);
  Buf_Copy(out, outSize, text);
  int placeholders = Str_Count_Placeholders(text);
  if (placeholders == 0) return out;

  // One copy per placeholder, at most ten (digits reach only ^9). A missing
  // argument is taken as the empty text, and a copy holds at most 255
  // characters, so a short or careless caller never makes us read too far.
  int copies = placeholders < MAX_ARGS ? placeholders : MAX_ARGS;
  char* copy[MAX_ARGS] = {};
  for (int i = 0; i < copies; i++) {
    copy[i] = (char*)malloc(MAX_ARG + 1);
    if (copy[i] == NULL) {
      for (int j = 0; j < i; j++) free(copy[j]);
      return NULL;
    }
    const char* arg = (args != NULL && i < argCount && args[i] != NULL) ? args[i] : "";
    Buf_Copy(copy[i], MAX_ARG + 1, arg);
  }

  // A digit with no copy (not below the number of copies) expands to nothing.
  char work[FORMAT_LIMIT];
  if (Str_Fill_Placeholders(text, copy, copies, work, sizeof work)) Buf_Copy(out, outSize, work);

  for (int i = 0; i < copies; i++) free(copy[i]);
  return out;
}
