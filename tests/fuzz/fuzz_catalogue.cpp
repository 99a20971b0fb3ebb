// Fuzzes the manual catalogue with arbitrary doc.ini bytes: rows, titles and
// probes must be what a plain line-by-line model of the reading gives, with
// the existence answers and the language taken from the bytes themselves.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "manuals/catalogue.h"

static const char kCanary = (char)0xA5;

struct Probe_Record {
  unsigned char salt;
  std::vector<std::string> probes;
  std::vector<std::string> listed;
};

// Most names exist, so reading goes far; a salt with the high bit set lets every one exist.
static int Answer(unsigned char salt, const std::string& pattern) {
  if (salt & 0x80) return 1;
  unsigned sum = salt;
  for (unsigned char c : pattern) sum += c;
  return sum % 16 != 0;
}

static int Fake_Exists(void* context, const char* folder, const char* pattern) {
  if (strcmp(folder, "X:\\doc") != 0) abort();
  Probe_Record* r = static_cast<Probe_Record*>(context);
  r->probes.push_back(pattern);
  return Answer(r->salt, pattern);
}

static void Fake_Add(void* context, const char* title) {
  static_cast<Probe_Record*>(context)->listed.push_back(title);
}

static void Check_Canary(const char* area, size_t from, size_t to) {
  static char canaries[300];
  if (canaries[0] != kCanary) memset(canaries, kCanary, sizeof canaries);
  if (to > from && memcmp(area + from, canaries, to - from) != 0) abort();
}

// The split into guarded buffers of a few sizes: always terminated, never past them.
static void Split_Guarded(const std::string& line) {
  static const size_t kSizes[] = {1, 2, 8, MANUAL_TEXT_SIZE};
  for (size_t size : kSizes) {
    char name[MANUAL_TEXT_SIZE + 8], title[MANUAL_TEXT_SIZE + 8];
    memset(name, kCanary, sizeof name);
    memset(title, kCanary, sizeof title);
    // An exact-size copy without a terminator: nothing beyond the length may be read.
    char* bytes = (char*)malloc(line.size() + 1);
    memcpy(bytes, line.data(), line.size());
    Catalogue_Split_Line(bytes, line.size(), name, size, title, size);
    free(bytes);
    if (strnlen(name, size) >= size || strnlen(title, size) >= size) abort();
    Check_Canary(name, size, sizeof name);
    Check_Canary(title, size, sizeof title);
  }
}

static std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string file((const char*)data, size);
  Probe_Record record;
  record.salt = size > 0 ? data[0] : 0;
  int language = size > 1 && (data[1] & 1) ? JAPANESE_LANGUAGE_ID : 1033;

  Byte_Source src;
  Bytes_From_Memory(&src, data, size);
  int whole = Catalogue_Read_Source(&src, "X:\\doc", language, Fake_Exists, Fake_Add, &record);

  // The model: pieces of at most 254 bytes ending at a line feed, each measured up
  // to a zero; name before the first "=", title after it (or the whole text) up to a CR.
  std::vector<std::string> probes, names, titles;
  int wantWhole = 1;
  size_t at = 0;
  while (names.size() < MANUAL_ROW_COUNT && at < file.size()) {
    size_t end = at;
    while (end < file.size() && end - at < 254)
      if (file[end++] == '\n') break;
    std::string text = file.substr(at, end - at);
    at = end;
    text = text.substr(0, text.find('\0'));
    Split_Guarded(text);
    size_t eq = text.find('=');
    std::string name = text.substr(0, eq);
    std::string title = eq == std::string::npos ? text : text.substr(eq + 1);
    title = title.substr(0, title.find('\r'));
    probes.push_back(name);
    if (!Answer(record.salt, name)) {
      wantWhole = 0;
      break;
    }
    if (language != JAPANESE_LANGUAGE_ID && Upper(title).find("JAPANESE") != std::string::npos)
      continue;
    names.push_back(name);
    titles.push_back(title);
  }

  if (whole != wantWhole) abort();
  if (record.probes != probes || record.listed != titles) abort();
  if (ManualCount != (int)names.size() || ManualCount > MANUAL_ROW_COUNT) abort();
  for (int i = 0; i < ManualCount; i++) {
    const ManualRow& r = ManualTable[i];
    if (strnlen(r.fileName, MANUAL_TEXT_SIZE) >= MANUAL_TEXT_SIZE) abort();
    if (strnlen(r.title, MANUAL_TEXT_SIZE) >= MANUAL_TEXT_SIZE) abort();
    if (names[i] != r.fileName || titles[i] != r.title) abort();
  }
  // The first row with a title is the one opened (a few rows: the scan is long).
  for (int i : {0, ManualCount / 2, ManualCount - 1}) {
    if (i < 0 || i >= ManualCount) continue;
    int found = Catalogue_Find_Title(ManualTable[i].title);
    if (found < 0 || found > i || titles[(size_t)found] != ManualTable[i].title) abort();
    for (int j = 0; j < found; j++)
      if (titles[(size_t)j] == ManualTable[i].title) abort();
  }

  // Opening the first listed manual: the command line stays inside its buffer.
  if (ManualCount > 0) {
    char out[256 + 8];
    memset(out, kCanary, sizeof out);
    int ready = Manual_Open_Command(ManualTable[0].title, "C:\\V\\V.EXE", "X:", out, 256);
    if (ready != OPEN_READY && ready != OPEN_TOO_LONG) abort();
    if (strnlen(out, 256) >= 256) abort();
    Check_Canary(out, 256, sizeof out);
    std::string want = "\"C:\\V\\V.EXE\" \"X:\\doc\\" + names[0] + "\"";
    if (ready == OPEN_READY ? want != out : want.size() <= 255 || want.substr(0, 255) != out)
      abort();
  }
  return 0;
}
