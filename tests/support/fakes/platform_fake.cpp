// The one native stand-in for src/base/platform.h (knobs in platform_fake.h).
#include "platform_fake.h"

#include <string.h>

#include <filesystem>

#include "base/buf.h"
#include "base/platform.h"
#include "log_fake.h"
#include "manuals_fake.h"

Platform_Fake_Knobs Platform_Fake;
Platform_Fake_Record Platform_Fake_Seen;

void Platform_Fake_Reset() {
  Platform_Fake = Platform_Fake_Knobs();
  Platform_Fake_Seen = Platform_Fake_Record();
}

unsigned Sys_Windows_Directory(char* out, unsigned size) {
  Platform_Fake_Seen.windows_directory_calls++;
  if (size > 0) out[0] = '\0';
  if (Platform_Fake.windows_directory == nullptr) return 0;
  // As GetWindowsDirectoryA: the size needed, terminator included, when it does not fit.
  unsigned len = (unsigned)strlen(Platform_Fake.windows_directory);
  if (len >= size) return len + 1;
  Buf_Copy(out, size, Platform_Fake.windows_directory);
  return len;
}

unsigned Sys_Profile_String(const char* section, const char* key, char* out, unsigned size,
                            const char* file) {
  const char* value = nullptr;
  if (strcmp(section, "Records") == 0 && strcmp(key, "log_level") == 0) {
    Platform_Fake_Seen.setting_reads++;
    Platform_Fake_Seen.setting_path = file;
    Platform_Fake_Seen.setting_section = section;
    Platform_Fake_Seen.setting_key = key;
    // The knob stands for records.ini's content; without its folder there is no file.
    if (std::filesystem::is_directory(std::filesystem::path(Log_Fake_Host_Path(file)).parent_path()))
      value = Platform_Fake.log_level;
  } else if (strcmp(section, "intl") == 0 && strcmp(key, "sCountry") == 0) {
    Platform_Fake_Seen.country_reads++;
    Platform_Fake_Seen.country_file = file;
    value = Platform_Fake.country.c_str();
  }
  if (size == 0) return 0;
  Buf_Copy(out, size, value != nullptr ? value : "");
  return (unsigned)strlen(out);
}

unsigned short Sys_System_Language(void) { return Platform_Fake.system_language; }

int Sys_Path_Exists(const char* path) {
  Viewer_Fake_Calls.push_back(std::string("exists ") + path);
  return Viewer_Fake.existing_paths.count(path) ? 1 : 0;
}

void Sys_Set_Error_Mode(unsigned mode) { Platform_Fake_Seen.error_modes.push_back(mode); }

Sys_Find_Entry Platform_Fake_Entry(const char* name, int folder) {
  Sys_Find_Entry e = {};
  e.attributes = folder ? 0x10u : 0x20u;
  Buf_Copy(e.name, sizeof e.name, name);
  return e;
}

namespace {
struct Fake_Search {
  std::vector<Sys_Find_Entry> entries;
  size_t next;
};
}  // namespace

void* Sys_Find_First(const char* path, Sys_Find_Entry* entry) {
  Platform_Fake_Seen.searches.push_back(path);
  auto found = Platform_Fake.listings.find(path);
  if (found == Platform_Fake.listings.end() || found->second.empty()) return nullptr;
  Fake_Search* search = new Fake_Search{found->second, 1};
  *entry = search->entries[0];
  Platform_Fake_Seen.open_searches++;
  return search;
}

int Sys_Find_Next(void* handle, Sys_Find_Entry* entry) {
  Fake_Search* search = (Fake_Search*)handle;
  if (search->next >= search->entries.size()) return 0;
  *entry = search->entries[search->next++];
  return 1;
}

void Sys_Find_Close(void* handle) {
  delete (Fake_Search*)handle;
  Platform_Fake_Seen.open_searches--;
}
