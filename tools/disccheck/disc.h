// A disc to check: a folder laid out for the disc, or an ISO image of it. Both
// give the same list of entries with their names as the disc stores them, and
// the bytes of a file.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

struct Disc_Entry {
  std::string path;  // from the disc's root, names joined by '/'
  std::string name;
  int isDir = 0;
  int depth = 0;     // 1 for an entry of the root
  unsigned long extent = 0, size = 0;  // images only
};

struct Disc {
  std::string where;      // the folder or image as given, for messages
  int isImage = 0;
  int joliet = 0;         // images: the names are Joliet names
  std::vector<Disc_Entry> entries;
  std::vector<std::string> primaryNames;  // images: the ISO 9660 names (paths), for the 8.3 check
  std::string image;      // images: all of its bytes
  unsigned long blockSize = 2048;
};

// Loads a folder's tree or an image's directory. 0 with error set when it cannot.
int Disc_Open(const std::string& where, Disc* disc, std::string* error);

// The entry in folder (a path, "" for the root) whose name equals name when
// ASCII case is ignored, as Windows matches names; NULL when none. Exact case wins.
const Disc_Entry* Disc_Find(const Disc& disc, const std::string& folder, const std::string& name);

// Entries of folder whose names match a Windows pattern (* and ?, case ignored).
std::vector<const Disc_Entry*> Disc_Match(const Disc& disc, const std::string& folder,
                                          const std::string& pattern);

// The bytes of a file; 0 when they cannot be read.
int Disc_Read(const Disc& disc, const Disc_Entry& entry, std::string* out);

// 1 when name matches pattern as FindFirstFile matches long names (* any run, ? one character).
int Disc_Pattern_Match(const char* pattern, const char* name);
