// ISO 9660 / Joliet reading: volume descriptors, directory records, names.
#include "iso9660.h"

#include <string.h>

#include <set>

enum { SECTOR = 2048, FIRST_DESCRIPTOR = 16, MAX_DESCRIPTORS = 64 };

static unsigned long Le32(const unsigned char* p) {
  return (unsigned long)p[0] | ((unsigned long)p[1] << 8) | ((unsigned long)p[2] << 16) |
         ((unsigned long)p[3] << 24);
}

static unsigned Le16(const unsigned char* p) { return (unsigned)p[0] | ((unsigned)p[1] << 8); }

// UTF-8 of one code point.
static void Put_Utf8(std::string* out, unsigned long c) {
  if (c < 0x80) {
    out->push_back((char)c);
  } else if (c < 0x800) {
    out->push_back((char)(0xC0 | (c >> 6)));
    out->push_back((char)(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back((char)(0xE0 | (c >> 12)));
    out->push_back((char)(0x80 | ((c >> 6) & 0x3F)));
    out->push_back((char)(0x80 | (c & 0x3F)));
  } else {
    out->push_back((char)(0xF0 | (c >> 18)));
    out->push_back((char)(0x80 | ((c >> 12) & 0x3F)));
    out->push_back((char)(0x80 | ((c >> 6) & 0x3F)));
    out->push_back((char)(0x80 | (c & 0x3F)));
  }
}

// Joliet names are UCS-2 big-endian; pairs of surrogates are joined, a lone
// one becomes U+FFFD so the name stays valid UTF-8.
static std::string Joliet_Name(const unsigned char* p, size_t n) {
  std::string out;
  for (size_t i = 0; i + 1 < n; i += 2) {
    unsigned long c = ((unsigned long)p[i] << 8) | p[i + 1];
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < n) {
      unsigned long low = ((unsigned long)p[i + 2] << 8) | p[i + 3];
      if (low >= 0xDC00 && low < 0xE000) {
        Put_Utf8(&out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    Put_Utf8(&out, c);
  }
  return out;
}

// "NAME.EXT;1" -> "NAME.EXT"; "NAME.;1" -> "NAME" (a file without extension).
static void Drop_Version(std::string* name, int isDir) {
  if (isDir) return;
  size_t semi = name->rfind(';');
  if (semi != std::string::npos) name->erase(semi);
  if (!name->empty() && name->back() == '.') name->pop_back();
}

static int Is_Joliet(const unsigned char* d) {
  // Escape sequences %/@, %/C, %/E: UCS-2 levels 1 to 3.
  return d[88] == '%' && d[89] == '/' && (d[90] == '@' || d[90] == 'C' || d[90] == 'E');
}

struct Pending {
  unsigned long extent, size;
  std::string path;
  int depth;
};

int Iso_Read(const unsigned char* bytes, size_t size, int preferJoliet, Iso_Image* out) {
  out->joliet = 0;
  out->blockSize = SECTOR;
  out->entries.clear();
  out->error.clear();
  const unsigned char* primary = NULL;
  const unsigned char* joliet = NULL;
  for (size_t n = 0; n < MAX_DESCRIPTORS; n++) {
    size_t at = (FIRST_DESCRIPTOR + n) * (size_t)SECTOR;
    if (size < SECTOR || at > size - SECTOR) break;
    const unsigned char* d = bytes + at;
    if (memcmp(d + 1, "CD001", 5) != 0) break;
    if (d[0] == 255) break;
    if (d[0] == 1 && !primary) primary = d;
    if (d[0] == 2 && !joliet && Is_Joliet(d)) joliet = d;
  }
  if (!primary) {
    out->error = "no ISO 9660 primary volume descriptor at block 16";
    return 0;
  }
  const unsigned char* use = (preferJoliet && joliet) ? joliet : primary;
  out->joliet = use == joliet;
  unsigned long block = Le16(use + 128);
  // Only 2048 is used on CD-ROMs; smaller powers of two are allowed by the format.
  if (block != 512 && block != 1024 && block != 2048) {
    out->error = "unsupported logical block size " + std::to_string(block);
    return 0;
  }
  out->blockSize = block;
  const unsigned char* root = use + 156;
  std::vector<Pending> todo;
  todo.push_back(Pending{Le32(root + 2), Le32(root + 10), "", 0});
  std::set<unsigned long> seen;  // a folder reached twice would loop
  while (!todo.empty()) {
    Pending dir = todo.back();
    todo.pop_back();
    if (!seen.insert(dir.extent).second) continue;
    if (dir.extent > size / block || dir.size > size - dir.extent * block) {
      out->error = "folder \"" + (dir.path.empty() ? std::string("/") : dir.path) +
                   "\" lies outside the image";
      return 0;
    }
    const unsigned char* p = bytes + dir.extent * block;
    size_t pos = 0;
    while (pos < dir.size) {
      unsigned len = p[pos];
      if (len == 0) {  // records never cross a block: the rest of this one is padding
        pos = (pos / block + 1) * block;
        continue;
      }
      if (len < 34 || pos + len > dir.size || (size_t)33 + p[pos + 32] > len) {
        out->error = "bad directory record in \"" + (dir.path.empty() ? std::string("/") : dir.path) + "\"";
        return 0;
      }
      const unsigned char* r = p + pos;
      pos += len;
      unsigned nameLen = r[32];
      if (nameLen == 1 && (r[33] == 0 || r[33] == 1)) continue;  // "." and ".."
      Iso_Entry e;
      e.isDir = (r[25] & 2) != 0;
      e.extent = Le32(r + 2);
      e.size = Le32(r + 10);
      e.name = out->joliet ? Joliet_Name(r + 33, nameLen) : std::string((const char*)r + 33, nameLen);
      Drop_Version(&e.name, e.isDir);
      e.path = dir.path.empty() ? e.name : dir.path + "/" + e.name;
      e.depth = dir.depth + 1;
      if (out->entries.size() >= ISO_MAX_ENTRIES) {
        out->error = "more than " + std::to_string((int)ISO_MAX_ENTRIES) + " entries";
        return 0;
      }
      out->entries.push_back(e);
      if (e.isDir) {
        if (e.depth >= ISO_MAX_DEPTH) {
          out->error = "folders nested deeper than " + std::to_string((int)ISO_MAX_DEPTH) + " levels";
          return 0;
        }
        todo.push_back(Pending{e.extent, e.size, e.path, e.depth});
      }
    }
  }
  return 1;
}

int Iso_File_Bytes(const unsigned char* bytes, size_t size, const Iso_Image& image,
                   const Iso_Entry& entry, const unsigned char** data, size_t* length) {
  *data = NULL;
  *length = 0;
  unsigned long block = image.blockSize ? image.blockSize : (unsigned long)SECTOR;
  if (entry.extent > size / block || entry.size > size - entry.extent * block) return 0;
  *data = bytes + entry.extent * block;
  *length = entry.size;
  return 1;
}
