// Whole-file reads and writes, temporary folders and folder removal for the
// Windows-side tests.
#include "winfiles.h"

#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

std::string Read_File(const std::string& path) {
  std::string out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  fclose(f);
  return out;
}

bool Write_File(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool whole = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && whole;
}

void Remove_Tree(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        Remove_Tree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

std::string Make_Temp_Folder(const std::string& prefix) {
  char base[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, base);
  if (n == 0 || n >= MAX_PATH) return "";
  // The process id keeps parallel programs apart, the counter one program's folders.
  static unsigned counter = 0;
  for (int tries = 0; tries < 100; tries++) {
    char name[64];
    snprintf(name, sizeof name, "%lu-%u", (unsigned long)GetCurrentProcessId(), counter++);
    std::string path = std::string(base) + prefix + name;
    if (CreateDirectoryA(path.c_str(), NULL)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

std::string Test_Run_Program(const char* relative) {
  const char* build = getenv("DV_BUILD");
  std::string out = std::string("Z:") + (build ? build : "/DV_BUILD-unset") + relative;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}
