// Native stand-in for src/manuals/manuals_platform.h (see manuals_fake.h).
#include "manuals_fake.h"

#include <stdint.h>
#include <string.h>

#include "manuals/manuals_platform.h"
#include "manuals/viewer.h"

Viewer_Fake_Knobs Viewer_Fake;
std::vector<std::string> Viewer_Fake_Calls;

namespace {
std::vector<std::string> g_open;  // index + 1 is the key handle; "" once closed
size_t g_next_start = 0;
}  // namespace

void Viewer_Fake_Reset() {
  Viewer_Fake = Viewer_Fake_Knobs();
  Viewer_Fake_Calls.clear();
  g_open.clear();
  g_next_start = 0;
}

int Viewer_Fake_Open_Keys() {
  int n = 0;
  for (const std::string& k : g_open) n += !k.empty();
  return n;
}

int Viewer_Reg_Open(const char* name, Viewer_Key* key) {
  if (!Viewer_Fake.keys.count(name)) {
    Viewer_Fake_Calls.push_back(std::string("open-failed ") + name);
    return 0;
  }
  Viewer_Fake_Calls.push_back(std::string("open ") + name);
  g_open.push_back(name);
  *key = (Viewer_Key)(uintptr_t)g_open.size();
  return 1;
}

int Viewer_Reg_Read(Viewer_Key key, const char* subKey, char* out, long size) {
  size_t index = (size_t)(uintptr_t)key;
  std::string name = index >= 1 && index <= g_open.size() ? g_open[index - 1] : "";
  Viewer_Fake_Calls.push_back("read " + name + "|" + subKey + " size=" + std::to_string(size));
  if (name.empty()) return Viewer_Terminate_Value(out, -1, size);
  const auto& values = Viewer_Fake.keys[name];
  auto found = values.find(subKey);
  if (found == values.end()) return Viewer_Terminate_Value(out, -1, size);
  // As RegQueryValueA: the stored bytes, and failure when they do not fit.
  long count = (long)found->second.size() + (Viewer_Fake.stored_without_terminator ? 0 : 1);
  if (count > size) return Viewer_Terminate_Value(out, -1, size);
  memcpy(out, found->second.data(), (size_t)count);
  return Viewer_Terminate_Value(out, count, size);
}

void Viewer_Reg_Close(Viewer_Key key) {
  size_t index = (size_t)(uintptr_t)key;
  if (index < 1 || index > g_open.size() || g_open[index - 1].empty()) {
    Viewer_Fake_Calls.push_back("close-bad");
    return;
  }
  Viewer_Fake_Calls.push_back("close " + g_open[index - 1]);
  g_open[index - 1].clear();
}

unsigned int Viewer_Start(const char* commandLine) {
  Viewer_Fake_Calls.push_back(std::string("start ") + commandLine);
  if (g_next_start < Viewer_Fake.start_results.size()) return Viewer_Fake.start_results[g_next_start++];
  return 2;
}
