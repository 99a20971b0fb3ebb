// Fuzzes the reader's registry texts: a value of arbitrary bytes with a byte
// count is terminated, then compared as the ".pdf" class, read as a version
// and cut into the reader's path, all in buffers guarded by canaries.
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "manuals/viewer.h"

static const char kCanary = (char)0xA5;
static const char kStale = 'S';  // what the buffer held before the read

enum { TEXT_SIZE = 81, PATH_SIZE = 256 };  // the registry buffer and ViewerPath

static void Check_Canary(const char* area, size_t from, size_t to) {
  static char canaries[300];
  if (canaries[0] != kCanary) memset(canaries, kCanary, sizeof canaries);
  if (to > from && memcmp(area + from, canaries, to - from) != 0) abort();
}

static std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

static void Check_Path(const std::string& text, size_t outSize) {
  char command[TEXT_SIZE];
  memcpy(command, text.c_str(), text.size() + 1);
  char out[PATH_SIZE + 8];
  memset(out, kCanary, sizeof out);
  int r = Viewer_Path_From_Command(command, out, outSize);
  Check_Canary(out, outSize, sizeof out);
  std::string upper = Upper(text);
  size_t exe = upper.find(".EXE");
  if (exe == std::string::npos) {
    if (r != 0) abort();
    Check_Canary(out, 0, outSize);  // untouched
    return;
  }
  std::string path = upper.substr(0, exe + 4);
  if (path[0] == '"') path = path.substr(1);
  if (strnlen(out, outSize) >= outSize) abort();
  if (r != (path.size() < outSize ? 1 : 0)) abort();
  if (path.substr(0, outSize - 1) != out) abort();
  if (r == 1 && (strlen(out) < 4 || strcmp(out + strlen(out) - 4, ".EXE") != 0)) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Byte 0: the count the registry reported (255: the read failed); byte 1:
  // the buffer's size, 81 as the program gives it unless the high bit is set.
  long count = data[0] == 255 ? -1 : (long)data[0];
  long bufferSize = (data[1] & 0x80) ? (long)(data[1] & 0x7f) : TEXT_SIZE;
  const uint8_t* value = data + 2;
  size_t valueSize = size - 2;

  // The registry writes at most the buffer's size; the rest holds what was there.
  char area[128 + 8];
  memset(area, kCanary, sizeof area);
  memset(area, kStale, (size_t)bufferSize);
  size_t written = count < 0 ? 0 : (size_t)(count < bufferSize ? count : bufferSize);
  if (written > valueSize) written = valueSize;
  memcpy(area, value, written);
  for (long i = (long)written; i < count && i < bufferSize; i++) area[i] = 'v';
  std::string before(area, (size_t)bufferSize);

  int r = Viewer_Terminate_Value(area, count, bufferSize);
  Check_Canary(area, (size_t)bufferSize, sizeof area);
  int want;
  if (bufferSize <= 0)
    want = 0;
  else if (count < 0 || count > bufferSize)
    want = 0;
  else if (count > 0 && before[(size_t)count - 1] == '\0')
    want = 1;
  else
    want = count < bufferSize;
  if (r != want) abort();
  if (bufferSize > 0 && r == 0 && area[0] != '\0') abort();
  if (bufferSize == 0 && area[0] != kCanary) abort();
  if (r == 0) return 0;
  if (strnlen(area, (size_t)bufferSize) >= (size_t)bufferSize) abort();
  if (memcmp(area, before.data(), strlen(area)) != 0) abort();  // the text is the bytes read
  std::string text = area;

  int isClass = Viewer_Class_Is_Reader(text.c_str());
  if (isClass != (Upper(text) == "ACROEXCH.DOCUMENT")) abort();

  // The version from the bytes themselves, without a terminator: nothing
  // beyond the length is read; no inf, nan or hex reading.
  char* raw = (char*)malloc(valueSize + 1);
  memcpy(raw, value, valueSize);
  double v = Viewer_Version_Number(raw, valueSize);
  free(raw);
  if (isnan(v)) abort();
  double t = Viewer_Version_Number(text.c_str(), text.size());
  if (isnan(t)) abort();
  size_t lead = text.find_first_not_of(" \t\n\v\f\r");
  if (lead != std::string::npos) {
    std::string rest = Upper(text.substr(lead));
    if ((rest.rfind("INF", 0) == 0 || rest.rfind("NAN", 0) == 0 || rest.rfind("0X", 0) == 0) &&
        t != 0.0)
      abort();
  }

  if (text.size() < TEXT_SIZE) {
    Check_Path(text, PATH_SIZE);
    Check_Path(text, 1 + (size_t)(count & 0x3f));  // small buffers: cut, never past them
  }
  return 0;
}
