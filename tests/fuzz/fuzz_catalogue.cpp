// Fuzzes the manual catalogue with arbitrary doc.ini bytes: rows, titles and
// probes must be what a plain line-by-line model of the reading gives, with
// the existence answers and the language taken from the bytes themselves.
// The model points into the input and the recorded texts reuse their storage,
// so an input costs no allocation per line.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <sanitizer/asan_interface.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "manuals/catalogue.h"

static const char kCanary = (char)0xA5;

// Bytes of the input: the model's lines, names and titles.
struct Text_View {
  const char* at;
  size_t length;
};

static bool Same(Text_View v, const char* text) {
  return strlen(text) == v.length && memcmp(text, v.at, v.length) == 0;
}

// Copies of the texts the reader hands out (it reuses its row buffers), one
// after another in storage kept between inputs. Once grown it allocates
// nothing: an input that left more mallocs than frees would be run once more
// by libFuzzer to look for a leak.
struct Text_List {
  std::string bytes;  // the texts, each with its terminator
  std::vector<size_t> starts;
  void Clear() {
    bytes.clear();
    starts.clear();
  }
  void Add(const char* text) {
    starts.push_back(bytes.size());
    bytes.append(text, strlen(text) + 1);
  }
};

struct Probe_Record {
  unsigned char salt;
  Text_List probes;
  Text_List listed;
};

// Most names exist, so reading goes far; a salt with the high bit set lets every one exist.
static int Answer(unsigned char salt, Text_View pattern) {
  if (salt & 0x80) return 1;
  unsigned sum = salt;
  for (size_t i = 0; i < pattern.length; i++) sum += (unsigned char)pattern.at[i];
  return sum % 16 != 0;
}

static int Fake_Exists(void* context, const char* folder, const char* pattern) {
  if (strcmp(folder, "X:\\doc") != 0) abort();
  Probe_Record* r = static_cast<Probe_Record*>(context);
  r->probes.Add(pattern);
  return Answer(r->salt, Text_View{pattern, strlen(pattern)});
}

static void Fake_Add(void* context, const char* title) {
  static_cast<Probe_Record*>(context)->listed.Add(title);
}

static void Check_Canary(const char* area, size_t from, size_t to) {
  static char canaries[300];
  if (canaries[0] != kCanary) memset(canaries, kCanary, sizeof canaries);
  if (to > from && memcmp(area + from, canaries, to - from) != 0) abort();
}

// The line alone, without a terminator, in a buffer ASan lets the reader touch
// only within the line's length: a read before it or past it is reported, as
// with an exact-size heap copy, but without an allocation per line.
static const char* Exact_Copy(Text_View line) {
  enum { kGuard = 32 };
  alignas(8) static char area[kGuard + CATALOGUE_READ_LIMIT + kGuard];
  char* at = area + kGuard;  // 8-aligned, so the poisoning is exact at both ends
  ASAN_UNPOISON_MEMORY_REGION(area, sizeof area);
  memcpy(at, line.at, line.length);
  ASAN_POISON_MEMORY_REGION(area, sizeof area);
  ASAN_UNPOISON_MEMORY_REGION(at, line.length);
  return at;
}

// The split into guarded buffers of a few sizes: always terminated, never past them.
static void Split_Guarded(Text_View line) {
  static const size_t kSizes[] = {1, 2, 8, MANUAL_TEXT_SIZE};
  const char* bytes = Exact_Copy(line);
  for (size_t size : kSizes) {
    char name[MANUAL_TEXT_SIZE + 8], title[MANUAL_TEXT_SIZE + 8];
    memset(name, kCanary, sizeof name);
    memset(title, kCanary, sizeof title);
    Catalogue_Split_Line(bytes, line.length, name, size, title, size);
    if (strnlen(name, size) >= size || strnlen(title, size) >= size) abort();
    Check_Canary(name, size, sizeof name);
    Check_Canary(title, size, sizeof title);
  }
}

// "JAPANESE" anywhere in the text, ASCII letters in either case.
static bool Names_Japanese(Text_View t) {
  static const char kWord[] = "JAPANESE";
  const size_t n = sizeof kWord - 1;
  for (size_t i = 0; i + n <= t.length; i++) {
    size_t k = 0;
    for (; k < n; k++) {
      char c = t.at[i + k];
      if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
      if (c != kWord[k]) break;
    }
    if (k == n) return true;
  }
  return false;
}

static bool Same_List(const Text_List& got, const std::vector<Text_View>& want) {
  if (got.starts.size() != want.size()) return false;
  for (size_t i = 0; i < want.size(); i++)
    if (!Same(want[i], got.bytes.data() + got.starts[i])) return false;
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Probe_Record record;
  static std::vector<Text_View> probes, names, titles;
  static std::string want;
  record.probes.Clear();
  record.listed.Clear();
  probes.clear();
  names.clear();
  titles.clear();

  record.salt = size > 0 ? data[0] : 0;
  int language = size > 1 && (data[1] & 1) ? JAPANESE_LANGUAGE_ID : 1033;

  Byte_Source src;
  Bytes_From_Memory(&src, data, size);
  int whole = Catalogue_Read_Source(&src, "X:\\doc", language, Fake_Exists, Fake_Add, &record);

  // The model: pieces of at most 254 bytes ending at a line feed, each measured up
  // to a zero; name before the first "=", title after it (or the whole text) up to a CR.
  const char* file = (const char*)data;
  int wantWhole = 1;
  size_t at = 0;
  while (names.size() < MANUAL_ROW_COUNT && at < size) {
    const char* piece = file + at;
    size_t room = size - at < 254 ? size - at : 254;
    const char* lf = (const char*)memchr(piece, '\n', room);
    size_t length = lf != nullptr ? (size_t)(lf - piece) + 1 : room;
    at += length;
    const char* zero = (const char*)memchr(piece, '\0', length);
    Text_View text{piece, zero != nullptr ? (size_t)(zero - piece) : length};
    Split_Guarded(text);
    const char* eq = (const char*)memchr(text.at, '=', text.length);
    Text_View name{text.at, eq != nullptr ? (size_t)(eq - text.at) : text.length};
    Text_View title = text;
    if (eq != nullptr) title = Text_View{eq + 1, text.length - name.length - 1};
    const char* cr = (const char*)memchr(title.at, '\r', title.length);
    if (cr != nullptr) title.length = (size_t)(cr - title.at);
    probes.push_back(name);
    if (!Answer(record.salt, name)) {
      wantWhole = 0;
      break;
    }
    if (language != JAPANESE_LANGUAGE_ID && Names_Japanese(title)) continue;
    names.push_back(name);
    titles.push_back(title);
  }

  if (whole != wantWhole) abort();
  if (!Same_List(record.probes, probes) || !Same_List(record.listed, titles)) abort();
  if (ManualCount != (int)names.size() || ManualCount > MANUAL_ROW_COUNT) abort();
  for (int i = 0; i < ManualCount; i++) {
    const ManualRow& r = ManualTable[i];
    if (strnlen(r.fileName, MANUAL_TEXT_SIZE) >= MANUAL_TEXT_SIZE) abort();
    if (strnlen(r.title, MANUAL_TEXT_SIZE) >= MANUAL_TEXT_SIZE) abort();
    if (!Same(names[(size_t)i], r.fileName) || !Same(titles[(size_t)i], r.title)) abort();
  }
  // The first row with a title is the one opened (a few rows: the scan is long).
  for (int i : {0, ManualCount / 2, ManualCount - 1}) {
    if (i < 0 || i >= ManualCount) continue;
    int found = Catalogue_Find_Title(ManualTable[i].title);
    if (found < 0 || found > i || !Same(titles[(size_t)found], ManualTable[i].title)) abort();
    for (int j = 0; j < found; j++)
      if (Same(titles[(size_t)j], ManualTable[i].title)) abort();
  }

  // Opening the first listed manual: the command line stays inside its buffer.
  if (ManualCount > 0) {
    char out[256 + 8];
    memset(out, kCanary, sizeof out);
    int ready = Manual_Open_Command(ManualTable[0].title, "C:\\V\\V.EXE", "X:", out, 256);
    if (ready != OPEN_READY && ready != OPEN_TOO_LONG) abort();
    if (strnlen(out, 256) >= 256) abort();
    Check_Canary(out, 256, sizeof out);
    want.assign("\"C:\\V\\V.EXE\" \"X:\\doc\\").append(names[0].at, names[0].length).append("\"");
    if (ready == OPEN_READY ? want != out : want.size() <= 255 || want.compare(0, 255, out) != 0)
      abort();
  }
  return 0;
}
