// The checks of disccheck. The catalogue, the command lines and the string
// file are read by the program's own code (catalogue.cpp, viewer.cpp, bytes.cpp
// and mkloc's Loc_Read and Loc_Check_Shown), so the tool and the program cannot disagree.
#include "check.h"

#include <string.h>

#include <algorithm>
#include <map>

#include "base/buf.h"
#include "base/bytes.h"
#include "codepage.h"
#include "locfile.h"
#include "manuals/catalogue.h"
#include "manuals/viewer.h"
#include "shown.h"

namespace {

Check_Report* R;

void Add(int error, const std::string& path, int line, const std::string& message) {
  // Both places (drive D:, copied) and both systems may meet the same fault: say it once.
  for (const Finding& old : R->findings)
    if (old.path == path && old.line == line && old.message == message) return;
  Finding f;
  f.path = path;
  f.line = line;
  f.error = error;
  f.message = message;
  R->findings.push_back(f);
  if (error == FINDING_NOTE) return;  // not a fault: not counted
  (error ? R->errors : R->warnings)++;
}

// Bytes of a title or name as the report shows them: control characters and
// bytes that are not valid in the code page as escapes.
std::string Printable(const std::string& bytes, int codePage) {
  std::string utf8;
  bool clean = true;
  for (unsigned char c : bytes) clean = clean && c >= 0x20 && c != 0x7F;
  if (clean && (codePage == 0 || Cp_To_Utf8(codePage, bytes, &utf8))) return codePage ? utf8 : bytes;
  std::string out;
  for (unsigned char c : bytes) {
    char esc[8];
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c < 0x20 || c >= 0x7F) { BUF_FORMAT(esc, "\\x%02X", c); out += esc; }
    else out.push_back((char)c);
  }
  return out;
}

std::string Quoted(const std::string& s) { return "\"" + Printable(s, 0) + "\""; }

// A catalogue's file name as an English system searches for it: a byte-order
// mark or UTF-8 bytes show as the characters they are there (a mark as "ï»¿").
std::string Name_Shown(const std::string& bytes) { return "\"" + Printable(bytes, 1252) + "\""; }

const char* Language_Name(const std::string& code) {
  static const char* const kNames[][2] = {
      {"ENG", "English"}, {"SPN", "Spanish"}, {"FRA", "French"},  {"GER", "German"},
      {"ITL", "Italian"}, {"JPN", "Japanese"}, {"KOR", "Korean"}, {"MAN", "Chinese (Traditional)"},
      {"PRT", "Portuguese"}, {"TAI", "Thai"}};
  for (const auto& row : kNames)
    if (code == row[0]) return row[1];
  return "unknown-language";
}

// A name the program asks for by name: found regardless of case (Windows), but
// ISO names keep their case, so a different case is worth a warning.
const Disc_Entry* Find_Named(const Disc& disc, const std::string& folder, const char* name) {
  const Disc_Entry* e = Disc_Find(disc, folder, name);
  if (e && e->name != name)
    Add(0, e->path, 0,
        "stored as \"" + e->name + "\"; the program asks for \"" + name +
            "\" (fine on Windows, which ignores case, but the image keeps the stored case)");
  return e;
}

// UTF-16 units of a UTF-8 name; -1 when it is not UTF-8.
int Utf16_Length(const std::string& s) {
  int units = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = (unsigned char)s[i];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return -1;
    for (size_t k = 1; k < n; k++)
      if (((unsigned char)s[i + k] >> 6) != 2) return -1;
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return units;
}

// ---- The string file ----

void Check_String_File(const Disc& disc) {
  const Disc_Entry* program = Find_Named(disc, "", "DOCVIEW.EXE");
  if (!program || program->isDir)
    Add(1, "DOCVIEW.EXE", 0, "missing: the disc's root must hold the program");
  const Disc_Entry* loc = Find_Named(disc, "", "ENGINE.LOC");
  if (!loc || loc->isDir) {
    Add(1, "ENGINE.LOC", 0,
        "missing beside DOCVIEW.EXE: unless the user's C:\\install\\data\\ or C:\\ holds one, the "
        "program shows \"Can't find ENGINE.LOC\" and ends");
    return;
  }
  std::string bytes;
  if (!Disc_Read(disc, *loc, &bytes)) {
    Add(1, loc->path, 0, "cannot be read");
    return;
  }
  // mkloc --check: the program's reading of the file, its messages start with the name.
  std::vector<Loc_Entry> entries;
  Loc_Messages msgs;
  const std::string name = "\x01";
  // What the user sees (placeholders, cut texts) only of a file the program reads as written.
  if (Loc_Read(name, bytes.data(), bytes.size(), &entries, &msgs)) Loc_Check_Shown(name, entries, true, &msgs);
  for (int error = 1; error >= 0; error--)
    for (const std::string& m : error ? msgs.errors : msgs.warnings) {
      std::string text = m.compare(0, name.size() + 2, name + ": ") == 0 ? m.substr(name.size() + 2) : m;
      Add(error, loc->path, 0, text);
    }
  std::vector<std::string> codes;  // every language the file carries
  for (const Loc_Entry& e : entries)
    for (const Loc_Text& t : e.texts)
      if (std::find(codes.begin(), codes.end(), t.code) == codes.end()) codes.push_back(t.code);
  for (const Loc_Key_Use& use : Loc_Asked_Keys) {
    const char* key = use.key;
    const Loc_Entry* entry = NULL;
    for (const Loc_Entry& e : entries)
      if (e.key == key && !entry) entry = &e;
    if (!entry) {
      Add(1, loc->path, 0, std::string("no ") + key + ": the program shows an empty text in its place");
      continue;
    }
    for (const std::string& code : codes) {
      const Loc_Text* text = NULL;
      for (const Loc_Text& t : entry->texts)
        if (t.code == code) text = &t;
      if (!text && code != "ENG")
        Add(0, loc->path, 0, std::string(key) + " has no " + code + " text: " + Language_Name(code) +
                                 " systems see the English one");
    }
  }
}

// ---- The catalogue ----

struct Piece {
  std::string raw;   // the bytes fgets delivered, zero bytes included
  std::string text;  // as the program sees it: up to the first zero byte
  int line;          // physical line of the file
};

// The catalogue's lines as the program's reader takes them (Bytes_Gets with
// CATALOGUE_READ_LIMIT), for the findings line by line; what the chooser lists
// comes from the catalogue's own reader (Simulate_Chooser).
std::vector<Piece> Read_Catalogue_Pieces(const std::string& bytes) {
  std::vector<Piece> pieces;
  Byte_Source src;
  Bytes_From_Memory(&src, bytes.data(), bytes.size());
  char line[CATALOGUE_READ_LIMIT];
  int physical = 1;
  size_t before = src.pos;
  while (Bytes_Gets(&src, line, (int)dimof(line)) != NULL) {
    Piece p;
    p.raw.assign(line, src.pos - before);  // memory sources count what they delivered
    p.text.assign(line, strnlen(line, p.raw.size()));
    p.line = physical;
    before = src.pos;
    pieces.push_back(p);
    if (!p.raw.empty() && p.raw.back() == '\n') physical++;
  }
  return pieces;
}

struct Root {
  std::string path;  // SourceRoot as the program holds it
  std::string how;   // "with the disc in drive D:", ...
};

void Check_Length(int ok, size_t length, const Root& root, const std::string& what,
                  const std::string& path, int line, const std::string& consequence) {
  if (ok) return;
  // A path too long with the disc in D: is too long when copied too: report the first place only.
  for (const Finding& old : R->findings)
    if (old.path == path && old.line == line && old.message.find(", " + what + " is ") != std::string::npos) return;
  Add(1, path, line, root.how + ", " + what + " is " + std::to_string(length) +
                         " characters (the program holds 255): " + consequence);
}

// 1 when the row would be listed and is named by an existing file.
struct Row {
  std::string name, title;
  int hasEquals, exists, line;
};

// What the chooser's reading lists, found by the catalogue's own reader over
// the catalogue's bytes: the existence probe answers from the disc's doc folder.
struct Chooser_Read {
  const Disc* disc;
  std::string docPath;
  int codePage;  // the system's, in which the program's file search reads the name
  std::vector<std::string> titles;
};

// The disc's names are Unicode (a folder's UTF-8 names, an image's Joliet
// names); the program searches for a catalogue name's bytes in the system's
// code page, so the same bytes find different files on different systems.
int Catalogue_Name_Exists(const Disc& disc, const std::string& docPath, const std::string& bytes, int codePage) {
  std::string name;
  return Cp_To_Utf8(codePage, bytes, &name) && !Disc_Match(disc, docPath, name).empty();
}

int Chooser_Exists(void* context, const char* /*folder*/, const char* pattern) {
  const Chooser_Read* read = (const Chooser_Read*)context;
  return Catalogue_Name_Exists(*read->disc, read->docPath, pattern, read->codePage);
}

void Chooser_Add(void* context, const char* title) { ((Chooser_Read*)context)->titles.push_back(title); }

void Simulate_Chooser(const Disc& disc, const std::string& docPath, const std::string& bytes,
                      const std::vector<Row>& rows, int languageId, const char* system, int codePage) {
  Chooser_List list;
  list.system = system;
  Chooser_Read read = {&disc, docPath, codePage, {}};
  Byte_Source src;
  Bytes_From_Memory(&src, bytes.data(), bytes.size());
  Catalogue_Read_Source(&src, "doc", languageId, Chooser_Exists, Chooser_Add, &read);
  // Same titles twice: name the lines, in the order the program reads them.
  for (size_t i = 0; i < read.titles.size(); i++)
    for (size_t j = 0; j < i; j++)
      if (read.titles[j] == read.titles[i]) {
        std::vector<int> lines;
        for (const Row& r : rows)
          if (r.title == read.titles[i] && !Catalogue_Is_Hidden(r.title.c_str(), languageId))
            lines.push_back(r.line);
        if (lines.size() >= 2)
          Add(1, "doc/doc.ini", lines[1],
              "title " + Quoted(read.titles[i]) + " is also the title of line " + std::to_string(lines[0]) +
                  ": choosing it opens line " + std::to_string(lines[0]) + "'s manual");
        break;
      }
  // The reader stops at 255 rows; anything it left unread would never be listed.
  char more[CATALOGUE_READ_LIMIT];
  if (ManualCount == MANUAL_ROW_COUNT && Bytes_Gets(&src, more, (int)dimof(more)) != NULL) {
    list.cut = 1;
    int line = 0;
    size_t listed = 0;
    for (const Row& r : rows) {
      if (!r.exists) break;
      if (Catalogue_Is_Hidden(r.title.c_str(), languageId)) continue;
      if (++listed > MANUAL_ROW_COUNT) {
        line = r.line;
        break;
      }
    }
    Add(1, "doc/doc.ini", line,
        std::string("the chooser holds 255 titles: on ") + system + " system this line and those after it are never listed");
  }
  const std::vector<std::string>& kept = read.titles;
  // The list box sorts by the system's collation; ASCII case-insensitive order
  // is the approximation (titles outside ASCII may sort differently).
  std::vector<std::string> titles(kept);
  std::stable_sort(titles.begin(), titles.end(), [](const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t j = 0; j < n; j++) {
      int x = (unsigned char)a[j], y = (unsigned char)b[j];
      if (x >= 'A' && x <= 'Z') x += 32;
      if (y >= 'A' && y <= 'Z') y += 32;
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  });
  for (const std::string& t : titles) list.titles.push_back(Printable(t, codePage));
  R->lists.push_back(list);
}

bool Has_High(const std::string& bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return true;
  return false;
}

// Shift-JIS text, not 1252 text that happens to be valid Shift-JIS: a 1252
// accented letter and the letter after it make one kanji ("d\xE9marrage"
// reads as d, a kanji, arrage), and accented capitals half-width katakana. So
// only kana, CJK punctuation, full-width forms or two kanji in a row count.
bool Reads_As_Japanese(const std::string& title) {
  std::string utf8;
  if (!Has_High(title) || !Cp_To_Utf8(932, title, &utf8)) return false;
  int kanjiRun = 0;
  for (size_t i = 0, n; i < utf8.size(); i += n) {
    unsigned long cp = 0;
    n = Loc_Utf8_Char((const unsigned char*)utf8.data() + i, utf8.size() - i, &cp);
    if (n == 0) break;  // the converter writes well-formed UTF-8
    if ((cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0xFF01 && cp <= 0xFF5E)) return true;
    kanjiRun = cp >= 0x4E00 && cp <= 0x9FFF ? kanjiRun + 1 : 0;
    if (kanjiRun == 2) return true;
  }
  return false;
}

// A line saved as UTF-8, which the program reads in the system's code page
// (1252 on Western systems; 932 for titles only Japanese systems list). Text
// in those code pages is valid UTF-8 only by accident of every non-ASCII
// character: in 1252 a letter from A-circumflex on followed by symbols from
// 0x80-0xBF, the very look of UTF-8 read as 1252 ("Ã©"); in Shift-JIS the
// common lead bytes 0x81-0x9F cannot start a UTF-8 sequence. A warning per line.
bool Check_Utf8_Line(const std::string& where, int line, const std::string& name, const std::string& title) {
  if (!Has_High(name + title) || !Loc_Valid_Utf8(name + title)) return false;
  bool japanese = Catalogue_Is_Hidden(title.c_str(), 1033);
  bool inTitle = Has_High(title);
  const std::string& part = inTitle ? title : name;
  Add(0, where, line, std::string("is UTF-8: ") + (japanese ? "a Japanese" : "an English") + " system " +
                          (inTitle ? "lists the title \"" : "looks for the file \"") +
                          Printable(part, japanese ? 932 : 1252) + "\", not \"" + Printable(part, 0) +
                          "\" (the program reads doc.ini in the system's code page: save it as Windows-1252, "
                          "or Shift-JIS for titles holding \"Japanese\")");
  return true;
}

void Check_Catalogue(const Disc& disc, const std::vector<Root>& roots) {
  const Disc_Entry* doc = Find_Named(disc, "", "doc");
  if (!doc || !doc->isDir) {
    Add(1, "doc", 0, "missing: the program shows MSG_MESSAGE_NODOCINI2 and ends");
    return;
  }
  // Any entry counts, as for the program's first-match search (a folder too).
  if (Disc_Match(disc, doc->path, "*.pdf").empty()) Add(1, doc->path, 0, "holds no *.pdf: the program shows MSG_MESSAGE_NODOCINI2 and ends");
  for (const Root& root : roots) {
    char path[256];
    if (!BUF_FORMAT(path, "%s\\doc\\*.pdf", root.path.c_str()))
      Check_Length(0, (root.path + "\\doc\\*.pdf").size(), root, "the manuals' search", doc->path, 0,
                   "the program finds no manuals");
  }
  const Disc_Entry* ini = Find_Named(disc, doc->path, "doc.ini");
  if (!ini || ini->isDir) {
    Add(1, doc->path + "/doc.ini", 0, "missing: the program shows MSG_MESSAGE_NODOCINI2 instead of the chooser");
    return;
  }
  std::string bytes;
  if (!Disc_Read(disc, *ini, &bytes)) {
    Add(1, ini->path, 0, "cannot be read");
    return;
  }
  const std::string& where = ini->path;
  for (const Root& root : roots) {
    char path[256];
    if (!BUF_FORMAT(path, "%s\\doc\\doc.ini", root.path.c_str()))
      Check_Length(0, (root.path + "\\doc\\doc.ini").size(), root, "\"<root>\\doc\\doc.ini\"", where, 0,
                   "the program cannot open the catalogue");
  }
  std::vector<Piece> pieces = Read_Catalogue_Pieces(bytes);
  if (pieces.empty()) Add(1, where, 0, "is empty: the chooser lists nothing");
  const std::string kMark = "\xEF\xBB\xBF";
  bool mark = bytes.compare(0, kMark.size(), kMark) == 0;
  if (mark)
    Add(1, where, 1, "starts with a UTF-8 byte-order mark (EF BB BF): the program reads it as part of the first "
                     "file name (save doc.ini without it)");
  std::vector<Row> rows;
  int lastLongLine = 0;
  for (size_t i = 0; i < pieces.size(); i++) {
    const Piece& p = pieces[i];
    bool ends = !p.raw.empty() && p.raw.back() == '\n';
    bool last = i + 1 == pieces.size();
    if (p.text.size() != p.raw.size())
      Add(1, where, p.line, "holds a zero byte: the program's line ends there");
    if (!ends && !last && lastLongLine != p.line) {
      lastLongLine = p.line;
      Add(1, where, p.line, "is longer, with its line end, than the 254 characters the program reads at once: it reads the rest as a line of its own");
    }
    if (ends && (p.raw.size() < 2 || p.raw[p.raw.size() - 2] != '\r'))
      Add(0, where, p.line, "ends in a bare line feed: the title the user sees ends in a line feed (end lines with CR LF)");
    if (!ends && last && lastLongLine != p.line)
      Add(0, where, p.line, "the last line does not end in CR LF (the program reads it all the same)");
    Row r;
    char name[MANUAL_TEXT_SIZE];
    char title[MANUAL_TEXT_SIZE];
    r.hasEquals = Catalogue_Split_Line(p.text.c_str(), p.text.size(), name, dimof(name), title, dimof(title));
    r.name = name;
    r.title = title;
    r.line = p.line;
    r.exists = Catalogue_Name_Exists(disc, doc->path, r.name, 1252);  // as an English system searches
    if (!r.hasEquals) {
      if (r.exists)
        Add(0, where, p.line, "has no \"=\": the manual is listed under its file name");
      else
        Add(1, where, p.line, "has no \"=\": the program takes the whole line, " + Name_Shown(r.name) +
                                  ", as a file name, finds no such file and stops the list here");
    } else if (!r.exists) {
      Add(1, where, p.line, "names " + Name_Shown(r.name) + ", which is not in doc: the program stops the list here (only the titles above it are shown)");
    }
    bool utf8 = Check_Utf8_Line(where, p.line, i == 0 && mark ? r.name.substr(kMark.size()) : r.name, r.title);
    // Shift-JIS bytes in a title every system lists: other systems show them in their own code page.
    if (!utf8 && !Catalogue_Is_Hidden(r.title.c_str(), 1033) && Reads_As_Japanese(r.title))
      Add(0, where, p.line, "title " + Printable(r.title, 932) + " reads as Japanese but is listed on every system: an English one shows " +
                                Printable(r.title, 1252) + " (a title holding \"Japanese\" is listed only on Japanese systems)");
    if (r.hasEquals && r.title.empty()) Add(0, where, p.line, "has an empty title: the chooser shows a blank row");
    for (const Root& root : roots) {
      char probe[256];
      char command[256];
      // The longest reader path the program accepts: its registry read holds 80 characters.
      static const std::string kReader = "C:\\READER\\" + std::string(66, 'R') + ".EXE";
      if (!BUF_FORMAT(probe, "%s\\doc\\%s", root.path.c_str(), r.name.c_str())) {
        Check_Length(0, (root.path + "\\doc\\" + r.name).size(), root, "\"<root>\\doc\\" + Printable(r.name, 0) + "\"",
                     where, p.line, "the program cannot find it");
        continue;  // one message per line and place
      }
      if (!Build_Open_Command(command, dimof(command), kReader.c_str(), root.path.c_str(), r.name.c_str()))
        Check_Length(0, ("\"" + kReader + "\" \"" + root.path + "\\doc\\" + r.name + "\"").size(), root,
                     "the reader's command line for " + Quoted(r.name) + " (with a reader path of 80 characters)",
                     where, p.line, "the program does not start the reader");
    }
    rows.push_back(r);
  }
  Simulate_Chooser(disc, doc->path, bytes, rows, 1033, "an English", 1252);
  Simulate_Chooser(disc, doc->path, bytes, rows, JAPANESE_LANGUAGE_ID, "a Japanese", 932);
}

// ---- The reader's installers ----

void Check_Installers(const Disc& disc, const std::vector<Root>& roots) {
  const Disc_Entry* doc = Disc_Find(disc, "", "doc");
  const Disc_Entry* acrowin = doc ? Find_Named(disc, doc->path, "acrowin") : NULL;
  static const struct { int languageId; const char* system; const char* names[2]; } kPairs[] = {
      {1033, "non-Japanese systems", {"ar40eng.exe", "acrow32.exe"}},
      {JAPANESE_LANGUAGE_ID, "Japanese systems", {"ar40jpn.exe", "acrow32j.exe"}}};
  std::string folder = acrowin ? acrowin->path : "doc/acrowin";
  for (const auto& pair : kPairs) {
    const Disc_Entry* first = acrowin ? Find_Named(disc, acrowin->path, pair.names[0]) : NULL;
    const Disc_Entry* second = acrowin ? Find_Named(disc, acrowin->path, pair.names[1]) : NULL;
    if (!first && !second)
      Add(1, folder, 0, std::string("holds neither ") + pair.names[0] + " nor " + pair.names[1] + ": " +
                            pair.system + " without the reader cannot install it (the program asks for the disc again and again)");
    else if (!first)
      Add(0, folder, 0, std::string("holds no ") + pair.names[0] + ": " + pair.system +
                            " start the second choice, " + pair.names[1]);
    for (int which = 0; which < 2; which++)
      for (const Root& root : roots) {
        char command[256];
        if (!Viewer_Installer_Command(pair.languageId, which, root.path.c_str(), command, dimof(command)))
          Check_Length(0, ("\"" + root.path + "\\doc\\acrowin\\" + pair.names[which] + "\"").size(), root,
                       std::string("the installer command line for ") + pair.names[which], folder, 0,
                       "the program never starts it");
      }
  }
}

// ---- Program paths outside the catalogue ----

void Check_Program_Paths(const std::vector<Root>& roots) {
  for (const Root& root : roots) {
    char path[256];
    // The program's own name is read with a limit of 255: one that fills it is unusable.
    std::string program = root.path + "\\DOCVIEW.EXE";
    if (program.size() >= 255)
      Add(1, "DOCVIEW.EXE", 0, root.how + ", the program's own path is " + std::to_string(program.size()) +
                                   " characters (the program reads 254): it finds neither its ENGINE.LOC nor the manuals beside it");
    if (!BUF_FORMAT(path, "%s\\ENGINE.LOC", root.path.c_str()))
      Check_Length(0, (root.path + "\\ENGINE.LOC").size(), root, "\"<root>\\ENGINE.LOC\"", "ENGINE.LOC", 0,
                   "the program does not look for its texts there");
  }
}

// ---- Names as ISO 9660 and Joliet store them ----

bool Iso_Level1_Name(const std::string& name, bool dir) {
  size_t dot = name.find('.');
  std::string base = name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos) return false;
  if (dir && dot != std::string::npos) return false;
  for (char c : base + ext)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

void Check_Names(const Disc& disc) {
  if (disc.isImage && !disc.joliet)
    Add(0, "", 0, "the image has no Joliet names: Windows shows its ISO 9660 names");
  for (const Disc_Entry& e : disc.entries) {
    int units = Utf16_Length(e.name);
    if (units < 0)
      Add(1, e.path, 0, "the name is not UTF-8: its Joliet name cannot be made from it");
    else if (units > 64)
      Add(1, e.path, 0, "the name is " + std::to_string(units) + " characters: Joliet keeps at most 64");
    for (unsigned char c : e.name)
      if (c < 0x20 || strchr("*/:;?\\", c)) {
        Add(1, e.path, 0, "the name holds a character Joliet does not allow (* / : ; ? \\ or a control character)");
        break;
      }
    if (e.isDir && e.depth + 1 > 8)
      Add(1, e.path, 0, "folder at level " + std::to_string(e.depth + 1) + " (the root is 1): ISO 9660 allows 8");
  }
  // Two names Windows cannot tell apart.
  std::map<std::string, const Disc_Entry*> folded;
  for (const Disc_Entry& e : disc.entries) {
    std::string key = e.path;
    for (char& c : key)
      if (c >= 'A' && c <= 'Z') c = (char)(c + ('a' - 'A'));
    auto it = folded.find(key);
    if (it == folded.end())
      folded[key] = &e;
    else if (it->second->path != e.path)
      Add(1, e.path, 0, "differs from \"" + it->second->path + "\" only in case: Windows shows one of them");
  }
  // ISO level 1 (8.3, A-Z 0-9 _) matters only to systems that read no Joliet: one summary.
  std::vector<std::string> odd;
  if (disc.isImage) {
    for (const std::string& p : disc.primaryNames) {
      std::string n = p.substr(p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1);
      // Folders carry no ";1" and no dot in level 1; a dotless name passes either way.
      if (!Iso_Level1_Name(n, n.find('.') == std::string::npos)) odd.push_back(p);
    }
  } else {
    for (const Disc_Entry& e : disc.entries)
      if (!Iso_Level1_Name(e.name, e.isDir)) odd.push_back(e.path);
  }
  if (!odd.empty()) {
    std::string some;
    for (size_t i = 0; i < odd.size() && i < 3; i++) some += (i ? ", " : "") + odd[i];
    Add(FINDING_NOTE, "", 0, std::to_string(odd.size()) + " names are not ISO 9660 level 1 (8.3, A-Z 0-9 _), e.g. " + some +
                      (odd.size() > 3 ? ", ..." : "") +
                      ": systems that read no Joliet see other names (Windows reads the Joliet names)");
  }
}

}  // namespace

void Disc_Check(const Disc& disc, const Check_Options& options, Check_Report* report) {
  R = report;
  std::vector<Root> roots;
  roots.push_back(Root{"D:", "with the disc in drive D:"});
  int n = options.folderLength < 3 ? 3 : options.folderLength;
  // A copied disc's SourceRoot is the program's folder, upper-cased: "C:\FFF...".
  roots.push_back(Root{"C:\\" + std::string((size_t)n - 3, 'F'),
                       "copied to a folder of " + std::to_string(n) + " characters"});
  Check_String_File(disc);
  Check_Program_Paths(roots);
  Check_Catalogue(disc, roots);
  Check_Installers(disc, roots);
  Check_Names(disc);
}
