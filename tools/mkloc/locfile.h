// mkloc's core: reads the UTF-8 source of a string file, builds ENGINE.LOC
// from it, and reads a finished file back the way DOCVIEW.EXE reads it.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "base/bytes.h"

// Diagnostics, each a full line ("file:line: ..." for a source, "file: ..."
// for a string file). Errors refuse the file; warnings only inform.
struct Loc_Messages {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

struct Loc_Text {
  std::string code;   // "ENG", "FRA", ...
  std::string utf8;   // as the author wrote it
  std::string bytes;  // in the language's code page
  int line = 0;       // source line (0 when read from a string file)
  long offset = -1;   // offset in the text area, once written or read
};

struct Loc_Entry {
  std::string key;
  int line = 0;                 // source line of "[KEY]"
  long keyPos = -1;             // file position of the key token, when read back
  std::vector<Loc_Text> texts;  // source order; ENG first when read back
};

// The Windows code page of a language code, 0 for a code the program does not know.
int Loc_Code_Page(const std::string& code);

// The language codes a source may carry, in their order (ENG first).
std::vector<std::string> Loc_Codes();

// A text with the program's line-break rule applied ("\n" becomes a line feed),
// seen as the program sees it: up to its first zero byte.
std::string Loc_Expanded(const std::string& text);

// The length of the well-formed UTF-8 character at s (n bytes there; no
// overlong forms, no surrogates), 0 when there is none; its code point in
// *codePoint when that is given.
size_t Loc_Utf8_Char(const unsigned char* s, size_t n, unsigned long* codePoint);
// True when s is well-formed UTF-8.
bool Loc_Valid_Utf8(const std::string& s);

// The digits of a text's placeholders in order, as the program finds them.
std::string Loc_Placeholder_Digits(const std::string& text);

// The text the author means for code: its own, or the ENG one when it has
// none or it is empty (nullptr without either).
const Loc_Text* Loc_Meant_Text(const Loc_Entry& e, const std::string& code);

// Parses a source (see the usage text in main.cpp). Converts every text into
// its code page and checks that the program will read it back as written.
// Returns true when no error was found. What the user then sees of the texts
// (placeholders, cuts) is Loc_Check_Shown's part (shown.h).
bool Loc_Parse_Source(const std::string& name, const char* data, size_t size,
                      std::vector<Loc_Entry>* entries, Loc_Messages* msgs);

// Builds the string file from parsed entries: entries ordered so every key's
// first occurrence in the index is its own entry, ENG pairs first. The result
// is read back and compared before it is handed out. True on success. It
// builds what it is given: run Loc_Check_Shown on the entries first.
bool Loc_Build(const std::string& name, const std::vector<Loc_Entry>& entries,
               std::string* file, Loc_Messages* msgs);

// Reads a finished string file through the program's own reading code and
// reports every problem the program would have reading it (what the user then
// sees is Loc_Check_Shown's part). Fills entries (index
// order) as far as the index could be read. True when no error was found.
// The source is read from its start (a file the program would open, or bytes).
bool Loc_Read(const std::string& name, Byte_Source* src, std::vector<Loc_Entry>* entries,
              Loc_Messages* msgs);
bool Loc_Read(const std::string& name, const char* data, size_t size,
              std::vector<Loc_Entry>* entries, Loc_Messages* msgs);

// The entries of a string file as UTF-8 source text; an error for every text
// that is not valid in its code page (it is left out). True when none.
bool Loc_Dump(const std::string& name, const std::vector<Loc_Entry>& entries,
              std::string* source, Loc_Messages* msgs);
