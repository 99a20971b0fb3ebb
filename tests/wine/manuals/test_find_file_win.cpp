// Directory search under Wine, against real folders whose file times the test sets.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "manuals/find_file.h"
#include "winfiles.h"

namespace {

const char kRoot[] = "C:\\dvfind";

FILETIME Utc(WORD year, WORD month, WORD day, WORD h, WORD m, WORD s) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = h;
  st.wMinute = m;
  st.wSecond = s;
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

void Make_File(const std::string& path, const FILETIME* created = nullptr,
               const FILETIME* written = nullptr) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
  if (created || written) {
    ASSERT_TRUE(SetFileTime(h, created, NULL, written)) << path;
  }
  CloseHandle(h);
}

class FindFile : public ::testing::Test {
 protected:
  void SetUp() override {
    Remove_Tree(kRoot);
    ASSERT_TRUE(CreateDirectoryA(kRoot, NULL));
  }
  void TearDown() override {
    char name[FIND_NAME_SIZE];
    unsigned t = 0;
    int d = 0;
    for (int slot = 0; slot < FIND_SLOT_COUNT; slot++)  // closes every search
      Find_File(slot, kRoot, "", name, &t, FIND_FIRST_AND_CLOSE, &d);
    Remove_Tree(kRoot);
  }
  std::string Root(const char* rest = "") { return std::string(kRoot) + rest; }
};

TEST_F(FindFile, TimeValueKindsFromUtcStamps) {
  // Wine on Linux reports the last write as the creation time, so the
  // creation case gets a file written that day too.
  FILETIME created = Utc(1999, 3, 15, 8, 0, 0), written = Utc(1999, 3, 3, 10, 20, 30);
  FILETIME odd = Utc(2001, 6, 3, 10, 20, 31);
  Make_File(Root("\\t.txt"), &created, &written);
  Make_File(Root("\\u.txt"), &created, &odd);
  Make_File(Root("\\c.txt"), &created, &created);
  struct Case {
    const char* file;
    unsigned kindIn, want;
  } cases[] = {
      {"t.txt", 1, 296430},      {"u.txt", 1, 296430},  // seconds in steps of 2
      {"c.txt", 2, 9839},        {"t.txt", 7, 296430},
      {"t.txt", 0xFFFFFFFFu, 296430}, {"t.txt", 0, 0},
      {"t.txt", 9839, 296430},   // a value from an earlier match asks for kind 1
  };
  for (const Case& c : cases) {
    char name[FIND_NAME_SIZE];
    unsigned timeValue = c.kindIn;
    int isDir = 7;
    ASSERT_EQ(0, Find_File(0, kRoot, c.file, name, &timeValue, FIND_FIRST_AND_CLOSE, &isDir));
    EXPECT_EQ(c.want, timeValue) << c.file << " kind " << c.kindIn;
    EXPECT_STREQ(c.file, name);
    EXPECT_EQ(0, isDir);
  }
}

TEST_F(FindFile, StampOutsideTheDosRangeGivesZero) {
  FILETIME old = Utc(1975, 5, 5, 5, 5, 5);
  Make_File(Root("\\old.txt"), &old, &old);
  for (unsigned kind : {1u, 2u}) {
    char name[FIND_NAME_SIZE];
    unsigned timeValue = kind;
    int isDir = 0;
    ASSERT_EQ(0, Find_File(0, kRoot, "old.txt", name, &timeValue, FIND_FIRST_AND_CLOSE, &isDir));
    EXPECT_EQ(0u, timeValue) << kind;
  }
}

TEST_F(FindFile, FirstThenNextReportsEveryEntryThenStaysExhausted) {
  Make_File(Root("\\a.txt"));
  Make_File(Root("\\b.pdf"));
  ASSERT_TRUE(CreateDirectoryA(Root("\\sub").c_str(), NULL));
  std::set<std::string> dirs, files;
  char name[FIND_NAME_SIZE];
  unsigned timeValue = 0;
  int isDir = 0;
  int result = Find_File(1, kRoot, "*", name, &timeValue, FIND_FIRST, &isDir);
  for (int n = 0; result == 0 && n < 20; n++) {
    (isDir ? dirs : files).insert(name);
    isDir = 7;
    result = Find_File(1, "ignored", "ignored", name, &timeValue, FIND_NEXT, &isDir);
  }
  EXPECT_EQ((std::set<std::string>{".", "..", "sub"}), dirs);
  EXPECT_EQ((std::set<std::string>{"a.txt", "b.pdf"}), files);
  EXPECT_EQ(0u, timeValue);
  // Exhausted: no match, and the caller's flag and time value are left alone.
  for (int more = 0; more < 2; more++) {
    isDir = 7;
    timeValue = 5;
    strcpy(name, "stale");
    EXPECT_EQ(-1, Find_File(1, kRoot, "*", name, &timeValue, FIND_NEXT, &isDir));
    EXPECT_STREQ("", name);
    EXPECT_EQ(7, isDir);
    EXPECT_EQ(5u, timeValue);
  }
  // Restarting the slot searches afresh.
  ASSERT_EQ(0, Find_File(1, kRoot, "*.pdf", name, &timeValue, FIND_FIRST, &isDir));
  EXPECT_STREQ("b.pdf", name);
}

TEST_F(FindFile, FirstAndCloseTwiceGivesTheFirstMatchAndLeavesNothingOpen) {
  Make_File(Root("\\one.pdf"));
  Make_File(Root("\\two.pdf"));
  char name[FIND_NAME_SIZE], first[FIND_NAME_SIZE] = "";
  unsigned timeValue = 0;
  int isDir = 0;
  for (int pass = 0; pass < 2; pass++) {
    ASSERT_EQ(0, Find_File(2, kRoot, "*.pdf", name, &timeValue, FIND_FIRST_AND_CLOSE, &isDir));
    if (pass == 0) strcpy(first, name);
    EXPECT_STREQ(first, name);
    // Closed: the second match is not there to continue to.
    EXPECT_EQ(-1, Find_File(2, kRoot, "*.pdf", name, &timeValue, FIND_NEXT, &isDir));
    EXPECT_STREQ("", name);
  }
}

TEST_F(FindFile, NoMatchAndNothingToContinue) {
  char name[FIND_NAME_SIZE] = "stale";
  unsigned timeValue = 1;
  int isDir = 7;
  struct Case {
    int slot, mode;
    const char *folder, *pattern;
  } cases[] = {
      {3, FIND_FIRST, kRoot, "*.none"},
      {3, FIND_NEXT, kRoot, "*"},  // the first search found nothing
      {3, FIND_FIRST_AND_CLOSE, "C:\\no such folder", "*"},
      {3, FIND_NEXT, kRoot, "*"},  // no search open
      {3, 5, kRoot, "*"},          // any other mode continues too
      {-1, FIND_FIRST, kRoot, ""},  // slots outside 0 to 4 touch nothing
      {5, FIND_FIRST, kRoot, ""},
      {1 << 20, FIND_NEXT, kRoot, ""},
  };
  for (const Case& c : cases) {
    strcpy(name, "stale");
    EXPECT_EQ(-1, Find_File(c.slot, c.folder, c.pattern, name, &timeValue, c.mode, &isDir))
        << c.slot << " " << c.mode << " " << c.pattern;
    EXPECT_STREQ("", name);
    EXPECT_EQ(7, isDir);
    EXPECT_EQ(1u, timeValue);
  }
}

TEST_F(FindFile, EmptyPatternSearchesTheFolderItself) {
  char name[FIND_NAME_SIZE];
  unsigned timeValue = 0;
  int isDir = 0;
  ASSERT_EQ(0, Find_File(0, kRoot, "", name, &timeValue, FIND_FIRST_AND_CLOSE, &isDir));
  EXPECT_STREQ("dvfind", name);
  EXPECT_EQ(1, isDir);
}

TEST_F(FindFile, SlotsKeepTheirOwnSearches) {
  ASSERT_TRUE(CreateDirectoryA(Root("\\one").c_str(), NULL));
  ASSERT_TRUE(CreateDirectoryA(Root("\\two").c_str(), NULL));
  for (const char* f : {"\\one\\1a.x", "\\one\\1b.x", "\\two\\2a.x", "\\two\\2b.x"})
    Make_File(Root(f));
  std::set<std::string> seen[2];
  char name[FIND_NAME_SIZE];
  unsigned t = 0;
  int d = 0;
  ASSERT_EQ(0, Find_File(0, Root("\\one").c_str(), "*.x", name, &t, FIND_FIRST, &d));
  seen[0].insert(name);
  ASSERT_EQ(0, Find_File(4, Root("\\two").c_str(), "*.x", name, &t, FIND_FIRST, &d));
  seen[1].insert(name);
  ASSERT_EQ(0, Find_File(0, "", "", name, &t, FIND_NEXT, &d));
  seen[0].insert(name);
  ASSERT_EQ(0, Find_File(4, "", "", name, &t, FIND_NEXT, &d));
  seen[1].insert(name);
  EXPECT_EQ((std::set<std::string>{"1a.x", "1b.x"}), seen[0]);
  EXPECT_EQ((std::set<std::string>{"2a.x", "2b.x"}), seen[1]);
}

TEST_F(FindFile, OverLongPathIsNeverSearchedCut) {
  // 250 characters of folder: with "\*.pdf" the path needs 256. Cut to 255 it
  // would read "...\*.pd" and match the file placed there to catch it.
  std::string folder = Root("\\") + std::string(250 - strlen(kRoot) - 1, 'L');
  ASSERT_EQ(250u, folder.size());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
  Make_File(folder + "\\x.pd");
  Make_File(Root("\\a.pdf"));
  Make_File(Root("\\b.pdf"));
  char name[FIND_NAME_SIZE];
  unsigned t = 0;
  int d = 7;
  ASSERT_EQ(0, Find_File(0, kRoot, "*.pdf", name, &t, FIND_FIRST, &d));  // leaves a search open
  EXPECT_EQ(-1, Find_File(0, folder.c_str(), "*.pdf", name, &t, FIND_FIRST, &d));
  EXPECT_STREQ("", name);
  // The open search was closed, not kept for continuing.
  EXPECT_EQ(-1, Find_File(0, kRoot, "*.pdf", name, &t, FIND_NEXT, &d));
  EXPECT_EQ(-1, Find_File(0, folder.c_str(), "*.pdf", name, &t, FIND_FIRST_AND_CLOSE, &d));
  // 255 characters exactly is searched.
  EXPECT_EQ(0, Find_File(0, folder.c_str(), "*.pd", name, &t, FIND_FIRST_AND_CLOSE, &d));
  EXPECT_STREQ("x.pd", name);
}

TEST_F(FindFile, ErrorModeIsZeroAfterAFirstSearchAndUntouchedByNext) {
  Make_File(Root("\\a.txt"));
  Make_File(Root("\\b.txt"));
  char name[FIND_NAME_SIZE];
  unsigned t = 0;
  int d = 0;
  SetErrorMode(SEM_NOOPENFILEERRORBOX);
  ASSERT_EQ(0, Find_File(0, kRoot, "*.txt", name, &t, FIND_FIRST, &d));
  EXPECT_EQ(0u, SetErrorMode(SEM_NOOPENFILEERRORBOX));  // was 0, not the mode before
  Find_File(0, kRoot, "*.txt", name, &t, FIND_NEXT, &d);
  EXPECT_EQ((UINT)SEM_NOOPENFILEERRORBOX, SetErrorMode(0));
}

}  // namespace
