// Files and folders for the tests under Wine: whole-file reads and writes, a
// fresh temporary folder, and removing a folder with everything in it.
#pragma once
#include <string>

// The file's bytes; "" when it cannot be opened.
std::string Read_File(const std::string& path);

// Replaces the file with `bytes`; false when it cannot be written in full.
bool Write_File(const std::string& path, const std::string& bytes);

// Deletes the folder's files and subfolders, then the folder; what cannot go stays.
void Remove_Tree(const std::string& path);

// A new, empty folder under the temporary folder, named from prefix; "" when
// none could be made. No trailing backslash.
std::string Make_Temp_Folder(const std::string& prefix);

// A temporary folder for one test or one run, removed with its contents at the end.
class Temp_Folder {
 public:
  explicit Temp_Folder(const std::string& prefix) : path_(Make_Temp_Folder(prefix)) {}
  ~Temp_Folder() {
    if (!path_.empty()) Remove_Tree(path_);
  }
  Temp_Folder(const Temp_Folder&) = delete;
  Temp_Folder& operator=(const Temp_Folder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A program of the test run's (x86_64) build, the robot or the stand-in, as a
// Windows path: either build's tests use those, found through DV_BUILD, the
// build folder winrun.sh names. `relative` is like "/robot.exe".
std::string Test_Run_Program(const char* relative);
