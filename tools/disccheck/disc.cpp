// Folder and image access for disccheck.
#include "disc.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/buf.h"
#include "iso9660.h"
#include "strfile_writer.h"

static int Is_Folder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static void Walk(const std::string& base, const std::string& rel, int depth, Disc* disc) {
  std::string full = rel.empty() ? base : base + "/" + rel;
  DIR* d = opendir(full.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (struct dirent* e = readdir(d)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    names.push_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());  // the same report on every run
  for (const std::string& name : names) {
    Disc_Entry e;
    e.name = name;
    e.path = rel.empty() ? name : rel;
    if (!rel.empty()) e.path.append("/").append(name);
    e.depth = depth;
    e.isDir = Is_Folder(base + "/" + e.path);
    disc->entries.push_back(e);
    if (e.isDir && depth < ISO_MAX_DEPTH) Walk(base, e.path, depth + 1, disc);
  }
}

int Disc_Open(const std::string& where, Disc* disc, std::string* error) {
  disc->where = where;
  disc->entries.clear();
  if (Is_Folder(where)) {
    disc->isImage = 0;
    Walk(where, "", 1, disc);
    return 1;
  }
  if (Read_Bytes(where, &disc->image) != 1) {
    *error = "cannot read " + where;
    return 0;
  }
  disc->isImage = 1;
  const unsigned char* bytes = (const unsigned char*)disc->image.data();
  Iso_Image primary;
  if (!Iso_Read(bytes, disc->image.size(), 0, &primary)) {
    *error = "not a readable ISO 9660 image: " + primary.error;
    return 0;
  }
  for (const Iso_Entry& e : primary.entries) disc->primaryNames.push_back(e.path);
  Iso_Image img;
  if (!Iso_Read(bytes, disc->image.size(), 1, &img)) {
    *error = std::string("not a readable ISO 9660 image: its ") + (img.joliet ? "Joliet" : "ISO 9660") + " tree: " + img.error;
    return 0;
  }
  disc->joliet = img.joliet;
  disc->blockSize = img.blockSize;
  for (const Iso_Entry& ie : img.entries) {
    Disc_Entry e;
    e.path = ie.path;
    e.name = ie.name;
    e.isDir = ie.isDir;
    e.depth = ie.depth;
    e.extent = ie.extent;
    e.size = ie.size;
    disc->entries.push_back(e);
  }
  return 1;
}

static std::string Folder_Of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

const Disc_Entry* Disc_Find(const Disc& disc, const std::string& folder, const std::string& name) {
  const Disc_Entry* found = NULL;
  for (const Disc_Entry& e : disc.entries) {
    if (Folder_Of(e.path) != folder) continue;
    if (e.name == name) return &e;
    if (!found && Equal_Ignore_Ascii_Case(e.name.c_str(), name.c_str())) found = &e;
  }
  return found;
}

static int Lower(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

int Disc_Pattern_Match(const char* pattern, const char* name) {
  // Iterative with one backtrack point per "*": linear enough for names.
  const char* star = NULL;
  const char* resume = NULL;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern && Lower((unsigned char)*pattern) == Lower((unsigned char)*name))) {
      pattern++;
      name++;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return 0;
    }
  }
  while (*pattern == '*') pattern++;
  return *pattern == '\0';
}

std::vector<const Disc_Entry*> Disc_Match(const Disc& disc, const std::string& folder,
                                          const std::string& pattern) {
  std::vector<const Disc_Entry*> out;
  for (const Disc_Entry& e : disc.entries)
    if (Folder_Of(e.path) == folder && Disc_Pattern_Match(pattern.c_str(), e.name.c_str()))
      out.push_back(&e);
  return out;
}

int Disc_Read(const Disc& disc, const Disc_Entry& entry, std::string* out) {
  if (!disc.isImage) return Read_Bytes(disc.where + "/" + entry.path, out) == 1;
  Iso_Image img;
  img.blockSize = disc.blockSize;
  Iso_Entry ie;
  ie.extent = entry.extent;
  ie.size = entry.size;
  const unsigned char* data;
  size_t n;
  if (!Iso_File_Bytes((const unsigned char*)disc.image.data(), disc.image.size(), img, ie, &data, &n))
    return 0;
  out->assign((const char*)data, n);
  return 1;
}
