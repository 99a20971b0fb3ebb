// Native stand-in for the log's Windows edge (src/log/log_platform.h).
// Windows paths live under a temporary root folder: "X:\a\b" is <root>/X/a/b,
// a bare name is <root>/name. The first use sets up the defaults of
// Log_Fake_Reset by itself, so tests that only log need no setup.
#pragma once
#include <string>
#include <vector>

// A fresh run on a fresh disk: new empty root holding C:\durivade\ (so lines
// are written), the knobs below and the seams' (platform_fake.h) at their
// defaults, and Log_Reset_For_Tests().
void Log_Fake_Reset();

// What the "platform" answers; change them between Log_Fake_Reset and logging.
struct Log_Fake_Knobs {
  const char* date = "12/31/99";    // the run-time's "MM/DD/YY"
  const char* time = "23:59:58";    // the run-time's "HH:MM:SS"
  // Opens of the file with this name (last part of the path) in this mode fail.
  std::string fail_open_name, fail_open_mode;
  // Writes to the file with this name fail, as on a full disk (it is opened on /dev/full).
  std::string disk_full_name;
  bool fail_copy = false;     // CopyFileA fails
  bool fail_replace = false;  // MoveFileExA fails, both files stay as they were
};
extern Log_Fake_Knobs Log_Fake;

// Files under the root, by their Windows paths.
std::string Log_Fake_Host_Path(const std::string& windows_path);
bool Log_Fake_Exists(const std::string& windows_path);
std::string Log_Fake_Read(const std::string& windows_path);  // "" when missing
void Log_Fake_Write(const std::string& windows_path, const std::string& bytes);
void Log_Fake_Remove_Data_Folder();  // C:\durivade\ and all in it
void Log_Fake_Make_Folder(const std::string& windows_path);

// The whole of C:\durivade\tamlo.log (drive of the Windows directory knob).
std::string Log_Fake_Log_Text();
