// Reading string files (ENGINE.LOC): the header, the index block, the key
// search and pair scan, the text reader, line breaks and placeholders. No
// slots, no paths, no logging: the String store, mkloc and the fuzzers all read
// through this, from a file or from bytes in memory.
#pragma once
#include <stddef.h>

#include "base/bytes.h"

enum {
  STR_HEADER_BYTES = 6,
  STR_DEFAULT_BLOCK = 30000,  // a header reading 0 stands for this block size
  STR_MAX_STORED = 512,       // the text reader gives up past this many stored bytes
  STR_TEXT_AREA = STR_MAX_STORED + 2,  // one byte past the limit and a terminator
  STR_MAX_TEXT = STR_MAX_STORED - 2,   // the longest text delivered
  STR_MAX_TOKEN = 255,
};

// The header rule, also used for counts and offsets: within the first len
// bytes, white space, one optional sign, decimal digits. No digits reads as 0;
// too many digits stop at the long range.
long Str_Read_Number(const char* text, size_t len);

// Why a block did not load.
enum {
  STR_LOAD_SHORT_HEADER = 1,  // fewer than six bytes
  STR_LOAD_NEGATIVE = 2,      // the header reads below 0
  STR_LOAD_NO_MEMORY = 3,     // the seek back to the start or the allocation failed
  STR_LOAD_SHORT_FILE = 4,    // fewer bytes than the block
};

struct Str_Index {
  char* text;      // the block (malloc'd, the caller frees it), terminated at textBase
  long textBase;   // block - 2: where the text area begins, and the index's length
  long header;     // the number the six header bytes read as
  long block;      // the bytes the loader reads: header + 10, or 30000 for 0
  int why;         // STR_LOAD_* when loading failed
};

// Reads the six header bytes from the source's position, goes back to its
// start and reads the whole block. 1 loaded; 0 not (why says why, and no
// block stays allocated).
int Str_Load_Index(Byte_Source* src, Str_Index* index);

// How an index token (the bytes up to the next space) was read.
enum {
  STR_TOKEN_OK = 1,
  STR_TOKEN_UNENDED = 0,     // the index ends before the space
  STR_TOKEN_LONG = -1,       // longer than 255 characters
  STR_TOKEN_LINE_BREAK = -2, // begins with a line break, which lies between entries
};

// What the pair scan found for a key in one language code.
struct Str_Pick {
  long at;  // where the key was found in the index, -1 when nowhere
  int haveOwn, haveEnglish;
  long own, english;  // offsets from the start of the text area
};

// Finds key (as given: the caller upper-cases it) at its first occurrence in
// the index (length bytes, or up to its first zero byte, as a search over the
// terminated text sees it) and scans that entry's pairs for code, keeping the last English
// offset before it. 1 when there is an offset to read, 0 when the text is empty.
int Str_Find_Pick(const char* index, size_t length, const char* key, const char* code,
                  Str_Pick* pick);

// The text reader: from the source's position, one byte at a time up to two
// carets and a byte that is not a caret (or the end). Stores at most
// STR_MAX_STORED + 1 bytes into text (STR_TEXT_AREA bytes). 1 complete, with
// the stored length (zero bytes included) in *length when length is not
// NULL; 0 with the empty text when it gave up.
int Str_Read_Text(Byte_Source* src, char* text, size_t* length);
// The same at textBase + offset; 0 also for a position that cannot be reached.
int Str_Read_At(Byte_Source* src, long textBase, long offset, char* text, size_t* length);

// The text a lookup delivers for pick: the own text, or the English one; an
// empty own text read once more in English when an English offset was found
// and differs. Line breaks expanded. 1 delivered; 0 with the empty text.
int Str_Read_Picked(Byte_Source* src, long textBase, const Str_Pick* pick, char* text);

// Replaces, in place, every backslash followed by n with one line feed.
void Str_Expand_Newlines(char* text);
// The next placeholder (a caret and a digit) at or after text, or NULL.
const char* Str_Next_Placeholder(const char* text);
short Str_Count_Placeholders(const char* text);
// Fills text's placeholders ^d from copies[d] (count of them; a digit with no
// copy gives nothing) into out (size bytes). 1 when the whole expansion fitted
// (out then holds it), 0 when not (out's content is then unspecified).
int Str_Fill_Placeholders(const char* text, const char* const* copies, int count, char* out,
                          size_t size);

// Walking the index entry by entry, as a lister of its keys sees it: bytes up
// to the next visible one lie between entries; then key, count and count
// pairs, read with the lookup's token reader. The walk begins after the header.
struct Str_Walk {
  const char* index;
  size_t length;
  size_t pos;       // where the walk stands
  size_t keyPos;    // the current entry's key
  char key[STR_MAX_TOKEN + 1];
  char count[STR_MAX_TOKEN + 1];
  long pairs;       // the count's value
  long pairsRead;
  int stop;         // STR_TOKEN_* of the token that ended the walk, STR_TOKEN_OK at its end
  int stopToken;    // which token it was: STR_WALK_KEY, ...
};
enum { STR_WALK_KEY, STR_WALK_COUNT, STR_WALK_CODE, STR_WALK_OFFSET };

void Str_Walk_Start(Str_Walk* walk, const char* index, size_t length);
// 1 with the next entry's key and count read; 0 at the end of the index or at
// a broken token (stop and stopToken say which).
int Str_Walk_Entry(Str_Walk* walk);
// 1 with the current entry's next pair; 0 when its count is used up (stop is
// STR_TOKEN_OK) or a token broke.
int Str_Walk_Pair(Str_Walk* walk, char* code, size_t codeSize, char* offset, size_t offsetSize);
