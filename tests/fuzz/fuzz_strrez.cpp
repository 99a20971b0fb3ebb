// Fuzzes the String store with arbitrary string files: load, look up and
// format into small buffers guarded by canaries, switch languages, close.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "fakes/strrez_fake.h"
#include "strrez/strrez.h"

static const char kCanary = (char)0xA5;

static void Check_Canary(const char* area, size_t from, size_t to) {
  for (size_t i = from; i < to; i++)
    if (area[i] != kCanary) abort();
}

// Looks key up into buffers of a few sizes, each followed by canary bytes.
static void Probe(short slot, const std::string& key) {
  static const size_t kSizes[] = {1, 2, 9, 256, 600};
  static const std::string kLong(300, 'L');
  const char* args[] = {"Installation (v1.5 or greater)", "^0^1", kLong.c_str(), ""};
  for (size_t size : kSizes) {
    char area[600 + 16];
    char k[300];
    for (int format = 0; format < 2; format++) {
      memset(area, kCanary, sizeof area);
      snprintf(k, sizeof k, "%s", key.c_str());
      char* r = format ? Str_Format(slot, k, area, size, args, (int)(size % 5))
                       : Str_Get(slot, k, area, size);
      if (r != area && r != nullptr) abort();
      if (strnlen(area, size) >= size) abort();  // always terminated within the buffer
      Check_Canary(area, size, sizeof area);
    }
  }
}

static std::string path;

static void Remove_File() { remove(path.c_str()); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (path.empty()) {
    path = "/tmp/fuzz_strrez_" + std::to_string(getpid()) + ".loc";
    atexit(Remove_File);
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  fwrite(data, 1, size, f);
  fclose(f);

  // A text of the input itself through the text helpers.
  std::string text((const char*)data, size);
  text = text.c_str();
  Str_Count_Placeholders(text.c_str());
  Str_Expand_Newlines(&text[0]);

  Strrez_Fake.system_language = size > 0 && data[0] & 1 ? 1036 : 1033;
  Strrez_Fake.country = size > 1 && data[1] & 1 ? "thailand" : "";
  if (Str_Open(0, path.c_str()) == 1) {
    // Keys: the ones the program asks for, and the first index tokens of the
    // file itself, so that found keys are common.
    std::string keys[] = {"MSG_Button_OK", "MSG_Message_InsertCD", "MSG_A", "", " ", "^"};
    Probe(0, keys[0]);
    Probe(0, keys[1]);
    size_t start = size > 8 ? 8 : size;
    size_t end = start;
    while (end < size && end - start < 40 && data[end] != ' ' && data[end] != 0) end++;
    std::string own((const char*)data + start, end - start);
    static const unsigned short kLanguages[] = {1033, 1036, 1041, 1054, 2057};
    for (unsigned short language : kLanguages) {
      Str_Set_Language(0, language);
      Probe(0, own);
    }
    for (size_t i = 2; i < sizeof keys / sizeof keys[0]; i++) Probe(0, keys[i]);
    Str_Close(0);
  }
  Probe(0, "MSG_A");  // after the close: empty, key untouched
  return 0;
}
