// Size-aware text helpers shared by every subsystem.
#include "base/buf.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
// msvcrt's own formatting, named so: whether plain vsnprintf means MinGW's C99
// emulation depends on which headers came first (C++ ones switch it on).
#define Crt_Vsnprintf _vsnprintf
#else
#define Crt_Vsnprintf vsnprintf
#endif

int Buf_Copy_N(char* dst, size_t size, const char* src, size_t n) {
  if (size == 0) return 0;
  size_t len = 0;
  while (len < n && src[len] != '\0') len++;
  int fits = len < size;
  if (!fits) len = size - 1;
  memmove(dst, src, len);
  dst[len] = '\0';
  return fits;
}

int Buf_Copy(char* dst, size_t size, const char* src) {
  return Buf_Copy_N(dst, size, src, (size_t)-1);
}

int Buf_Append(char* dst, size_t size, const char* src) {
  if (size == 0) return 0;
  size_t used = strnlen(dst, size);
  if (used >= size) {  // not terminated: refuse to go further
    dst[size - 1] = '\0';
    return 0;
  }
  return Buf_Copy(dst + used, size - used, src);
}

// A printf-style helper is the point here: the compiler checks every call's
// format against its arguments (buf.h), which a parameter pack would not give.
int Buf_Format(char* dst, size_t size, const char* fmt, ...) {  // NOLINT(cert-dcl50-cpp)
  if (size == 0) return 0;
  va_list args;
  va_start(args, fmt);
  // The analyzer loses va_start through the run-time's inline wrapper.
  int n = Crt_Vsnprintf(dst, size, fmt, args);  // NOLINT(clang-analyzer-valist.Uninitialized)
  va_end(args);
  // msvcrt's _vsnprintf answers -1 for a cut text and may leave it unterminated.
  dst[size - 1] = '\0';
  return n >= 0 && (size_t)n < size;
}

void Upper_Ascii(char* text) {
  for (; *text; text++)
    if (*text >= 'a' && *text <= 'z') *text = (char)(*text - 'a' + 'A');
}

static int Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

int Equal_Ignore_Ascii_Case(const char* a, const char* b) {
  for (;; a++, b++) {
    if (Fold((unsigned char)*a) != Fold((unsigned char)*b)) return 0;
    if (*a == '\0') return 1;
  }
}
