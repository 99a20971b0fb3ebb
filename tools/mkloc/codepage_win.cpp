// Code page conversion with the Windows API (see codepage.h).
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "codepage.h"

static bool To_Wide(UINT codePage, const std::string& in, std::wstring* out) {
  out->clear();
  if (in.empty()) return true;
  int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), nullptr, 0);
  if (n <= 0) return false;
  out->resize((size_t)n);
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), &(*out)[0], n) == n;
}

static bool From_Wide(UINT codePage, const std::wstring& in, std::string* out) {
  out->clear();
  if (in.empty()) return true;
  bool utf8 = codePage == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultArg = utf8 ? nullptr : &usedDefault;  // not allowed for UTF-8
  int n = WideCharToMultiByte(codePage, flags, in.data(), (int)in.size(), nullptr, 0, nullptr, usedDefaultArg);
  if (n <= 0 || usedDefault) return false;
  out->resize((size_t)n);
  n = WideCharToMultiByte(codePage, flags, in.data(), (int)in.size(), &(*out)[0], n, nullptr, usedDefaultArg);
  return n == (int)out->size() && !usedDefault;
}

bool Cp_From_Utf8(int codePage, const std::string& utf8, std::string* out) {
  std::wstring wide;
  if (!To_Wide(CP_UTF8, utf8, &wide) || !From_Wide((UINT)codePage, wide, out)) return false;
  // Only an exact round trip means the reader will see what the author wrote.
  std::wstring back;
  return To_Wide((UINT)codePage, *out, &back) && back == wide;
}

bool Cp_To_Utf8(int codePage, const std::string& bytes, std::string* out) {
  std::wstring wide;
  return To_Wide((UINT)codePage, bytes, &wide) && From_Wide(CP_UTF8, wide, out);
}

void Tool_Binary_Stdout() {
  fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}
