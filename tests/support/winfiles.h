// Files and folders for the tests under Wine: whole-file reads and writes, and
// removing a folder with everything in it.
#pragma once
#include <string>

// The file's bytes; "" when it cannot be opened.
std::string Read_File(const std::string& path);

// Replaces the file with `bytes`; false when it cannot be written in full.
bool Write_File(const std::string& path, const std::string& bytes);

// Deletes the folder's files and subfolders, then the folder; what cannot go stays.
void Remove_Tree(const std::string& path);

// A program of the test run's (x86_64) build, the robot or the stand-in, as a
// Windows path: either build's tests use those, found through DV_BUILD, the
// build folder winrun.sh names. `relative` is like "/robot.exe".
std::string Test_Run_Program(const char* relative);
