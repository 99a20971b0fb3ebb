// Temporary folders for the native (Linux) tests, made fresh under the
// system's temporary folder and removed with everything in it. The Wine
// tests have theirs in winfiles.h.
#pragma once
#include <string>

// A new, empty folder under the temporary folder (TMPDIR or /tmp), named
// from prefix; aborts the test program when none can be made.
std::string Make_Temp_Folder(const std::string& prefix);

// Removes the folder and everything in it; what cannot go stays.
void Remove_Tree(const std::string& path);

// A temporary folder for one test, removed with its contents at the end.
class Temp_Folder {
 public:
  explicit Temp_Folder(const std::string& prefix) : path_(Make_Temp_Folder(prefix)) {}
  ~Temp_Folder() { Remove_Tree(path_); }
  Temp_Folder(const Temp_Folder&) = delete;
  Temp_Folder& operator=(const Temp_Folder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
