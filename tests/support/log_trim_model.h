// The log's trimming as a line-by-line reader defines it, for the tests and the
// fuzzer to hold the program's block copy against: from half the size, drop
// one piece as a read with limit 255 takes it (at most 254 bytes, up to and
// including a line feed), then keep every later piece, zero bytes included.
#pragma once
#include <string>

inline size_t Log_Trim_Model_Piece_End(const std::string& log, size_t from) {
  size_t end = from;
  while (end < log.size() && end - from < 254)
    if (log[end++] == '\n') break;
  return end;
}

inline std::string Log_Trim_Model(const std::string& log) {
  size_t at = Log_Trim_Model_Piece_End(log, log.size() / 2);
  std::string kept;
  while (at < log.size()) {
    size_t end = Log_Trim_Model_Piece_End(log, at);
    kept.append(log, at, end - at);
    at = end;
  }
  return kept;
}
