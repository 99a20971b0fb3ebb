// Knobs of the String store's native stand-in: what "Windows" answers.
#pragma once
#include <string>

struct Strrez_Fake_State {
  unsigned short system_language = 1033;
  std::string windows_directory = "C:\\WINDOWS";
  std::string country;        // sCountry of [intl], empty when missing
  int profile_reads = 0;      // how often an INI value was asked for
  std::string last_ini_file;  // the file of the last such question
};

extern Strrez_Fake_State Strrez_Fake;
void Strrez_Fake_Reset(void);
