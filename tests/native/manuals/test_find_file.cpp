// Directory search: DOS time values, the search path, and the slots over the
// search seam (answered by the platform stand-in).
#include <gtest/gtest.h>

#include <string>

#include "fakes/platform_fake.h"
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

// ---- The slots over the search seam ---------------------------------------

struct Slots : ::testing::Test {
  void SetUp() override {
    Platform_Fake_Reset();
    Sys_Find_Entry a = Platform_Fake_Entry("a.pdf"), b = Platform_Fake_Entry("sub", 1);
    a.writeOk = a.createOk = 1;
    a.writeDate = (unsigned short)Dos_Date(1999, 3, 3);
    a.writeTime = (unsigned short)Dos_Time(10, 20, 30);
    a.createDate = (unsigned short)Dos_Date(1999, 3, 15);
    Platform_Fake.listings["D:\\doc\\*"] = {a, b};
  }
  void TearDown() override {
    for (int slot = 0; slot < FIND_SLOT_COUNT; slot++) Find_File(slot, "D:\\none", "*", name, &time, 2, &dir);
    EXPECT_EQ(0, Platform_Fake_Seen.open_searches);  // every search closed
  }
  int Call(int slot, int mode, const char* folder = "D:\\doc", const char* pattern = "*") {
    return Find_File(slot, folder, pattern, name, &time, mode, &dir);
  }
  char name[FIND_NAME_SIZE];
  unsigned time = 0;
  int dir = -1;
};

TEST_F(Slots, FirstThenNextToTheEndAndBeyond) {
  EXPECT_EQ(0, Call(0, 1));
  EXPECT_STREQ("a.pdf", name);
  EXPECT_EQ(0, dir);
  EXPECT_EQ(0, Call(0, 0));
  EXPECT_STREQ("sub", name);
  EXPECT_EQ(1, dir);
  for (int i = 0; i < 2; i++) {
    dir = 7;
    EXPECT_EQ(-1, Call(0, 0));
    EXPECT_STREQ("", name);
    EXPECT_EQ(7, dir);  // untouched without a match
  }
  // The error mode goes to 1 around the first search only, and back to 0.
  EXPECT_EQ((std::vector<unsigned>{1, 0}), Platform_Fake_Seen.error_modes);
  EXPECT_EQ((std::vector<std::string>{"D:\\doc\\*"}), Platform_Fake_Seen.searches);
}

TEST_F(Slots, ModeTwoClosesAndSlotsAreApart) {
  EXPECT_EQ(0, Call(1, 1));
  EXPECT_EQ(0, Call(2, 2));
  EXPECT_EQ(1, Platform_Fake_Seen.open_searches);  // slot 2's search closed at once
  EXPECT_EQ(-1, Call(2, 0));                        // nothing to continue
  EXPECT_EQ(0, Call(1, 0));
  EXPECT_STREQ("sub", name);                        // slot 1 went on where it was
  EXPECT_EQ(-1, Call(3, 2, "D:\\doc", "*.txt"));   // no match
  EXPECT_EQ(-1, Call(3, 0));                        // after a failed first search
  EXPECT_EQ(-1, Call(5, 1));                        // no such slot
  EXPECT_STREQ("", name);
}

TEST_F(Slots, APathTooLongIsNeverSearched) {
  std::string folder(260, 'F');
  EXPECT_EQ(-1, Call(0, 1, folder.c_str()));
  EXPECT_STREQ("", name);
  EXPECT_TRUE(Platform_Fake_Seen.searches.empty());
  EXPECT_EQ(-1, Call(0, 0));
}

TEST_F(Slots, TimeValueKinds) {
  struct Case {
    unsigned in, out;
    int stampsOk;
  } cases[] = {{0, 0, 1}, {1, 296430, 1}, {2, Dos_Date(1999, 3, 15), 1}, {7, 296430, 1},
               {0xFFFFFFFFu, 296430, 1}, {1, 0, 0}, {2, 0, 0}};
  for (const Case& c : cases) {
    Platform_Fake.listings["D:\\doc\\*"][0].writeOk = c.stampsOk;
    Platform_Fake.listings["D:\\doc\\*"][0].createOk = c.stampsOk;
    time = c.in;
    EXPECT_EQ(0, Call(0, 2));
    EXPECT_EQ(c.out, time) << "kind " << c.in << ", stamps ok " << c.stampsOk;
  }
}

}  // namespace

