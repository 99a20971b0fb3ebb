// How the chooser takes the confirmed title from its list: read into room for
// the length the list reports (which may be too large), keep the real text.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "base/buf.h"
#include "manuals/chooser.h"

namespace {

// The longest title ChosenTitle holds, in double-byte characters (code page 932).
std::string Double_Byte_Title() {
  std::string t;
  while (t.size() < MANUAL_TEXT_SIZE - 1) t += "\x93\xfa";
  return t;
}

// OK as the dialog does it, against a list whose entry holds text and
// reports reported as its length. What ChosenTitle (here out) holds afterwards.
std::string Confirm(const std::string& text, long reported, const char* before = "earlier") {
  char read[CHOOSER_READ_SIZE + 8];
  memset(read, 'X', sizeof read);  // canaries after the read buffer
  char out[MANUAL_TEXT_SIZE];
  BUF_COPY(out, before);
  if (Chooser_Read_Fits(reported, CHOOSER_READ_SIZE)) {
    // The list writes the real text, never more than the reported length.
    EXPECT_LE((long)text.size(), reported);
    memcpy(read, text.c_str(), text.size() + 1);
    Chooser_Keep_Title(read, CHOOSER_READ_SIZE, out, dimof(out));
  }
  for (size_t i = CHOOSER_READ_SIZE; i < sizeof read; i++) EXPECT_EQ('X', read[i]);
  return out;
}

TEST(Chooser, ReadsIntoRoomForTheReportedLengthAndKeepsTheRealText) {
  const std::string longest = Double_Byte_Title();
  ASSERT_EQ(254u, longest.size());
  const std::string ascii(254, 'a');
  struct Case {
    const char* name;
    std::string text;
    long reported;
    std::string expected;
  } cases[] = {
      {"exact length", longest, 254, longest},
      {"over-reported by one", longest, 255, longest},
      {"over-reported as two bytes a character", ascii, 508, ascii},
      {"the most the read buffer takes", longest, CHOOSER_READ_SIZE - 1, longest},
      {"beyond even that: nothing read", longest, CHOOSER_READ_SIZE, "earlier"},
      {"the list failed (LB_ERR)", longest, -1, "earlier"},
      {"an empty entry", "", 0, ""},
      {"real text longer than any title", std::string(255, 'b'), 255, "earlier"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Confirm(c.text, c.reported)) << c.name;
}

TEST(Chooser, UnterminatedReadIsNotKept) {
  char read[8];
  memset(read, 'a', sizeof read);
  char out[16] = "earlier";
  EXPECT_EQ(0, Chooser_Keep_Title(read, dimof(read), out, dimof(out)));
  EXPECT_STREQ("earlier", out);
  read[7] = '\0';
  EXPECT_EQ(1, Chooser_Keep_Title(read, dimof(read), out, dimof(out)));
  EXPECT_STREQ("aaaaaaa", out);
}

}  // namespace
