// The one native stand-in for the seams of src/base/platform.h: the Windows
// directory, INI reads, the system language and file existence. The log's
// fake file system (log_fake.h) gives records.ini its folder; the reader
// detection's fake (manuals_fake.h) keeps the paths that exist, so its call
// trace shows every probe in order.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/platform.h"

struct Platform_Fake_Knobs {
  const char* windows_directory = "C:\\WINDOWS";  // nullptr: GetWindowsDirectoryA fails
  unsigned short system_language = 1033;          // GetSystemDefaultLangID
  const char* log_level = nullptr;  // [Records] log_level of records.ini (while its folder exists)
  std::string country;              // [intl] sCountry of WIN.INI, empty when missing
  // What a directory search finds, by the searched path; a path not listed matches nothing.
  std::map<std::string, std::vector<Sys_Find_Entry>> listings;
};
extern Platform_Fake_Knobs Platform_Fake;

// What the stand-in was asked.
struct Platform_Fake_Record {
  int windows_directory_calls = 0;
  int setting_reads = 0;  // [Records] log_level
  std::string setting_path, setting_section, setting_key;
  int country_reads = 0;  // [intl] sCountry
  std::string country_file;
  std::vector<unsigned> error_modes;  // every SetErrorMode value, in order
  std::vector<std::string> searches;  // every path a search was started for
  int open_searches = 0;              // started and not yet closed
};

// An entry for listings: a file, or a folder (attributes 0x10), with its stamps.
Sys_Find_Entry Platform_Fake_Entry(const char* name, int folder = 0);
extern Platform_Fake_Record Platform_Fake_Seen;

// Knobs back to their defaults, record emptied (Log_Fake_Reset does this too).
void Platform_Fake_Reset();
