// Fixed-size text buffers: every write goes through these helpers, which know
// the buffer's size, always terminate, and say whether the whole text fitted.
#pragma once
#include <stddef.h>

// Number of elements of an array; refuses to compile for a pointer.
template <typename T, size_t N> char (&Dimof_Helper(T (&)[N]))[N];
#define dimof(a) (sizeof(Dimof_Helper(a)))

// Each returns 1 when the whole text fitted, 0 when it was cut (the buffer
// then holds as much as fits, terminated). A size of 0 writes nothing.
int Buf_Copy(char* dst, size_t size, const char* src);
int Buf_Copy_N(char* dst, size_t size, const char* src, size_t n);  // at most n bytes of src
int Buf_Append(char* dst, size_t size, const char* src);
int Buf_Format(char* dst, size_t size, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

// Array forms: the size comes from the array itself.
#define BUF_COPY(arr, src) Buf_Copy((arr), dimof(arr), (src))
#define BUF_APPEND(arr, src) Buf_Append((arr), dimof(arr), (src))
#define BUF_FORMAT(arr, ...) Buf_Format((arr), dimof(arr), __VA_ARGS__)

// ASCII-only case helpers: our texts are bytes of any code page, so only
// a-z / A-Z change.
void Upper_Ascii(char* text);
int Equal_Ignore_Ascii_Case(const char* a, const char* b);
