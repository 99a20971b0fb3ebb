// Temporary folders for the native tests (see temp_folder.h).
#include "temp_folder.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>

namespace fs = std::filesystem;

std::string Make_Temp_Folder(const std::string& prefix) {
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / (prefix + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    perror(("mkdtemp " + pattern).c_str());
    abort();
  }
  return pattern;
}

void Remove_Tree(const std::string& path) {
  if (path.empty()) return;
  std::error_code ignored;
  fs::remove_all(path, ignored);
}
