// Fuzzes the String store's reading code with arbitrary string files held in
// memory: load the block, look keys up in every language, deliver texts, walk
// the index, and fill placeholders into small buffers guarded by canaries.
// The index is handed over without its terminator, so a read past the length
// it is given is caught.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "base/buf.h"
#include "strrez/strrez_read.h"

static const char kCanary = (char)0xA5;
static const char* const kCodes[] = {"ENG", "SPN", "FRA", "GER", "ITL", "JPN",
                                     "KOR", "MAN", "PRT", "TAI", "XYZ"};

// A buffer of size bytes followed by canaries, on the heap so ASan also sees it.
struct Guarded {
  explicit Guarded(size_t n) : size(n), area(n + 16, kCanary) { Reset(); }
  char* data() { return area.data(); }
  void Reset() {
    area.assign(area.size(), kCanary);
    if (size > 0) area[0] = '\0';
  }
  void Check() const {
    for (size_t i = size; i < area.size(); i++)
      if (area[i] != kCanary) abort();
    if (size > 0 && strnlen(area.data(), size) >= size) abort();  // terminated within
  }
  size_t size;
  std::vector<char> area;
};

// Delivered text through the fill helpers into a few small buffers.
static void Fill(const char* text) {
  static const std::string kLong(300, 'L');
  const char* copies[] = {"Installation (v1.5 or greater)", "^0^1", kLong.c_str(), "", nullptr};
  short count = Str_Count_Placeholders(text);
  if (count < 0) abort();
  for (size_t size : {1, 2, 9, 256}) {
    Guarded out(size);
    int fits = Str_Fill_Placeholders(text, copies, count < 5 ? count : 5, out.data(), size);
    out.Check();
    if (fits && Str_Next_Placeholder(text) == nullptr && strcmp(out.data(), text) != 0) abort();
    Guarded cut(size);
    Buf_Copy(cut.data(), size, text);
    cut.Check();
  }
}

static void Deliver(Byte_Source* src, const Str_Index& index, const char* bare,
                    const std::string& key, std::set<std::string>* texts) {
  for (const char* code : kCodes) {
    Str_Pick pick;
    int found = Str_Find_Pick(bare, (size_t)index.textBase, key.c_str(), code, &pick);
    if (found != (pick.haveOwn || pick.haveEnglish)) abort();
    if (pick.at < -1 || pick.at >= index.textBase) abort();
    if (found && pick.at < 0) abort();
    Guarded text(STR_TEXT_AREA);
    int ok = Str_Read_Picked(src, index.textBase, &pick, text.data());
    text.Check();
    if (!ok && text.data()[0] != '\0') abort();
    if (strlen(text.data()) > STR_MAX_TEXT) abort();
    texts->insert(text.data());
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  memcpy(bare, index.text, (size_t)index.textBase);
  free(index.text);

  // Keys: the ones the program asks for, odd ones, and the entries' own.
  std::vector<std::string> keys = {"MSG_BUTTON_OK", "MSG_MESSAGE_INSERTCD", "MSG_A", "", " ", "^", "\r\n"};
  Str_Walk walk;
  Str_Walk_Start(&walk, bare, (size_t)index.textBase);
  while (Str_Walk_Entry(&walk)) {
    if (walk.keyPos >= (size_t)index.textBase || walk.pos > (size_t)index.textBase) abort();
    if (keys.size() < 16) keys.push_back(walk.key);
    // Small token buffers: a code that does not fit stops the walk, never overruns.
    Guarded code(4), offset(12);
    while (Str_Walk_Pair(&walk, code.data(), code.size, offset.data(), offset.size)) {
      code.Check();
      offset.Check();
      Guarded one(STR_TEXT_AREA);
      size_t length = 0;
      if (Str_Read_At(&src, index.textBase, Str_Read_Number(offset.data(), strlen(offset.data())),
                      one.data(), &length)) {
        if (length > STR_MAX_TEXT || one.data()[length] != '\0') abort();
      }
      one.Check();
      code.Reset();
      offset.Reset();
    }
    code.Check();
    offset.Check();
    if (walk.pairsRead > (walk.pairs > 0 ? walk.pairs : 0)) abort();  // a negative count reads none
  }
  if (walk.stop != STR_TOKEN_OK && walk.stop != STR_TOKEN_UNENDED && walk.stop != STR_TOKEN_LONG &&
      walk.stop != STR_TOKEN_LINE_BREAK)
    abort();

  // Each text delivered goes through the placeholder and copy helpers once.
  std::set<std::string> texts;
  for (const std::string& key : keys) Deliver(&src, index, bare, key, &texts);
  for (const std::string& t : texts) Fill(t.c_str());
  free(bare);
  return 0;
}
