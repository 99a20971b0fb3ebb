// The String store: string files loaded into five slots, each with the language
// its texts are returned in; texts are read from the file at every lookup.
#include "strrez/strrez.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/buf.h"
#include "log/log.h"
#include "strrez/strrez_platform.h"

extern const char Str_Module_Id[];
const char Str_Module_Id[] = "StrRez Module v1.1";

enum {
  LANG_ENGLISH = 1033,
  LANG_THAI = 1054,
  DEFAULT_BLOCK = 30000,   // a header reading 0 stands for this block size
  HEADER_BYTES = 6,
  MAX_STORED = 512,        // the reader gives up past this many stored bytes
  TEXT_AREA = MAX_STORED + 2,  // one byte past the limit and a terminator
  MAX_TOKEN = 255,
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

// Reads a number as strtol would from the first len bytes of text: white space,
// one optional sign, decimal digits. No digits reads as 0; too many digits
// stop at the long range instead of overflowing.
static long Parse_Number(const char* text, size_t len) {
  size_t i = 0;
  while (i < len && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) i++;
  int negative = 0;
  if (i < len && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < len && text[i] >= '0' && text[i] <= '9'; i++) {
    int digit = text[i] - '0';
    if (value > (LONG_MAX - digit) / 10) {
      value = LONG_MAX;
      continue;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
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
  unsigned n = Str_Platform_Windows_Directory(windows, sizeof windows);
  unsigned short language = Str_Platform_System_Language_Id();
  for (const auto& row : Fold_Table)
    if (row[0] == language) language = row[1];

  // A Thai system reports an English language and says Thailand in WIN.INI.
  // Without the whole Windows directory the WIN.INI path cannot be built, and
  // the test is skipped rather than run on a cut path.
  if (language == LANG_ENGLISH && n > 0 && n < sizeof windows) {
    char ini[256];
    char country[256];
    if (BUF_FORMAT(ini, "%s\\WIN.INI", windows)) {
      Str_Platform_Profile_String("intl", "sCountry", country, sizeof country, ini);
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

  char header[HEADER_BYTES];
  if (fread(header, 1, sizeof header, f) != sizeof header) {
    fclose(f);
    return 0;
  }
  long n = Parse_Number(header, sizeof header);
  // A negative header would put the terminator before the block; such a file
  // is refused. Six bytes hold at most 999999, so the size cannot overflow.
  if (n < 0) {
    fclose(f);
    return 0;
  }
  long block = n == 0 ? (long)DEFAULT_BLOCK : n + 10;

  char* index = NULL;
  if (fseek(f, 0, SEEK_SET) == 0) index = (char*)malloc((size_t)block);
  if (index == NULL) {
    fclose(f);
    return 0;
  }
  if (fread(index, 1, (size_t)block, f) != (size_t)block) {
    free(index);
    fclose(f);
    return 0;
  }
  fclose(f);

  index[block - 2] = '\0';
  s->IndexText = index;
  s->TextBase = block - 2;
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

// Reads the index token at *p (the bytes up to the next space) into token and
// moves *p past that space. 0 ends the entry's scan: the index ends before the
// space, the token is longer than 255 characters, or it begins with a line
// break, which lies between entries (a count larger than its pairs would
// otherwise read the next entry's tokens as pairs).
static int Read_Token(const char** p, char* token, size_t size) {
  const char* space = strchr(*p, ' ');
  if (space == NULL) return 0;
  size_t len = (size_t)(space - *p);
  if (len > MAX_TOKEN || len >= size) return 0;
  if (len > 0 && (**p == '\r' || **p == '\n')) return 0;
  Buf_Copy_N(token, size, *p, len);
  *p = space + 1;
  return 1;
}

// The reader: one byte at a time until two carets and a byte that is not a
// caret (or the end of the file). Stores at most MAX_STORED + 1 bytes into text
// (TEXT_AREA bytes); 0 when it gives up.
static int Read_Text(FILE* f, char* text) {
  size_t stored = 0;
  int before2 = 0, before1 = 0;  // were the two bytes fetched before carets?
  for (;;) {
    int c = getc(f);
    if (before2 && before1 && c != '^') {
      text[stored - 2] = '\0';
      return 1;
    }
    if (c == EOF) return 0;
    text[stored++] = (char)c;
    if (stored > MAX_STORED) return 0;
    before2 = before1;
    before1 = c == '^';
  }
}

static int Read_At(FILE* f, long textBase, long offset, char* text) {
  // TextBase is never negative, so only a huge offset can overflow the sum.
  if (offset > LONG_MAX - textBase || textBase + offset < 0) return 0;
  if (fseek(f, textBase + offset, SEEK_SET) != 0) return 0;
  return Read_Text(f, text);
}

// The lookup into the internal text area (TEXT_AREA bytes); text is empty on failure.
static void Look_Up(short slot, char* key, char* text) {
  text[0] = '\0';
  if (!Slot_Valid(slot) || !Slots[slot].Loaded) return;
  StringSlot* s = &Slots[slot];
  Upper_Ascii(key);
  if (key[0] == '\0') return;  // an empty key would "occur" at the header

  const char* p = strstr(s->IndexText, key);
  if (p == NULL) return;
  p = strchr(p, ' ');
  if (p == NULL) return;
  p++;

  char token[MAX_TOKEN + 1];
  if (!Read_Token(&p, token, sizeof token)) return;
  long count = Parse_Number(token, strlen(token));

  int haveOwn = 0, haveEnglish = 0;
  long own = 0, english = 0;
  for (long i = 0; i < count; i++) {
    if (!Read_Token(&p, token, sizeof token)) break;
    if (strcmp(token, s->Code) == 0) {
      if (Read_Token(&p, token, sizeof token)) {
        own = Parse_Number(token, strlen(token));
        haveOwn = 1;
      }
      break;
    }
    int isEnglish = strcmp(token, "ENG") == 0;
    if (!Read_Token(&p, token, sizeof token)) break;
    if (isEnglish) {
      english = Parse_Number(token, strlen(token));
      haveEnglish = 1;
    }
  }
  if (!haveOwn && !haveEnglish) return;
  long offset = haveOwn ? own : english;

  FILE* f = fopen(s->Path, "rb");
  if (f == NULL) return;
  int ok = Read_At(f, s->TextBase, offset, text);
  if (ok && text[0] == '\0' && haveEnglish && english != offset)
    ok = Read_At(f, s->TextBase, english, text);
  fclose(f);
  if (!ok) {
    text[0] = '\0';
    return;
  }
  Str_Expand_Newlines(text);
}

char* Str_Get(short slot, char* key, char* out, size_t outSize) {
  // A text may have 510 characters; it is read whole and delivered cut to the
  // caller's buffer, never past it.
  char text[TEXT_AREA];
  Look_Up(slot, key, text);
  Buf_Copy(out, outSize, text);
  return out;
}

void Str_Expand_Newlines(char* text) {
  char* p = strchr(text, '\\');
  while (p != NULL) {
    if (p[1] == 'n') {
      *p = '\n';
      memmove(p + 1, p + 2, strlen(p + 2) + 1);
    }
    p = strchr(p + 1, '\\');
  }
}

short Str_Count_Placeholders(const char* text) {
  short count = 0;
  for (const char* p = text; *p; p++) {
    if (*p == '^' && p[1] >= '0' && p[1] <= '9') {
      if (count < SHRT_MAX) count++;
      p++;
    }
  }
  return count;
}

char* Str_Format(short slot, char* key, char* out, size_t outSize, const char* const* args,
                 int argCount) {
  char text[TEXT_AREA];
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
    copy[i] = (char*)malloc(MAX_TOKEN + 1);
    if (copy[i] == NULL) {
      for (int j = 0; j < i; j++) free(copy[j]);
      return NULL;
    }
    const char* arg = (args != NULL && i < argCount && args[i] != NULL) ? args[i] : "";
    Buf_Copy(copy[i], MAX_TOKEN + 1, arg);
  }

  // A digit with no copy (not below the number of copies) expands to nothing.
  char work[FORMAT_LIMIT];
  work[0] = '\0';
  int fits = 1;
  for (const char* p = text; *p && fits; p++) {
    if (*p == '^' && p[1] >= '0' && p[1] <= '9') {
      int d = p[1] - '0';
      if (d < copies) fits = BUF_APPEND(work, copy[d]);
      p++;
    } else {
      char one[2] = {*p, '\0'};
      fits = BUF_APPEND(work, one);
    }
  }
  if (fits) Buf_Copy(out, outSize, work);

  for (int i = 0; i < copies; i++) free(copy[i]);
  return out;
}
