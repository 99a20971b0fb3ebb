// Byte sources over a C stream or over memory (see bytes.h).
#include "base/bytes.h"

#include <string.h>

void Bytes_From_File(Byte_Source* src, FILE* file) {
  src->file = file;
  src->bytes = NULL;
  src->size = 0;
  src->pos = 0;
}

void Bytes_From_Memory(Byte_Source* src, const void* bytes, size_t size) {
  src->file = NULL;
  src->bytes = (const unsigned char*)bytes;
  src->size = bytes != NULL ? size : 0;
  src->pos = 0;
}

int Bytes_Get(Byte_Source* src) {
  if (src->file != NULL) return getc(src->file);
  if (src->pos >= src->size) return -1;
  return src->bytes[src->pos++];
}

size_t Bytes_Read(Byte_Source* src, void* out, size_t n) {
  if (src->file != NULL) return fread(out, 1, n, src->file);
  if (src->pos >= src->size) return 0;
  size_t left = src->size - src->pos;
  if (n > left) n = left;
  memcpy(out, src->bytes + src->pos, n);
  src->pos += n;
  return n;
}

int Bytes_Seek(Byte_Source* src, long pos) {
  if (pos < 0) return -1;
  if (src->file != NULL) return fseek(src->file, pos, SEEK_SET) == 0 ? 0 : -1;
  src->pos = (size_t)pos;
  return 0;
}

long Bytes_Length(Byte_Source* src) {
  if (src->file != NULL) {
    if (fseek(src->file, 0, SEEK_END) != 0) return -1;
    return ftell(src->file);
  }
  src->pos = src->size;
  return (long)src->size;
}

char* Bytes_Gets(Byte_Source* src, char* out, int limit) {
  if (src->file != NULL) return fgets(out, limit, src->file);
  if (limit <= 0) return NULL;
  int n = 0;
  while (n < limit - 1) {
    int c = Bytes_Get(src);
    if (c < 0) break;
    out[n++] = (char)c;
    if (c == '\n') break;
  }
  if (n == 0 && limit > 1) return NULL;
  out[n] = '\0';
  return out;
}
