// A reader of ISO 9660 images with Joliet, over bytes with a length: lists the
// files an image holds under the names Windows reads (Joliet when present)
// and hands out their bytes. Portable; the image is outside data, so every
// offset and length is checked against the bytes given.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

struct Iso_Entry {
  std::string path;     // names from the root joined by '/', as stored (Joliet names in UTF-8)
  std::string name;     // the last of them, without ";1" or a trailing "."
  int isDir = 0;
  int depth = 0;        // 1 for an entry of the root folder
  unsigned long extent = 0;  // first block
  unsigned long size = 0;    // bytes
};

struct Iso_Image {
  int joliet = 0;              // 1 when the names are the Joliet ones
  unsigned long blockSize = 2048;
  std::vector<Iso_Entry> entries;  // folders before their contents
  std::string error;           // why the image could not be read (or was read only in part)
};

enum { ISO_MAX_DEPTH = 64, ISO_MAX_ENTRIES = 100000 };

// Reads the volume descriptors from block 16 on and walks the folder tree of
// the Joliet descriptor (preferJoliet, when there is one) or of the primary one.
// Returns 1 when the whole tree was read, 0 otherwise (error says why; the
// entries found so far stay).
int Iso_Read(const unsigned char* bytes, size_t size, int preferJoliet, Iso_Image* out);

// The bytes of a file entry; 0 when they do not lie inside the image.
int Iso_File_Bytes(const unsigned char* bytes, size_t size, const Iso_Image& image,
                   const Iso_Entry& entry, const unsigned char** data, size_t* length);
