// The chooser's portable rule for taking the confirmed title from its list;
// the dialog itself is in chooser_win.cpp.
#include "manuals/chooser.h"

#include <string.h>

#include "base/buf.h"

int Chooser_Read_Fits(long long reported, size_t size) {
  return reported >= 0 && (unsigned long long)reported < size;
}

int Chooser_Keep_Title(const char* read, size_t readSize, char* out, size_t outSize) {
  size_t length = strnlen(read, readSize);
  // Unterminated means the read overran what was asked for: trust none of it.
  if (length == readSize || length >= outSize) return 0;
  return Buf_Copy(out, outSize, read);
}
