// The activity log on Windows: the real data folder on the Windows drive,
// records.ini through the INI reader, trimming with the real file calls.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "log/log.h"
#include "log/log_internal.h"
#include "winfiles.h"

namespace {

std::string Folder() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(1, windows[0]) + ":\\durivade\\";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Remove_Data_Folder() {
  std::string folder = Folder();
  for (const char* name : {"tamlo.log", "records.ini", "tamlotmp.log", "copy.log"}) {
    DeleteFileA((folder + name).c_str());
    RemoveDirectoryA((folder + name).c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

// A log of exactly `size` bytes of distinct CR LF lines.
std::string Old_Log(size_t size) {
  std::string text;
  for (int i = 0; text.size() + 100 <= size; i++) {
    char line[64];
    snprintf(line, sizeof line, "%-8d --->old entry %031d\r\n", i, i);
    text += line;
  }
  return text + std::string(size - text.size() - 2, 'z') + "\r\n";
}

class LogOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    Remove_Data_Folder();
    Log_Reset_For_Tests();
  }
  void TearDown() override { Remove_Data_Folder(); }
  static void Make_Data_Folder() { ASSERT_TRUE(CreateDirectoryA(Folder().c_str(), nullptr)); }
};

}  // namespace

TEST_F(LogOnWindows, DataFolderIsOnTheWindowsDrive) {
  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  char folder[256];
  Data_Folder(folder, sizeof folder);
  EXPECT_STREQ(windows, WindowsDirectory);
  EXPECT_EQ(Folder(), folder);
  EXPECT_EQ(12u, strlen(folder));
}

TEST_F(LogOnWindows, MissingFolderDropsLinesAndIsNeverCreated) {
  EXPECT_EQ(0, Log_Line(0, "start"));
  EXPECT_NE('\0', WindowsDirectory[0]);  // the launch sequence relies on it
  EXPECT_FALSE(Exists(Folder()));
}

TEST_F(LogOnWindows, RecordsIniDecidesTheLevel) {
  struct Case {
    const char* ini;  // nullptr: no file
    int highest;      // of levels 0-4, -1 for none written
  } cases[] = {
      {nullptr, 1},
      {"[Records]\r\nlog_level=3\r\n", 3},
      {"[records]\r\nLOG_LEVEL = 2\r\n", 2},
      {"[Records]\r\nlog_level=-1\r\n", -1},
      {"[Records]\r\nlog_level=abc\r\n", 0},
      {"[Records]\r\nlog_level=\r\n", 1},
      {"[Other]\r\nlog_level=3\r\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini != nullptr ? c.ini : "(no file)");
    Remove_Data_Folder();
    Log_Reset_For_Tests();
    Make_Data_Folder();
    if (c.ini != nullptr) {
      EXPECT_TRUE(Write_File(Folder() + "records.ini", c.ini));
    }
    int highest = -1;
    for (int level = 4; level >= 0; level--)
      if (Log_Line(level, "probe") == 1 && highest < 0) highest = level;
    EXPECT_EQ(c.highest, highest);
  }
}

TEST_F(LogOnWindows, HeaderCarriesTheLocalDateAndTime) {
  Make_Data_Folder();
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  ASSERT_EQ(1, Log_Line(0, "Starting"));
  GetLocalTime(&after);
  ASSERT_EQ(1, Log_Line(1, "next"));
  auto stamp = [](const SYSTEMTIME& t) {
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d at %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute);
    return std::string(text);
  };
  std::string rule(55, '=');
  std::string head = "\r\n\r\n\r\n" + rule + "\r\n";
  std::string tail = "\r\n" + rule + "\r\nStarting\r\n1        ---->next\r\n";
  std::string log = Read_File(Folder() + "tamlo.log");
  EXPECT_TRUE(log == head + stamp(before) + tail || log == head + stamp(after) + tail) << log;
}

TEST_F(LogOnWindows, TrimReplacesTheLogWithItsNewerHalf) {
  Make_Data_Folder();
  std::string old = Old_Log(250001);
  EXPECT_TRUE(Write_File(Folder() + "tamlo.log", old));
  EXPECT_TRUE(Write_File(Folder() + "tamlotmp.log", "left over"));
  Log_Read_Settings();  // a run under way: no header
  ASSERT_EQ(1, Log_Line(0, "new"));
  std::string kept = old.substr(old.find('\n', old.size() / 2) + 1);
  EXPECT_TRUE(Read_File(Folder() + "tamlo.log") == kept + "new\r\n");
  EXPECT_FALSE(Exists(Folder() + "tamlotmp.log"));
}

TEST_F(LogOnWindows, BlockedTemporaryFileLeavesTheLogWhole) {
  Make_Data_Folder();
  ASSERT_TRUE(CreateDirectoryA((Folder() + "tamlotmp.log").c_str(), nullptr));
  std::string old = Old_Log(250001);
  EXPECT_TRUE(Write_File(Folder() + "tamlo.log", old));
  Log_Read_Settings();
  ASSERT_EQ(1, Log_Line(0, "new"));
  EXPECT_TRUE(Read_File(Folder() + "tamlo.log") == old + "new\r\n");
}

TEST_F(LogOnWindows, DeleteQuietlyEndsWithErrorModeZero) {
  Make_Data_Folder();
  std::string path = Folder() + "tamlotmp.log";
  EXPECT_TRUE(Write_File(path, "x"));
  SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_EQ(0, Delete_Quietly(path.c_str()));
  EXPECT_EQ(0u, SetErrorMode(0));  // zero, not the mode in force before
  EXPECT_EQ(-1, Delete_Quietly(path.c_str()));
}

TEST_F(LogOnWindows, CopyFileHonoursFailIfExists) {
  Make_Data_Folder();
  std::string from = Folder() + "tamlo.log", to = Folder() + "copy.log";
  EXPECT_TRUE(Write_File(from, "one"));
  EXPECT_NE(0, Copy_File(from.c_str(), to.c_str(), 1));
  EXPECT_TRUE(Write_File(from, "two"));
  EXPECT_EQ(0, Copy_File(from.c_str(), to.c_str(), 1));
  EXPECT_EQ("one", Read_File(to));
  EXPECT_NE(0, Copy_File(from.c_str(), to.c_str(), 0));
  EXPECT_EQ("two", Read_File(to));
}
