// disccheck's checks: everything the program will meet on a disc, read the
// way the program reads it.
#pragma once
#include <string>
#include <vector>

#include "disc.h"

enum { FINDING_WARNING = 0, FINDING_ERROR = 1, FINDING_NOTE = 2 };

struct Finding {
  std::string path;  // from the disc's root, '/'-joined; "" for the disc itself
  int line = 0;      // 0: no line
  int error = 0;     // FINDING_*: 1 error, 0 warning, 2 note (said once, not counted)
  std::string message;
};

struct Chooser_List {
  std::string system;               // "English", "Japanese"
  std::vector<std::string> titles;  // as the program lists them, sorted, in UTF-8 for the report
  int cut = 0;                      // 1 when the 255-row table would cut the list
};

struct Check_Options {
  int folderLength = 64;  // the folder the disc may be copied to, in characters
};

struct Check_Report {
  std::vector<Finding> findings;
  std::vector<Chooser_List> lists;
  int errors = 0, warnings = 0;
};

void Disc_Check(const Disc& disc, const Check_Options& options, Check_Report* report);
