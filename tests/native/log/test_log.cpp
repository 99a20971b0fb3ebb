// The activity log natively: line forms, header, levels, settings, size limit
// and trimming (with its failure paths), date and time texts, data folder.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/buf.h"
#include "log/log.h"
#include "log/log_internal.h"
#include "fakes/log_fake.h"
#include "fakes/platform_fake.h"
#include "log_trim_model.h"

namespace {

const char* const LOG = "C:\\durivade\\tamlo.log";
const char* const TEMP = "C:\\durivade\\tamlotmp.log";
const std::string RULE(55, '=');
const std::string HEADER = "\r\n\r\n\r\n" + RULE + "\r\n1999-12-31 at 23:59\r\n" + RULE + "\r\n";

class Log : public ::testing::Test {
 protected:
  void SetUp() override { Log_Fake_Reset(); }
};

// A log of exactly `size` bytes of distinct CR LF lines (size >= 50).
std::string Old_Log(size_t size) {
  std::string text;
  for (int i = 0; text.size() + 100 <= size; i++) {
    char line[64];
    snprintf(line, sizeof line, "%-8d --->old entry %031d\r\n", i, i);  // 50 bytes
    text += line;
  }
  std::string last = "last line ";
  last += std::string(size - text.size() - last.size() - 2, 'z');
  return text + last + "\r\n";
}

// The trimming as the program has always defined it, step by step with the
// run-time's line reader: drop one read from the middle, copy every later one.
std::string Reference_Trim(const std::string& old) {
  if (old.empty()) return "";
  FILE* f = fmemopen(const_cast<char*>(old.data()), old.size(), "rb");
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, size / 2, SEEK_SET);
  char line[256];
  std::string out;
  if (fgets(line, 255, f) != nullptr)
    while (fgets(line, 255, f) != nullptr) out += line;
  fclose(f);
  return out;
}

// Compares big texts without printing them whole.
::testing::AssertionResult Same(const std::string& want, const std::string& got) {
  if (want == got) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < want.size() && at < got.size() && want[at] == got[at]) at++;
  return ::testing::AssertionFailure()
         << "sizes " << want.size() << " and " << got.size() << ", first difference at " << at
         << ": want \"" << ::testing::PrintToString(want.substr(at, 40)) << "\" got \""
         << ::testing::PrintToString(got.substr(at, 40)) << "\"";
}

// The highest level of 0-4 that a run with this log_level writes; -1 for none.
int Highest_Written(const char* setting) {
  Log_Fake_Reset();
  Platform_Fake.log_level = setting;
  int highest = -1;
  for (int level = 4; level >= 0; level--)
    if (Log_Line(level, "probe") == 1 && highest < 0) highest = level;
  return highest;
}

}  // namespace

TEST_F(Log, FreshRunWritesHeaderThenUnnumberedStartThenNumbersFromOne) {
  EXPECT_EQ(1, Log_Line(0, "Starting"));
  EXPECT_EQ(1, Log_Line(1, "decided"));
  EXPECT_EQ(0, Log_Line(3, "detail"));  // default level 1
  EXPECT_EQ(1, Log_Line(0, "error"));
  EXPECT_EQ(HEADER + "Starting\r\n" + "1        ---->decided\r\n" + "2        -->error\r\n",
            Log_Fake_Log_Text());
  EXPECT_EQ(1, Platform_Fake_Seen.setting_reads);  // once per run
  EXPECT_EQ("C:\\durivade\\records.ini", Platform_Fake_Seen.setting_path);
  EXPECT_EQ("Records", Platform_Fake_Seen.setting_section);
  EXPECT_EQ("log_level", Platform_Fake_Seen.setting_key);
}

TEST_F(Log, EachRunAppendsItsOwnHeaderAndNumbering) {
  Log_Line(0, "first run");
  Log_Line(0, "a");
  Log_Reset_For_Tests();
  Log_Line(0, "second run");
  Log_Line(0, "b");
  EXPECT_EQ(HEADER + "first run\r\n1        -->a\r\n" + HEADER + "second run\r\n1        -->b\r\n",
            Log_Fake_Log_Text());
}

TEST_F(Log, FirstCallAboveTheLevelStillWritesTheHeader) {
  EXPECT_EQ(0, Log_Line(3, "too detailed"));
  EXPECT_EQ(HEADER, Log_Fake_Log_Text());
  Log_Line(1, "seventh");  // still unnumbered
  Log_Line(1, "numbered");
  EXPECT_EQ(HEADER + "seventh\r\n1        ---->numbered\r\n", Log_Fake_Log_Text());
}

TEST_F(Log, NegativeLogLevelWritesNothingAtAll) {
  Platform_Fake.log_level = "-1";
  EXPECT_EQ(0, Log_Line(0, "start"));
  EXPECT_EQ(0, Log_Line(0, "more"));
  EXPECT_FALSE(Log_Fake_Exists(LOG));
}

TEST_F(Log, PrefixEndingFollowsTheConfiguredLevel) {
  struct Case {
    const char* setting;
    int level;
    const char* line;  // the first numbered line
  } cases[] = {
      {nullptr, 0, "1        -->x\r\n"},
      {nullptr, 1, "1        ---->x\r\n"},
      {"2", 0, "1        --0>x\r\n"},
      {"3", 1, "1        ----1>x\r\n"},
      {"3", 3, "1        --------3>x\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Log_Fake_Reset();
    Platform_Fake.log_level = c.setting;
    Log_Line(0, "start");
    EXPECT_EQ(1, Log_Line(c.level, "x"));
    EXPECT_EQ(HEADER + "start\r\n" + c.line, Log_Fake_Log_Text());
  }
}

TEST_F(Log, NumberIsLeftAlignedInEightColumns) {
  Log_Line(0, "start");
  for (int i = 1; i <= 11; i++) Log_Line(0, "filler");
  Log_Line(1, "abc");
  std::string text = Log_Fake_Log_Text();
  EXPECT_EQ("12       ---->abc\r\n", text.substr(text.size() - 19));
}

TEST(LogSettings, ValueDecidesTheHighestLevelWritten) {
  struct Case {
    const char* setting;
    int highest;
  } cases[] = {
      {nullptr, 1}, {"", 1},     {"3", 3},    {" 3", 3}, {"\t2", 2},
      {"-1", -1},   {"abc", 0},  {"+2x", 2},  {"0", 0},  {"4junk", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting != nullptr ? c.setting : "(missing)");
    EXPECT_EQ(c.highest, Highest_Written(c.setting));
  }
}

TEST(LogSettings, ParseStopsAtLengthAndSaturates) {
  struct Case {
    const char* text;
    size_t len;
    int value;
  } cases[] = {
      {"12345", 2, 12},  // no terminator needed
      {"  -7x", 5, -7},
      {"-", 1, 0},
      {"+", 1, 0},
      {" ", 1, 0},
      {"99999999999999999999", 20, INT_MAX},
      {"-99999999999999999999", 21, INT_MIN},
      {"2147483647", 10, INT_MAX},
      {"-2147483648", 11, INT_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.value, Log_Parse_Level(c.text, c.len));
  }
}

TEST_F(Log, SizeLimitIsMoreThan250000Bytes) {
  // A run under way (settings read, header done) meets a log of the given size.
  std::string old = Old_Log(250000);
  Log_Read_Settings();
  Log_Fake_Write(LOG, old);
  EXPECT_EQ(1, Log_Line(0, "exactly"));
  EXPECT_TRUE(Same(old + "exactly\r\n", Log_Fake_Log_Text()));

  Log_Fake_Reset();
  old = Old_Log(250001);
  Log_Read_Settings();
  Log_Fake_Write(LOG, old);
  EXPECT_EQ(1, Log_Line(0, "one more"));
  std::string kept = old.substr(old.find('\n', old.size() / 2) + 1);
  EXPECT_TRUE(Same(Reference_Trim(old), kept));
  EXPECT_TRUE(Same(kept + "one more\r\n", Log_Fake_Log_Text()));
  std::string last = old.substr(old.rfind('\n', old.size() - 2) + 1);
  EXPECT_EQ(kept.size() - last.size(), kept.find("last line"));  // the former last line, once, at the end
  EXPECT_FALSE(Log_Fake_Exists(TEMP));
}

TEST_F(Log, TrimKeepsWhatFollowsTheMiddleRead) {
  const std::string y(600, 'y');
  struct Case {
    const char* name;
    std::string old;
    std::string kept;
  } cases[] = {
      {"line feed at the middle ends the log", "ab\r\ncd\r\n", ""},
      {"middle inside a line", "aaaa\nbb\ncc\n", "cc\n"},
      {"middle right after a line feed", "abc\ndef\ngh\n", "gh\n"},
      {"no line feed after the middle", "abcdefgh", ""},
      {"empty log", "", ""},
      // The middle read stops after 254 characters; the rest of that line stays.
      {"middle inside a long line", "x\n" + y + "\nz\n", std::string(46, 'y') + "\nz\n"},
      {"long lines after the middle", "a\nb\n" + y + "\n" + y + "\n", y + "\n"},
      {"bytes copied as they are", std::string("0123456789\n\r\n\0\x01\xff\n", 17),
       std::string("\r\n\0\x01\xff\n", 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log_Fake_Reset();
    Log_Read_Settings();
    Log_Fake_Write(LOG, c.old);
    Log_Trim();
    EXPECT_EQ(c.kept, Log_Fake_Log_Text());
    if (c.old.find('\0') == std::string::npos) EXPECT_EQ(Reference_Trim(c.old), c.kept);
    EXPECT_FALSE(Log_Fake_Exists(TEMP));
  }
}

// The kept part of a log's bytes: where it begins, and the bytes copied.
struct Trimmed {
  long start;
  int copied;
  std::string kept;
};

Trimmed Trim_Bytes(Byte_Source* src) {
  Trimmed t;
  t.start = Log_Trim_Start(src);
  char* bytes = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&bytes, &length);
  t.copied = Log_Copy_Rest(src, out);
  fclose(out);
  t.kept.assign(bytes, length);
  free(bytes);
  return t;
}

// Logs of every shape near the limits: the middle on, before and after a line
// feed, lines of 253 to 255 characters around it, zero bytes, no line feed.
std::vector<std::string> Trim_Cases() {
  std::vector<std::string> logs = {"", "\n", "a", "\n\n", "ab", "a\n", "\na",
                                   std::string("\0\n\0\n", 4), "\r\r\r\n\r"};
  for (size_t lead : {0, 1, 100}) {
    for (size_t line : {252, 253, 254, 255, 256, 600}) {
      for (char end : {'\n', 'x'}) {
        std::string log(lead, 'h');
        log += "\n" + std::string(line, 'L') + end + "tail\n";
        logs.push_back(log);
        logs.push_back(log + std::string(log.size(), '\0'));  // the middle at the tail's end
      }
    }
  }
  // And some of no particular shape, the same ones every run.
  unsigned seed = 12345;
  const char alphabet[] = {'a', 'b', '\n', '\r', '\0', '\xff'};
  for (int n = 0; n < 300; n++) {
    std::string log;
    seed = seed * 1103515245 + 12345;
    size_t size = (seed >> 8) % 1500;
    for (size_t i = 0; i < size; i++) {
      seed = seed * 1103515245 + 12345;
      // Line feeds rare enough that pieces of 254 happen.
      unsigned r = (seed >> 16) % 400;
      log += r == 0 ? '\n' : alphabet[r % 6 == 2 ? 0 : r % 6];
    }
    logs.push_back(log);
  }
  return logs;
}

TEST(LogTrimBytes, KeptPartIsWhatTheLineByLineReadingKeeps) {
  for (const std::string& log : Trim_Cases()) {
    SCOPED_TRACE(::testing::PrintToString(log.substr(0, 60)) + " size " + std::to_string(log.size()));
    std::string want = Log_Trim_Model(log);
    // The run-time's own line reader agrees with the model where strlen can measure.
    if (log.find('\0') == std::string::npos) EXPECT_TRUE(Same(Reference_Trim(log), want));
    Byte_Source memory;
    Bytes_From_Memory(&memory, log.data(), log.size());
    Trimmed t = Trim_Bytes(&memory);
    EXPECT_EQ(1, t.copied);
    EXPECT_EQ((long)(log.size() - want.size()), t.start);
    EXPECT_TRUE(Same(want, t.kept));
    // A stream gives the same bytes (fmemopen needs at least one byte).
    if (log.empty()) continue;
    FILE* stream = fmemopen(const_cast<char*>(log.data()), log.size(), "rb");
    ASSERT_NE(nullptr, stream);
    Byte_Source file;
    Bytes_From_File(&file, stream);
    Trimmed f = Trim_Bytes(&file);
    fclose(stream);
    EXPECT_EQ(t.start, f.start);
    EXPECT_TRUE(Same(want, f.kept));
  }
}

TEST_F(Log, LeftOverTemporaryFileFromAnEarlierRunGoes) {
  Log_Read_Settings();
  Log_Fake_Write(TEMP, "stale");
  Log_Fake_Write(LOG, "aaaa\nbb\ncc\n");
  Log_Trim();
  EXPECT_EQ("cc\n", Log_Fake_Log_Text());
  EXPECT_FALSE(Log_Fake_Exists(TEMP));
}

TEST_F(Log, FailedTrimLeavesTheLogWholeAndStillAppends) {
  struct Case {
    const char* name;
    void (*arrange)();
  } cases[] = {
      {"log cannot be read", [] { Log_Fake.fail_open_name = "tamlo.log", Log_Fake.fail_open_mode = "rb"; }},
      {"temporary file cannot be made",
       [] { Log_Fake.fail_open_name = "tamlotmp.log", Log_Fake.fail_open_mode = "wb"; }},
      {"disk full while writing it", [] { Log_Fake.disk_full_name = "tamlotmp.log"; }},
      {"replace fails", [] { Log_Fake.fail_replace = true; }},
      {"temporary name taken by a folder", [] { Log_Fake_Make_Folder(TEMP); }},
  };
  const std::string old = Old_Log(250001);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log_Fake_Reset();
    Log_Fake_Write(LOG, old);
    c.arrange();
    EXPECT_EQ(1, Log_Line(0, "start"));
    EXPECT_TRUE(Same(old + HEADER + "start\r\n", Log_Fake_Log_Text()));
    if (strcmp(c.name, "temporary name taken by a folder") != 0) EXPECT_FALSE(Log_Fake_Exists(TEMP));

    // Once the obstacle is gone, the next line trims.
    Log_Fake.fail_open_name.clear();
    Log_Fake.disk_full_name.clear();
    Log_Fake.fail_replace = false;
    std::filesystem::remove(Log_Fake_Host_Path(TEMP));
    std::string before = Log_Fake_Log_Text();
    EXPECT_EQ(1, Log_Line(0, "next"));
    EXPECT_TRUE(Same(Reference_Trim(before) + "1        -->next\r\n", Log_Fake_Log_Text()));
  }
}

TEST_F(Log, FullDiskOnTheLastBlockLeavesTheLogWhole) {
  Log_Read_Settings();
  Log_Fake_Write(LOG, "aaaa\nbb\ncc\n");
  Log_Fake.disk_full_name = "tamlotmp.log";
  Log_Trim();
  EXPECT_EQ("aaaa\nbb\ncc\n", Log_Fake_Log_Text());
  EXPECT_FALSE(Log_Fake_Exists(TEMP));
}

TEST(LogDate, CenturyFromTheFirstYearDigit) {
  struct Case {
    const char* runtime;
    const char* date;
  } cases[] = {
      {"12/31/99", "1999-12-31"}, {"01/01/00", "2000-01-01"}, {"06/15/89", "2089-06-15"},
      {"03/04/90", "1990-03-04"}, {"07/08/09", "2009-07-08"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.runtime);
    Log_Fake_Reset();
    Log_Fake.date = c.runtime;
    EXPECT_STREQ(c.date, Log_Date());
  }
  Log_Fake_Reset();
  Log_Fake.date = "01/01/00";
  Log_Fake.time = "00:05:59";
  Log_Line(0, "start");
  EXPECT_NE(std::string::npos, Log_Fake_Log_Text().find("\r\n2000-01-01 at 00:05\r\n"));
}

TEST(LogDate, ShortRuntimeTextsStayInsideTheirBuffers) {
  char date[11], time[9];
  Log_Build_Date("12/3", 4, date, sizeof date);
  EXPECT_STREQ("yyyy-12-3d", date);
  Log_Build_Time("9:1", 3, time, sizeof time);
  EXPECT_STREQ("9:1", time);
  Log_Build_Time("23:59:58", 8, time, sizeof time);
  EXPECT_STREQ("23:59", time);
}

TEST_F(Log, TooLongTextIsCutAndTheLineStillEnds) {
  const std::string text(1000, 't');
  Platform_Fake.log_level = "124";
  Log_Line(0, text.c_str());
  Log_Line(124, text.c_str());
  std::string log = Log_Fake_Log_Text();
  std::string unnumbered = text.substr(0, 509) + "\r\n";
  std::string numbered = "1        " + std::string(250, '-') + "124>";
  numbered += text.substr(0, 511 - numbered.size() - 2) + "\r\n";
  EXPECT_EQ(511u, numbered.size());
  EXPECT_EQ(RULE + "\r\n" + unnumbered + numbered, log.substr(log.size() - 57 - 511 - 511));
}

TEST_F(Log, LevelsOutsideTheRangeAreDroppedWithoutANumber) {
  Platform_Fake.log_level = "1000";
  Log_Line(0, "start");
  EXPECT_EQ(0, Log_Line(125, "too deep"));
  EXPECT_EQ(0, Log_Line(-1, "negative"));
  EXPECT_EQ(0, Log_Line(INT_MAX, "huge"));
  EXPECT_EQ(1, Log_Line(2, "kept"));
  EXPECT_EQ(HEADER + "start\r\n1        ------2>kept\r\n", Log_Fake_Log_Text());
}

TEST_F(Log, MissingDataFolderDropsLinesWithoutNumberingThem) {
  Log_Fake_Remove_Data_Folder();
  Platform_Fake.log_level = "3";  // no folder, no settings file: level 1
  EXPECT_EQ(0, Log_Line(0, "start"));
  EXPECT_EQ(0, Log_Line(1, "answer"));
  EXPECT_FALSE(Log_Fake_Exists("C:\\durivade"));  // never created
  EXPECT_STREQ("C:\\WINDOWS", WindowsDirectory);  // the cache is filled all the same

  Log_Fake_Make_Folder("C:\\durivade");
  EXPECT_EQ(0, Log_Line(3, "detail"));
  EXPECT_EQ(1, Log_Line(1, "later"));
  EXPECT_EQ("later\r\n", Log_Fake_Log_Text());  // still among the first seven
}

TEST_F(Log, DataFolderIsOnTheWindowsDriveAndTheDirectoryIsCached) {
  struct Case {
    const char* windows;
    const char* folder;
  } cases[] = {{"C:\\WINDOWS", "C:\\durivade\\"}, {"E:\\WINNT", "E:\\durivade\\"}};
  for (const Case& c : cases) {
    Log_Fake_Reset();
    Platform_Fake.windows_directory = c.windows;
    char folder[256];
    Data_Folder(folder, sizeof folder);
    EXPECT_STREQ(c.folder, folder);
    Data_Folder(folder, sizeof folder);
    EXPECT_STREQ(c.windows, WindowsDirectory);
    EXPECT_EQ(1, Platform_Fake_Seen.windows_directory_calls);
  }
  struct {
    char out[5];
    char canary;
  } small;
  small.canary = 'C';
  Data_Folder(small.out, sizeof small.out);
  EXPECT_STREQ("E:\\d", small.out);
  EXPECT_EQ('C', small.canary);
}

TEST_F(Log, WithoutAWindowsDirectoryTheFilesAreBareNames) {
  Platform_Fake.windows_directory = nullptr;
  char folder[256];
  Data_Folder(folder, sizeof folder);
  EXPECT_STREQ("", folder);
  Data_Folder(folder, sizeof folder);
  EXPECT_EQ(2, Platform_Fake_Seen.windows_directory_calls);  // asked again while empty
  EXPECT_EQ(1, Log_Line(0, "start"));
  EXPECT_EQ("records.ini", Platform_Fake_Seen.setting_path);
  EXPECT_EQ(HEADER + "start\r\n", Log_Fake_Read("tamlo.log"));
}

TEST_F(Log, DeleteQuietlySuppressesErrorBoxesThenClearsTheMode) {
  Log_Fake_Write(TEMP, "x");
  EXPECT_EQ(0, Delete_Quietly(TEMP));
  EXPECT_EQ((std::vector<unsigned>{1, 0}), Platform_Fake_Seen.error_modes);
  EXPECT_FALSE(Log_Fake_Exists(TEMP));
  EXPECT_EQ(-1, Delete_Quietly(TEMP));
}
