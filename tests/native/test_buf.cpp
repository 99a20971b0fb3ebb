// The size-aware text helpers: never past the buffer, always terminated, truncation reported.
#include <gtest/gtest.h>
#include <string.h>

#include "base/buf.h"

TEST(Buf, CopyReportsFitAndCut) {
  char b[6];
  memset(b, 'X', sizeof b);
  EXPECT_EQ(1, BUF_COPY(b, "abcde"));
  EXPECT_STREQ("abcde", b);
  EXPECT_EQ(0, BUF_COPY(b, "abcdef"));
  EXPECT_STREQ("abcde", b);
  EXPECT_EQ(0, Buf_Copy(b, 0, "x"));
  EXPECT_STREQ("abcde", b);  // size 0 writes nothing
}

TEST(Buf, CopyNStopsAtCountOrTerminator) {
  char b[8];
  EXPECT_EQ(1, Buf_Copy_N(b, sizeof b, "abcdef", 3));
  EXPECT_STREQ("abc", b);
  const char unterminated[3] = {'x', 'y', 'z'};
  EXPECT_EQ(1, Buf_Copy_N(b, sizeof b, unterminated, 3));
  EXPECT_STREQ("xyz", b);
}

TEST(Buf, AppendAndFormatCut) {
  struct { char b[8]; char canary; } s;
  s.canary = 'C';
  BUF_COPY(s.b, "abc");
  EXPECT_EQ(1, BUF_APPEND(s.b, "def"));
  EXPECT_EQ(0, BUF_APPEND(s.b, "ghi"));
  EXPECT_STREQ("abcdefg", s.b);
  EXPECT_EQ(0, BUF_FORMAT(s.b, "%s-%d", "long", 12345));
  EXPECT_STREQ("long-12", s.b);
  EXPECT_EQ(1, BUF_FORMAT(s.b, "%d", 42));
  EXPECT_STREQ("42", s.b);
  EXPECT_EQ('C', s.canary);
}

TEST(Buf, AsciiCaseOnly) {
  char t[] = "abc\xe9z!";
  Upper_Ascii(t);
  EXPECT_STREQ("ABC\xe9Z!", t);
  EXPECT_TRUE(Equal_Ignore_Ascii_Case("AcroExch.Document", "acroexch.document"));
  EXPECT_FALSE(Equal_Ignore_Ascii_Case("AcroExch.Document", "AcroExch.Document "));
  EXPECT_FALSE(Equal_Ignore_Ascii_Case("\xe9", "\xc9"));
}
