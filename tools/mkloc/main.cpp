// mkloc: builds, checks and dumps DOCVIEW.EXE's string file ENGINE.LOC.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "codepage.h"
#include "locfile.h"
#include "shown.h"
#include "strfile_writer.h"
#include "translations.h"

static const char kUsage[] =
    "usage: mkloc SOURCE.txt ENGINE.LOC   build the string file from a UTF-8 source\n"
    "       mkloc --allow-cut SOURCE.txt ENGINE.LOC\n"
    "                                     build it even where the program cuts a text\n"
    "       mkloc --check ENGINE.LOC      read a finished file back and report problems\n"
    "       mkloc --dump ENGINE.LOC       print a finished file as UTF-8 source text\n"
    "       mkloc --export-po SOURCE.txt DIR\n"
    "                                     write a gettext PO file per language for\n"
    "                                     translators (es fr de it ja ko zh_TW pt th)\n"
    "                                     and the template engine_loc.pot into DIR\n"
    "       mkloc --import-po SOURCE.txt DIR -o NEW.txt\n"
    "                                     merge DIR's translated PO files into a copy of\n"
    "                                     the source (keys, English and comments from it)\n"
    "\n"
    "Source format (UTF-8):\n"
    "  # comment lines and blank lines are ignored\n"
    "  [MSG_BUTTON_OK]\n"
    "  ENG: OK\n"
    "  FRA: OK\n"
    "\n"
    "\"[KEY]\" starts an entry (upper case, no spaces). \"CODE: text\" adds that\n"
    "language's text: everything after \": \", byte for byte; \\n stays backslash\n"
    "and n (the program shows a line break), ^0..^9 are placeholders. Every entry\n"
    "needs an ENG text. Codes and code pages: ENG SPN FRA GER ITL PRT 1252,\n"
    "JPN 932, KOR 949, MAN 950, TAI 874. A text must be representable in its code\n"
    "page, at most 510 bytes there, without zero bytes or \"^^\". Only\n"
    "MSG_MESSAGE_INSERTCD may hold a placeholder, one ^0 (the disc's name). What\n"
    "the program shows is checked in every language: a text over its 255 bytes,\n"
    "the reader offer (need-reader text, blank line, install question) over 255,\n"
    "the filled insert-disc text at 256 or more are errors (with --allow-cut,\n"
    "warnings).\n"
    "\n"
    "Exit status: 0 fine, 1 refused or problems found, 2 usage or file error.\n";

static void Print(const Loc_Messages& msgs) {
  for (const std::string& w : msgs.warnings) fprintf(stderr, "warning: %s\n", w.c_str());
  for (const std::string& e : msgs.errors) fprintf(stderr, "%s\n", e.c_str());
}

static int Build(const char* sourcePath, const char* outPath, bool allowCut) {
  std::string source;
  if (Read_Bytes(sourcePath, &source) != 1) {
    fprintf(stderr, "mkloc: cannot read %s\n", sourcePath);
    return 2;
  }
  std::vector<Loc_Entry> entries;
  Loc_Messages msgs;
  std::string file;
  bool ok = Loc_Parse_Source(sourcePath, source.data(), source.size(), &entries, &msgs) &&
            Loc_Check_Shown(sourcePath, entries, !allowCut, &msgs) && Loc_Build(outPath, entries, &file, &msgs);
  Print(msgs);
  if (!ok) {
    fprintf(stderr, "mkloc: %s not written\n", outPath);
    return 1;
  }
  if (!Write_Bytes(outPath, file)) {
    fprintf(stderr, "mkloc: cannot write %s\n", outPath);
    remove(outPath);  // never leave a half-written file for the disc
    return 2;
  }
  printf("mkloc: wrote %s: %u keys, %u bytes\n", outPath, (unsigned)entries.size(), (unsigned)file.size());
  return 0;
}

static int Check_Or_Dump(const char* path, bool dump) {
  // The file is read as the program reads it: a stream opened "rb", seeked
  // and read through the String store's own reading code.
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "mkloc: cannot read %s\n", path);
    return 2;
  }
  Byte_Source src;
  Bytes_From_File(&src, f);
  std::vector<Loc_Entry> entries;
  Loc_Messages msgs;
  bool ok = Loc_Read(path, &src, &entries, &msgs);
  if (ok && !dump) ok = Loc_Check_Shown(path, entries, true, &msgs);  // what the user would see
  bool readError = ferror(f) != 0;
  fclose(f);
  if (readError) {
    fprintf(stderr, "mkloc: cannot read %s\n", path);
    return 2;
  }
  if (dump) {
    std::string source;
    ok = Loc_Dump(path, entries, &source, &msgs) && ok;
    Tool_Binary_Stdout();
    fwrite(source.data(), 1, source.size(), stdout);
  }
  Print(msgs);
  if (!dump && ok) {
    unsigned texts = 0;
    for (const Loc_Entry& e : entries) texts += (unsigned)e.texts.size();
    printf("mkloc: %s is fine: %u keys, %u texts\n", path, (unsigned)entries.size(), texts);
  }
  return ok ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--check") == 0) return Check_Or_Dump(argv[2], false);
  if (argc == 3 && strcmp(argv[1], "--dump") == 0) return Check_Or_Dump(argv[2], true);
  if (argc == 3 && argv[1][0] != '-') return Build(argv[1], argv[2], false);
  if (argc == 4 && strcmp(argv[1], "--allow-cut") == 0 && argv[2][0] != '-') return Build(argv[2], argv[3], true);
  if (argc == 4 && strcmp(argv[1], "--export-po") == 0) return Po_Export_Command(argv[2], argv[3]);
  if (argc == 6 && strcmp(argv[1], "--import-po") == 0 && strcmp(argv[4], "-o") == 0)
    return Po_Import_Command(argv[2], argv[3], argv[5]);
  fputs(kUsage, argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) ? stdout : stderr);
  return argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) ? 0 : 2;
}
