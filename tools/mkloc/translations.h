// The translators' round trip: a string file's UTF-8 source out to one gettext
// PO file per language (and a template), and translated PO files merged back
// into the source. Everything in memory here; the commands around it read and
// write the files.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "locfile.h"

// A translation language's PO file.
struct Po_Language {
  const char* code;    // "GER"
  const char* file;    // "de.po"
  const char* name;    // "German"
  const char* plural;  // its Plural-Forms
};
// The nine languages beside English, in code order; count in *count.
const Po_Language* Po_Languages(size_t* count);

struct Po_Output {
  std::string file;  // "de.po", "engine_loc.pot"
  std::string text;
};

// The PO files of a source: one per translation language (each entry's
// msgstr empty where the source has no text in it) and the template. date
// ("2024-05-01 12:00+0000") goes into the headers. The source must be one
// mkloc builds. Errors and warnings are full lines.
bool Loc_Export_Po(const std::string& sourceName, const char* data, size_t size, const std::string& date,
                   std::vector<Po_Output>* files, Loc_Messages* msgs);

struct Po_Input {
  std::string code;   // the language, "GER"
  std::string name;   // the file as messages name it ("po/de.po")
  std::string bytes;
};

// Merges the translations of inputs (each language at most once) into the
// source: keys, English texts, comments and layout from the source, each
// input language's texts from its file; a language without an input keeps
// its texts. The merged source, named outName in messages about it, passes
// mkloc's own checks. notes gets the keys left untranslated per file. True
// with *merged set when there was no error.
bool Loc_Import_Po(const std::string& sourceName, const char* data, size_t size,
                   const std::vector<Po_Input>& inputs, const std::string& outName, std::string* merged,
                   Loc_Messages* msgs, std::vector<std::string>* notes);

// The commands: mkloc --export-po SOURCE DIR, mkloc --import-po SOURCE DIR -o NEW.
// Exit status 0, 1 (refused) or 2 (a file could not be read or written).
int Po_Export_Command(const char* sourcePath, const char* dir);
int Po_Import_Command(const char* sourcePath, const char* dir, const char* outPath);
