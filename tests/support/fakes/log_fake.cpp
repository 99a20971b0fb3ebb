// Native stand-in for the log's Windows edge (see log_fake.h).
#include "log_fake.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/buf.h"
#include "log/log_internal.h"
#include "log/log_platform.h"
#include "platform_fake.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

Log_Fake_Knobs Log_Fake;

static std::string Root;

static void Remove_Root() {
  Remove_Tree(Root);
  Root.clear();
}

static void Make_Root() {
  static bool registered = false;
  if (!registered) {
    atexit(Remove_Root);
    registered = true;
  }
  Remove_Root();
  Root = Make_Temp_Folder("dvlog");
}

static std::string Drive() {
  const char* w = Platform_Fake.windows_directory;
  return std::string(1, w != nullptr && w[0] != '\0' ? w[0] : 'C');
}

void Log_Fake_Reset() {
  Make_Root();
  Log_Fake = Log_Fake_Knobs();
  Platform_Fake_Reset();  // the Windows directory and records.ini are the seams'
  Log_Fake_Make_Folder(Drive() + ":\\durivade");
  Log_Reset_For_Tests();
}

static void Ensure() {
  if (Root.empty()) Log_Fake_Reset();
}

std::string Log_Fake_Host_Path(const std::string& windows_path) {
  Ensure();
  std::string rest = windows_path;
  std::string host = Root;
  if (rest.size() >= 2 && rest[1] == ':') {
    host += "/";
    host += (char)toupper((unsigned char)rest[0]);
    rest = rest.substr(2);
  }
  for (char& c : rest)
    if (c == '\\') c = '/';
  if (rest.empty() || rest[0] != '/') host += "/";
  return host + rest;
}

bool Log_Fake_Exists(const std::string& windows_path) {
  return fs::exists(Log_Fake_Host_Path(windows_path));
}

std::string Log_Fake_Read(const std::string& windows_path) {
  std::ifstream in(Log_Fake_Host_Path(windows_path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Log_Fake_Write(const std::string& windows_path, const std::string& bytes) {
  std::ofstream out(Log_Fake_Host_Path(windows_path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

void Log_Fake_Remove_Data_Folder() { Remove_Tree(Log_Fake_Host_Path(Drive() + ":\\durivade")); }

void Log_Fake_Make_Folder(const std::string& windows_path) {
  fs::create_directories(Log_Fake_Host_Path(windows_path));
}

std::string Log_Fake_Log_Text() { return Log_Fake_Read(Drive() + ":\\durivade\\tamlo.log"); }

static std::string Name_Of(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

int Log_Platform_Copy_File(const char* existing, const char* new_path, int fail_if_exists) {
  if (Log_Fake.fail_copy) return 0;
  std::error_code error;
  fs::copy_file(Log_Fake_Host_Path(existing), Log_Fake_Host_Path(new_path),
                fail_if_exists ? fs::copy_options::none : fs::copy_options::overwrite_existing, error);
  return error ? 0 : 1;
}


FILE* Log_Platform_Open(const char* path, const char* mode) {
  std::string name = Name_Of(path);
  if (name == Log_Fake.fail_open_name && mode == Log_Fake.fail_open_mode) return nullptr;
  if (name == Log_Fake.disk_full_name && mode[0] != 'r') {
    // The file is made, but nothing written to it gets there.
    FILE* made = fopen(Log_Fake_Host_Path(path).c_str(), mode);
    if (made == nullptr) return nullptr;
    fclose(made);
    return fopen("/dev/full", "wb");
  }
  return fopen(Log_Fake_Host_Path(path).c_str(), mode);
}

// Like the Windows run-time's remove: files only, never a folder.
int Log_Platform_Delete(const char* path) {
  return unlink(Log_Fake_Host_Path(path).c_str()) == 0 ? 0 : -1;
}

int Log_Platform_Replace(const char* from, const char* to) {
  if (Log_Fake.fail_replace) return 0;
  return rename(Log_Fake_Host_Path(from).c_str(), Log_Fake_Host_Path(to).c_str()) == 0 ? 1 : 0;
}

void Log_Platform_Date_Text(char* out, size_t size) { Buf_Copy(out, size, Log_Fake.date); }

void Log_Platform_Time_Text(char* out, size_t size) { Buf_Copy(out, size, Log_Fake.time); }
