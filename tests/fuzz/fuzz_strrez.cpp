// Fuzzes the String store's reading code with arbitrary string files held in
// memory: load the block, look keys up in every language, deliver texts, walk
// the index, and fill placeholders into small buffers guarded by canaries.
// The index is handed over without its terminator, so a read past the length
// it is given is caught. Buffers and lists are made once and reused, so an
// input costs no allocation beyond the reader's own.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/buf.h"
#include "strrez/strrez_read.h"

static const char kCanary = (char)0xA5;
static const char* const kCodes[] = {"ENG", "SPN", "FRA", "GER", "ITL", "JPN",
                                     "KOR", "MAN", "PRT", "TAI", "XYZ"};
enum { kCodeCount = sizeof kCodes / sizeof kCodes[0], kMaxKeys = 16, kCanaries = 16 };

// A buffer of size bytes followed by canaries, on the heap so ASan also sees
// what lies past them. Reset before every use: canaries, and an empty text.
struct Guarded {
  explicit Guarded(size_t n) : size(n), area((char*)malloc(n + kCanaries)) {
    if (area == nullptr) abort();
    Reset();
  }
  char* data() { return area; }
  char* Reset() {
    memset(area, kCanary, size + kCanaries);
    if (size > 0) area[0] = '\0';
    return area;
  }
  void Check() const {
    static char canaries[kCanaries];
    if (canaries[0] != kCanary) memset(canaries, kCanary, sizeof canaries);
    if (memcmp(area + size, canaries, kCanaries) != 0) abort();
    if (size > 0 && strnlen(area, size) >= size) abort();  // terminated within
  }
  size_t size;
  char* area;  // lives as long as the process: one per use below
};

// Delivered text through the fill helpers into a few small buffers.
static void Fill(const char* text) {
  static const std::string kLong(300, 'L');
  static Guarded outs[] = {Guarded(1), Guarded(2), Guarded(9), Guarded(256)};
  const char* copies[] = {"Installation (v1.5 or greater)", "^0^1", kLong.c_str(), "", nullptr};
  short count = Str_Count_Placeholders(text);
  if (count < 0) abort();
  for (Guarded& out : outs) {
    size_t size = out.size;
    int fits = Str_Fill_Placeholders(text, copies, count < 5 ? count : 5, out.Reset(), size);
    out.Check();
    if (fits && Str_Next_Placeholder(text) == nullptr && strcmp(out.data(), text) != 0) abort();
    Buf_Copy(out.Reset(), size, text);
    out.Check();
  }
}

// The distinct texts delivered for one input, each handed to Fill once.
struct Text_Set {
  char texts[kMaxKeys * kCodeCount][STR_TEXT_AREA];
  size_t lengths[kMaxKeys * kCodeCount];
  size_t count;
  void Add(const char* text) {
    size_t n = strlen(text);
    for (size_t i = 0; i < count; i++)
      if (lengths[i] == n && memcmp(texts[i], text, n) == 0) return;
    if (count == kMaxKeys * kCodeCount || !BUF_COPY(texts[count], text)) abort();
    lengths[count++] = n;
  }
};

// The picks read for one input. What a pick delivers depends on it and the
// file's bytes alone (each read seeks first), so a pick found again, as the
// English fallback is for every code an entry lacks, is not read again.
struct Picks_Read {
  Str_Pick picks[kMaxKeys * kCodeCount];
  size_t count;
  bool Add(const Str_Pick& p) {
    for (size_t i = 0; i < count; i++) {
      const Str_Pick& q = picks[i];
      if (q.haveOwn == p.haveOwn && q.own == p.own && q.haveEnglish == p.haveEnglish &&
          q.english == p.english)
        return false;
    }
    if (count == kMaxKeys * kCodeCount) abort();
    picks[count++] = p;
    return true;
  }
};

static void Deliver(Byte_Source* src, const Str_Index& index, const char* bare, const char* key,
                    Picks_Read* read, Text_Set* texts) {
  static Guarded text(STR_TEXT_AREA);
  for (const char* code : kCodes) {
    Str_Pick pick;
    int found = Str_Find_Pick(bare, (size_t)index.textBase, key, code, &pick);
    if (found != (pick.haveOwn || pick.haveEnglish)) abort();
    if (pick.at < -1 || pick.at >= index.textBase) abort();
    if (found && pick.at < 0) abort();
    if (!read->Add(pick)) continue;
    int ok = Str_Read_Picked(src, index.textBase, &pick, text.Reset());
    text.Check();
    if (!ok && text.data()[0] != '\0') abort();
    if (strlen(text.data()) > STR_MAX_TEXT) abort();
    texts->Add(text.data());
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kAsked[] = {"MSG_BUTTON_OK", "MSG_MESSAGE_INSERTCD", "MSG_A", "", " ", "^", "\r\n"};
  // Held in arrays, not strings: an input that allocated more than it freed
  // would be run once more by libFuzzer to look for a leak.
  static char keys[kMaxKeys][STR_MAX_TOKEN + 1];
  static Text_Set texts;
  static Picks_Read read;
  static Guarded code(4), offset(12), one(STR_TEXT_AREA);

  // The text rules on the input itself, as a C string.
  std::string text((const char*)data, size);
  text = text.c_str();
  Str_Expand_Newlines(&text[0]);
  if (text.size() > size || strlen(text.c_str()) > size) abort();
  Fill(text.c_str());

  Byte_Source src;
  Bytes_From_Memory(&src, data, size);
  Str_Index index;
  if (!Str_Load_Index(&src, &index)) {
    if (index.text != nullptr || index.why == 0) abort();
    return 0;
  }
  if (index.textBase != index.block - 2 || index.block > (long)size || index.text[index.textBase] != '\0')
    abort();
  // The index without its terminator: exactly the bytes the lookup may read.
  char* bare = (char*)malloc((size_t)index.textBase);
  if (bare == nullptr) abort();
  memcpy(bare, index.text, (size_t)index.textBase);
  free(index.text);

  // Keys: the ones the program asks for, odd ones, and the entries' own.
  size_t keyCount = 0;
  for (const char* asked : kAsked)
    if (!BUF_COPY(keys[keyCount++], asked)) abort();
  Str_Walk walk;
  Str_Walk_Start(&walk, bare, (size_t)index.textBase);
  while (Str_Walk_Entry(&walk)) {
    if (walk.keyPos >= (size_t)index.textBase || walk.pos > (size_t)index.textBase) abort();
    if (keyCount < kMaxKeys && !BUF_COPY(keys[keyCount++], walk.key)) abort();
    // Small token buffers: a code that does not fit stops the walk, never overruns.
    while (Str_Walk_Pair(&walk, code.Reset(), code.size, offset.Reset(), offset.size)) {
      code.Check();
      offset.Check();
      size_t length = 0;
      if (Str_Read_At(&src, index.textBase, Str_Read_Number(offset.data(), strlen(offset.data())),
                      one.Reset(), &length)) {
        if (length > STR_MAX_TEXT || one.data()[length] != '\0') abort();
      }
      one.Check();
    }
    code.Check();
    offset.Check();
    if (walk.pairsRead > (walk.pairs > 0 ? walk.pairs : 0)) abort();  // a negative count reads none
  }
  if (walk.stop != STR_TOKEN_OK && walk.stop != STR_TOKEN_UNENDED && walk.stop != STR_TOKEN_LONG &&
      walk.stop != STR_TOKEN_LINE_BREAK)
    abort();

  // Each text delivered goes through the placeholder and copy helpers once.
  texts.count = read.count = 0;
  for (size_t i = 0; i < keyCount; i++) Deliver(&src, index, bare, keys[i], &read, &texts);
  for (size_t i = 0; i < texts.count; i++) Fill(texts.texts[i]);
  free(bare);
  return 0;
}
