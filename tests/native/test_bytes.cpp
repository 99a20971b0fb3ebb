// Memory byte sources answer exactly as the run-time's "rb" stream over the same bytes.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "base/bytes.h"

namespace {

// Runs the same script of calls on a source and returns a trace of every answer.
std::string Trace(Byte_Source* s) {
  std::string t;
  char line[8];
  for (int limit : {5, 1, 2, 8, 8, 8}) {
    char* r = Bytes_Gets(s, line, limit);
    t += r ? "[" + std::string(line, strlen(line)) + "]" : "<null>";
  }
  t += "|" + std::to_string(Bytes_Seek(s, 3)) + ":" + std::to_string(Bytes_Get(s));
  t += "|" + std::to_string(Bytes_Seek(s, -1));
  char block[4];
  t += "|" + std::to_string(Bytes_Read(s, block, sizeof block));
  t += "|" + std::to_string(Bytes_Length(s)) + ":" + std::to_string(Bytes_Get(s));
  t += "|" + std::to_string(Bytes_Seek(s, 1000)) + ":" + std::to_string(Bytes_Get(s)) + ":" +
       std::to_string(Bytes_Read(s, block, sizeof block));
  return t;
}

TEST(Bytes, MemoryAnswersAsAStream) {
  const std::string cases[] = {"", "a", "ab\ncd\n", std::string("x\0y\nzzzzzzzzzz\r\n", 16), "\n\n\n"};
  for (const std::string& bytes : cases) {
    FILE* f = tmpfile();
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    Byte_Source file, memory;
    Bytes_From_File(&file, f);
    Bytes_From_Memory(&memory, bytes.data(), bytes.size());
    EXPECT_EQ(Trace(&file), Trace(&memory)) << "bytes: " << bytes;
    fclose(f);
  }
}

}  // namespace
