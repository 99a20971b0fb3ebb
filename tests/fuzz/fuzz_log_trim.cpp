// Fuzzes the log's trimming with arbitrary log bytes: where the kept part
// begins and the bytes copied must be what the line-by-line reading keeps,
// from memory and from a stream alike.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "base/bytes.h"
#include "log/log_internal.h"
#include "log_trim_model.h"

static std::string Trim(Byte_Source* src, long* start) {
  *start = Log_Trim_Start(src);
  char* bytes = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&bytes, &length);
  if (out == nullptr) abort();
  if (Log_Copy_Rest(src, out) != 1) abort();
  fclose(out);
  std::string kept(bytes, length);
  free(bytes);
  return kept;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string log((const char*)data, size);
  std::string want = Log_Trim_Model(log);

  Byte_Source memory;
  Bytes_From_Memory(&memory, data, size);
  long start = 0;
  if (Trim(&memory, &start) != want) abort();
  if (start != (long)(size - want.size())) abort();

  if (size > 0) {  // fmemopen needs at least one byte
    FILE* stream = fmemopen(const_cast<char*>(log.data()), size, "rb");
    if (stream == nullptr) abort();
    Byte_Source file;
    Bytes_From_File(&file, stream);
    long fileStart = 0;
    std::string kept = Trim(&file, &fileStart);
    fclose(stream);
    if (kept != want || fileStart != start) abort();
  }
  return 0;
}
