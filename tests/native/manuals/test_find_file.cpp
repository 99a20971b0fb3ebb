// Directory search, portable half: DOS time values and the search path.
#include <gtest/gtest.h>

#include <string>

#include "manuals/find_file.h"

namespace {

unsigned Dos_Date(unsigned year, unsigned month, unsigned day) {
  return (year - 1980) << 9 | month << 5 | day;
}
unsigned Dos_Time(unsigned h, unsigned m, unsigned s) { return h << 11 | m << 5 | s / 2; }

TEST(DosTimeToSeconds, KindsAndFieldWeights) {
  struct Case {
    int kind;
    unsigned date, time, want;
  } cases[] = {
      {1, Dos_Date(1999, 3, 3), Dos_Time(10, 20, 30), 296430},
      {1, Dos_Date(1999, 3, 3), Dos_Time(10, 20, 31), 296430},  // seconds in steps of 2
      {1, Dos_Date(2000, 12, 3), Dos_Time(10, 20, 30), 296430},  // month and year ignored
      {1, Dos_Date(1980, 1, 1), 0, 86400},
      {1, Dos_Date(2107, 12, 31), Dos_Time(23, 59, 58), 2764798},
      {1, 0xFFFF, 0xFFFF, 86400u * 31 + 3600u * 31 + 60u * 63 + 2u * 31},  // every bit set
      {2, Dos_Date(1999, 3, 15), Dos_Time(10, 20, 30), 9839},
      {2, 0xFFFF, 0, 0xFFFF},
      {0, Dos_Date(1999, 3, 15), Dos_Time(10, 20, 30), 0},
      {3, Dos_Date(1999, 3, 15), Dos_Time(10, 20, 30), 0},
      {-1, Dos_Date(1999, 3, 15), Dos_Time(10, 20, 30), 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, Dos_Time_To_Seconds(c.kind, c.date, c.time))
        << "kind " << c.kind << " date " << c.date << " time " << c.time;
}

TEST(FindBuildPath, JoinsWithOneBackslashUnlessPatternEmpty) {
  struct Case {
    const char *folder, *pattern, *want;
  } cases[] = {
      {"D:\\doc", "*.pdf", "D:\\doc\\*.pdf"},
      {"D:\\doc\\", "*.pdf", "D:\\doc\\\\*.pdf"},  // kept doubled
      {"D:\\doc", "", "D:\\doc"},
      {"", "x", "\\x"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    char out[FIND_PATH_SIZE];
    EXPECT_EQ(1, Find_Build_Path(out, sizeof out, c.folder, c.pattern));
    EXPECT_STREQ(c.want, out);
  }
}

TEST(FindBuildPath, ReportsACutPathAtTheLimit) {
  struct Case {
    size_t folderLength;
    const char* pattern;
    int fits;
  } cases[] = {
      {249, "*.pdf", 1},  // 249 + 1 + 5 = 255
      {250, "*.pdf", 0},
      {255, "", 1},
      {256, "", 0},
      {300, "x", 0},
  };
  for (const Case& c : cases) {
    std::string folder(c.folderLength, 'f');
    char out[FIND_PATH_SIZE + 8];
    memset(out, '#', sizeof out);
    EXPECT_EQ(c.fits, Find_Build_Path(out, FIND_PATH_SIZE, folder.c_str(), c.pattern))
        << c.folderLength;
    EXPECT_LE(strlen(out), (size_t)FIND_PATH_SIZE - 1);
    EXPECT_EQ('#', out[FIND_PATH_SIZE]);  // nothing written past the buffer
  }
}

}  // namespace
