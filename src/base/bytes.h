// A source of bytes: a file opened with the C run-time, or bytes in memory.
// Every reader of outside data (string files, the catalogue, the log) reads
// through one, so the program, the disc authors' tools and the fuzzers run the
// same code. Memory sources behave exactly as the run-time's "rb" streams do.
#pragma once
#include <stddef.h>
#include <stdio.h>

struct Byte_Source {
  FILE* file;                  // a stream, or NULL for memory
  const unsigned char* bytes;  // memory: the bytes, size of them, next position
  size_t size;
  size_t pos;
};

// The source does not own the stream or the bytes: the caller closes or frees them.
void Bytes_From_File(Byte_Source* src, FILE* file);
void Bytes_From_Memory(Byte_Source* src, const void* bytes, size_t size);

// The next byte (0..255), or -1 at the end or on a read error (getc).
int Bytes_Get(Byte_Source* src);
// Up to n bytes into out; the number read (fread).
size_t Bytes_Read(Byte_Source* src, void* out, size_t n);
// Positions at pos bytes from the start; past the end is allowed and reads
// nothing. 0 on success, -1 for a negative position or a failed seek (fseek).
int Bytes_Seek(Byte_Source* src, long pos);
// The length in bytes, leaving the position at the end; -1 when unknown
// (fseek to the end, then ftell).
long Bytes_Length(Byte_Source* src);
// One line as fgets reads it: at most limit - 1 bytes, up to and including a
// line feed, then a terminator. NULL when nothing could be read. A zero byte
// in the line is stored like any other, so callers that measure with strlen
// see the line up to it, as with fgets.
char* Bytes_Gets(Byte_Source* src, char* out, int limit);
