// disccheck: checks a disc folder or an ISO image the way DOCVIEW.EXE will
// read it, and shows what the chooser lists on English and Japanese systems.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "check.h"
#include "disc.h"

static const char kUsage[] =
    "usage: disccheck [--folder-length N] DIR|IMAGE.iso\n"
    "\n"
    "Checks a disc laid out for DOCVIEW.EXE (a folder, or an ISO 9660 image read\n"
    "by its Joliet names) the way the program reads it: ENGINE.LOC beside\n"
    "DOCVIEW.EXE and every text the program asks for, doc\\doc.ini and the\n"
    "manuals it names, the reader's installers in doc\\acrowin, the length of\n"
    "every path and command line the program builds (disc in drive D:, or\n"
    "copied to a folder of N characters, default 64), and the names as ISO 9660\n"
    "with Joliet stores them. Then lists what the chooser shows on an English\n"
    "and on a Japanese system.\n"
    "\n"
    "Each finding is one line, PATH[:LINE]: error|warning|note: message (a note\n"
    "is not a fault and is not counted).\n"
    "Exit status: 1 when an error was found, 0 otherwise, 2 on a usage error.\n";

int main(int argc, char** argv) {
  Check_Options options;
  const char* where = NULL;
  for (int i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      fputs(kUsage, stdout);
      return 0;
    }
    if (strcmp(argv[i], "--folder-length") == 0 && i + 1 < argc) {
      char* end;
      long n = strtol(argv[++i], &end, 10);
      if (*end != '\0' || n < 3 || n > 255) {
        fprintf(stderr, "disccheck: --folder-length takes a number from 3 to 255\n");
        return 2;
      }
      options.folderLength = (int)n;
    } else if (argv[i][0] == '-' || where) {
      fputs(kUsage, stderr);
      return 2;
    } else {
      where = argv[i];
    }
  }
  if (!where) {
    fputs(kUsage, stderr);
    return 2;
  }
  std::string base = where;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  Disc disc;
  std::string error;
  if (!Disc_Open(base, &disc, &error)) {
    printf("%s: error: %s\n", base.c_str(), error.c_str());
    printf("disccheck: 1 error, 0 warnings\n");
    return 1;
  }
  Check_Report report;
  Disc_Check(disc, options, &report);
  for (const Finding& f : report.findings) {
    std::string path = f.path.empty() ? base : base + "/" + f.path;
    const char* kind = f.error == FINDING_NOTE ? "note" : f.error == FINDING_ERROR ? "error" : "warning";
    if (f.line)
      printf("%s:%d: %s: %s\n", path.c_str(), f.line, kind, f.message.c_str());
    else
      printf("%s: %s: %s\n", path.c_str(), kind, f.message.c_str());
  }
  for (const Chooser_List& list : report.lists) {
    printf("\nThe chooser on %s system (%u titles; sorted here in ASCII order ignoring case, "
           "Windows sorts by the system's collation):\n",
           list.system.c_str(), (unsigned)list.titles.size());
    for (const std::string& t : list.titles) printf("  %s\n", t.c_str());
    if (list.cut) printf("  (cut at 255 rows)\n");
  }
  printf("\ndisccheck: %d error%s, %d warning%s\n", report.errors, report.errors == 1 ? "" : "s",
         report.warnings, report.warnings == 1 ? "" : "s");
  return report.errors ? 1 : 0;
}
