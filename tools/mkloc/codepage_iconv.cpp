// Code page conversion with iconv (see codepage.h).
#include "codepage.h"

#include <errno.h>
#include <iconv.h>
#include <stdio.h>

static bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == (iconv_t)-1) return false;
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
  iconv_close(cd);
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
