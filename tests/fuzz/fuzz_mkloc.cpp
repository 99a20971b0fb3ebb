// Fuzzes mkloc's source side: parse a source, build the string file, and read
// it back. A built file is a promise to the disc author, so each of these is a
// finding: a build refused for a reason the parser should have named, a built
// file that mkloc's own check refuses, a text the program's lookup would
// deliver differently from the source, or a dump that does not build the same
// file again.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "locfile.h"
#include "shown.h"
#include "strrez/strrez_read.h"

static const char* const kCodes[] = {"ENG", "SPN", "FRA", "GER", "ITL", "JPN", "KOR", "MAN", "PRT", "TAI"};

static bool Has(const Loc_Messages& msgs, const char* what) {
  for (const std::string& e : msgs.errors)
    if (e.find(what) != std::string::npos) return true;
  return false;
}

// What the program's lookup delivers for key in code from the file's bytes
// (src reads them; index is their block, loaded once for every lookup).
static bool Delivers(Byte_Source* src, const Str_Index& index, const std::string& key,
                     const char* code, const std::string& want) {
  Str_Pick pick;
  Str_Find_Pick(index.text, (size_t)index.textBase, key.c_str(), code, &pick);
  char text[STR_TEXT_AREA];
  Str_Read_Picked(src, index.textBase, &pick, text);
  return want == text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<Loc_Entry> entries;
  Loc_Messages msgs;
  if (!Loc_Parse_Source("fuzz.txt", (const char*)data, size, &entries, &msgs)) return 0;
  // What the user would see, checked as mkloc checks it: here only for memory safety.
  Loc_Messages shown;
  Loc_Check_Shown("fuzz.txt", entries, true, &shown);
  std::string file;
  if (!Loc_Build("F.LOC", entries, &file, &msgs)) {
    // Refusals the parser cannot foresee: keys that occur inside every entry
    // (language codes) or inside the header's digits, and an oversized index.
    if (Has(msgs, "would find this key first") || Has(msgs, "too large for the six-digit header")) return 0;
    abort();
  }

  std::vector<Loc_Entry> back;
  Loc_Messages check;
  if (!Loc_Read("F.LOC", file.data(), file.size(), &back, &check)) abort();

  // Every text as the program would deliver it: its own, or English when empty.
  Byte_Source src;
  Bytes_From_Memory(&src, file.data(), file.size());
  Str_Index index;
  if (!Str_Load_Index(&src, &index)) abort();
  for (const Loc_Entry& e : entries) {
    const Loc_Text* eng = nullptr;
    for (const Loc_Text& t : e.texts)
      if (t.code == "ENG") eng = &t;
    if (eng == nullptr) abort();
    for (const char* code : kCodes) {
      const Loc_Text* meant = eng;
      for (const Loc_Text& t : e.texts)
        if (t.code == code && !t.bytes.empty()) meant = &t;
      if (!Delivers(&src, index, e.key, code, Loc_Expanded(meant->bytes))) abort();
    }
  }
  free(index.text);

  // A dump builds the very same file again (when every text fits a source line).
  std::string source;
  Loc_Messages dumpMsgs;
  if (!Loc_Dump("F.LOC", back, &source, &dumpMsgs)) return 0;
  std::vector<Loc_Entry> again;
  std::string rebuilt;
  Loc_Messages againMsgs;
  if (!Loc_Parse_Source("dump.txt", source.data(), source.size(), &again, &againMsgs) ||
      !Loc_Build("F.LOC", again, &rebuilt, &againMsgs) || rebuilt != file)
    abort();
  return 0;
}
