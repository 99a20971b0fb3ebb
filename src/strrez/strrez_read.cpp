// Reading string files, shared by the String store, mkloc and the fuzzers (see
// strrez_read.h). Everything here is bounded by the lengths it is given.
#include "strrez/strrez_read.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "base/buf.h"

long Str_Read_Number(const char* text, size_t len) {
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

int Str_Load_Index(Byte_Source* src, Str_Index* index) {
  index->text = NULL;
  index->textBase = 0;
  index->header = 0;
  index->block = 0;
  index->why = 0;

  char header[STR_HEADER_BYTES];
  if (Bytes_Read(src, header, sizeof header) != sizeof header) {
    index->why = STR_LOAD_SHORT_HEADER;
    return 0;
  }
  long n = Str_Read_Number(header, sizeof header);
  index->header = n;
  // A negative header would put the terminator before the block; such a file
  // is refused. Six bytes hold at most 999999, so the size cannot overflow.
  if (n < 0) {
    index->why = STR_LOAD_NEGATIVE;
    return 0;
  }
  long block = n == 0 ? (long)STR_DEFAULT_BLOCK : n + 10;
  index->block = block;

  char* text = NULL;
  if (Bytes_Seek(src, 0) == 0) text = (char*)malloc((size_t)block);
  if (text == NULL) {
    index->why = STR_LOAD_NO_MEMORY;
    return 0;
  }
  if (Bytes_Read(src, text, (size_t)block) != (size_t)block) {
    free(text);
    index->why = STR_LOAD_SHORT_FILE;
    return 0;
  }
  text[block - 2] = '\0';
  index->text = text;
  index->textBase = block - 2;
  return 1;
}

// The index as the lookup sees it: up to its first zero byte.
static size_t Index_End(const char* index, size_t length) {
  const char* zero = (const char*)memchr(index, '\0', length);
  return zero != NULL ? (size_t)(zero - index) : length;
}

static const char* Find_Space(const char* index, size_t end, size_t from) {
  if (from >= end) return NULL;
  return (const char*)memchr(index + from, ' ', end - from);
}

// The index token at *pos (the bytes up to the next space, the index ending at
// end) into token; *pos moves past that space. A token that begins with a line
// break lies between entries: a count larger than its pairs would otherwise
// read the next entry's tokens as pairs.
static int Read_Token(const char* index, size_t end, size_t* pos, char* token, size_t size) {
  const char* space = Find_Space(index, end, *pos);
  if (space == NULL) return STR_TOKEN_UNENDED;
  size_t len = (size_t)(space - (index + *pos));
  if (len > STR_MAX_TOKEN || len >= size) return STR_TOKEN_LONG;
  if (len > 0 && (index[*pos] == '\r' || index[*pos] == '\n')) return STR_TOKEN_LINE_BREAK;
  Buf_Copy_N(token, size, index + *pos, len);
  *pos = (size_t)(space - index) + 1;
  return STR_TOKEN_OK;
}

// The first occurrence of key in the first end bytes of index, or NULL.
static const char* Find_Key(const char* index, size_t end, const char* key) {
  size_t n = strlen(key);
  if (n == 0 || n > end) return NULL;
  for (size_t i = 0; i + n <= end; i++) {
    const char* hit = (const char*)memchr(index + i, key[0], end - n + 1 - i);
    if (hit == NULL) return NULL;
    i = (size_t)(hit - index);
    if (memcmp(hit, key, n) == 0) return hit;
  }
  return NULL;
}

int Str_Find_Pick(const char* index, size_t length, const char* key, const char* code,
                  Str_Pick* pick) {
  pick->at = -1;
  pick->haveOwn = pick->haveEnglish = 0;
  pick->own = pick->english = 0;
  size_t end = Index_End(index, length);

  // An empty key would "occur" at the header.
  const char* hit = Find_Key(index, end, key);
  if (hit == NULL) return 0;
  pick->at = (long)(hit - index);
  const char* space = Find_Space(index, end, (size_t)(hit - index));
  if (space == NULL) return 0;
  size_t pos = (size_t)(space - index) + 1;

  char token[STR_MAX_TOKEN + 1];
  if (Read_Token(index, end, &pos, token, sizeof token) != STR_TOKEN_OK) return 0;
  long count = Str_Read_Number(token, strlen(token));

  for (long i = 0; i < count; i++) {
    if (Read_Token(index, end, &pos, token, sizeof token) != STR_TOKEN_OK) break;
    if (strcmp(token, code) == 0) {
      if (Read_Token(index, end, &pos, token, sizeof token) == STR_TOKEN_OK) {
        pick->own = Str_Read_Number(token, strlen(token));
        pick->haveOwn = 1;
      }
      break;
    }
    int isEnglish = strcmp(token, "ENG") == 0;
    if (Read_Token(index, end, &pos, token, sizeof token) != STR_TOKEN_OK) break;
    if (isEnglish) {  // a later English pair replaces an earlier one
      pick->english = Str_Read_Number(token, strlen(token));
      pick->haveEnglish = 1;
    }
  }
  return pick->haveOwn || pick->haveEnglish;
}

int Str_Read_Text(Byte_Source* src, char* text, size_t* length) {
  size_t stored = 0;
  int before2 = 0, before1 = 0;  // were the two bytes fetched before carets?
  for (;;) {
    int c = Bytes_Get(src);
    if (before2 && before1 && c != '^') {
      text[stored - 2] = '\0';
      if (length != NULL) *length = stored - 2;
      return 1;
    }
    // A reader that gives up leaves the empty text, never an unterminated one.
    if (c < 0) break;
    text[stored++] = (char)c;
    if (stored > STR_MAX_STORED) break;
    before2 = before1;
    before1 = c == '^';
  }
  text[0] = '\0';
  return 0;
}

int Str_Read_At(Byte_Source* src, long textBase, long offset, char* text, size_t* length) {
  // TextBase is never negative, so only a huge offset can overflow the sum.
  text[0] = '\0';
  if (offset > LONG_MAX - textBase || textBase + offset < 0) return 0;
  if (Bytes_Seek(src, textBase + offset) != 0) return 0;
  return Str_Read_Text(src, text, length);
}

int Str_Read_Picked(Byte_Source* src, long textBase, const Str_Pick* pick, char* text) {
  text[0] = '\0';
  if (!pick->haveOwn && !pick->haveEnglish) return 0;
  long offset = pick->haveOwn ? pick->own : pick->english;
  int ok = Str_Read_At(src, textBase, offset, text, NULL);
  if (ok && text[0] == '\0' && pick->haveEnglish && pick->english != offset)
    ok = Str_Read_At(src, textBase, pick->english, text, NULL);
  if (!ok) {
    text[0] = '\0';
    return 0;
  }
  Str_Expand_Newlines(text);
  return 1;
}

void Str_Expand_Newlines(char* text) {
  // After a backslash that starts no line break the search goes on from the
  // next character, so backslash, backslash, n still gives one.
  char* p = strchr(text, '\\');
  while (p != NULL) {
    if (p[1] == 'n') {
      *p = '\n';
      memmove(p + 1, p + 2, strlen(p + 2) + 1);
    }
    p = strchr(p + 1, '\\');
  }
}

const char* Str_Next_Placeholder(const char* text) {
  for (const char* p = text; *p; p++)
    if (*p == '^' && p[1] >= '0' && p[1] <= '9') return p;
  return NULL;
}

short Str_Count_Placeholders(const char* text) {
  short count = 0;
  for (const char* p = Str_Next_Placeholder(text); p != NULL; p = Str_Next_Placeholder(p + 2))
    if (count < SHRT_MAX) count++;
  return count;
}

int Str_Fill_Placeholders(const char* text, const char* const* copies, int count, char* out,
                          size_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  size_t used = 0;
  for (const char* p = text; *p;) {
    const char* at = Str_Next_Placeholder(p);
    size_t plain = at != NULL ? (size_t)(at - p) : strlen(p);
    if (!Buf_Copy_N(out + used, size - used, p, plain)) return 0;
    used += plain;
    if (at == NULL) break;
    int d = at[1] - '0';
    if (d < count && copies[d] != NULL) {
      if (!Buf_Copy(out + used, size - used, copies[d])) return 0;
      used += strlen(copies[d]);
    }
    p = at + 2;
  }
  return 1;
}

void Str_Walk_Start(Str_Walk* walk, const char* index, size_t length) {
  memset(walk, 0, sizeof *walk);
  walk->index = index;
  walk->length = Index_End(index, length);
  walk->pos = walk->length < (size_t)STR_HEADER_BYTES ? walk->length : (size_t)STR_HEADER_BYTES;
  walk->stop = STR_TOKEN_OK;
}

int Str_Walk_Entry(Str_Walk* walk) {
  if (walk->stop != STR_TOKEN_OK) return 0;
  while (walk->pos < walk->length && (unsigned char)walk->index[walk->pos] <= ' ') walk->pos++;
  if (walk->pos >= walk->length) return 0;
  walk->keyPos = walk->pos;
  walk->pairs = walk->pairsRead = 0;
  walk->count[0] = '\0';
  walk->stopToken = STR_WALK_KEY;
  walk->stop = Read_Token(walk->index, walk->length, &walk->pos, walk->key, sizeof walk->key);
  if (walk->stop != STR_TOKEN_OK) {
    Buf_Copy_N(walk->key, sizeof walk->key, walk->index + walk->keyPos,
               walk->length - walk->keyPos);
    return 0;
  }
  walk->stopToken = STR_WALK_COUNT;
  walk->stop =
      Read_Token(walk->index, walk->length, &walk->pos, walk->count, sizeof walk->count);
  if (walk->stop != STR_TOKEN_OK) return 0;
  walk->pairs = Str_Read_Number(walk->count, strlen(walk->count));
  return 1;
}

int Str_Walk_Pair(Str_Walk* walk, char* code, size_t codeSize, char* offset, size_t offsetSize) {
  if (walk->stop != STR_TOKEN_OK || walk->pairsRead >= walk->pairs) return 0;
  walk->stopToken = STR_WALK_CODE;
  walk->stop = Read_Token(walk->index, walk->length, &walk->pos, code, codeSize);
  if (walk->stop != STR_TOKEN_OK) return 0;
  walk->stopToken = STR_WALK_OFFSET;
  walk->stop = Read_Token(walk->index, walk->length, &walk->pos, offset, offsetSize);
  if (walk->stop != STR_TOKEN_OK) return 0;
  walk->pairsRead++;
  return 1;
}
