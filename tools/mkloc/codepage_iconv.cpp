// Code page conversion with iconv (see codepage.h).
#include "codepage.h"

#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <string.h>

// Opening a converter loads its tables: each direction is opened once and
// reset before every use (mkloc converts every text several times, a fuzzer
// millions of times).
static iconv_t Converter(const char* to, const char* from) {
  struct Open {
    char to[16], from[16];
    iconv_t cd;
  };
  static Open open[16];  // room for both directions of all five code pages
  static int count = 0;
  for (int i = 0; i < count; i++)
    if (strcmp(open[i].to, to) == 0 && strcmp(open[i].from, from) == 0) {
      iconv(open[i].cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
      return open[i].cd;
    }
  iconv_t cd = iconv_open(to, from);
  // (iconv_t)-1 is how iconv_open reports failure.
  if (cd == (iconv_t)-1 || count == (int)(sizeof open / sizeof open[0])) return cd;  // NOLINT(performance-no-int-to-ptr)
  snprintf(open[count].to, sizeof open[count].to, "%s", to);
  snprintf(open[count].from, sizeof open[count].from, "%s", from);
  open[count++].cd = cd;
  return cd;
}

static bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = Converter(to, from);
  if (cd == (iconv_t)-1) return false;  // NOLINT(performance-no-int-to-ptr): iconv's failure value
  out->clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  bool ok = true;
  char chunk[256];
  for (;;) {
    char* dst = chunk;
    size_t dstLeft = sizeof chunk;
    size_t r = srcLeft ? iconv(cd, &src, &srcLeft, &dst, &dstLeft)
                       : iconv(cd, nullptr, nullptr, &dst, &dstLeft);  // flush shift state
    out->append(chunk, (size_t)(dst - chunk));
    if (r != (size_t)-1) {
      if (srcLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) continue;
    ok = false;  // EILSEQ (unrepresentable or invalid) or EINVAL (truncated sequence)
    break;
  }
  return ok;
}

static bool Iconv_Name(int codePage, char* name, size_t size) {
  switch (codePage) {
    case 874: case 932: case 949: case 950: case 1252:
      snprintf(name, size, "CP%d", codePage);
      return true;
  }
  return false;
}

bool Cp_From_Utf8(int codePage, const std::string& utf8, std::string* out) {
  char name[16];
  if (!Iconv_Name(codePage, name, sizeof name)) return false;
  if (!Convert(name, "UTF-8", utf8, out)) return false;
  // Some tables map several characters to one byte sequence; only an exact
  // round trip means the reader will see what the author wrote.
  std::string back;
  return Convert("UTF-8", name, *out, &back) && back == utf8;
}

bool Cp_To_Utf8(int codePage, const std::string& bytes, std::string* out) {
  char name[16];
  if (!Iconv_Name(codePage, name, sizeof name)) return false;
  return Convert("UTF-8", name, bytes, out);
}

void Tool_Binary_Stdout() {}
