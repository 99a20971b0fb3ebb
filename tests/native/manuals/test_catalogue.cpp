// The manual catalogue: line splitting, reading into the table, the language
// filter, finding a title and the reader's command line.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "manuals/catalogue.h"

namespace {

// What the "doc" folder holds and what reached the list, for one read.
struct Fixture {
  std::set<std::string> files;
  std::vector<std::string> folders;  // folder of every probe
  std::vector<std::string> probes;   // pattern of every probe
  std::vector<std::string> listed;
};

int Fake_Exists(void* context, const char* folder, const char* pattern) {
  Fixture* fx = static_cast<Fixture*>(context);
  fx->folders.push_back(folder);
  fx->probes.push_back(pattern);
  return fx->files.count(pattern) != 0;
}

void Fake_Add(void* context, const char* title) {
  static_cast<Fixture*>(context)->listed.push_back(title);
}

// Reads bytes as the catalogue file; returns Catalogue_Read_Source's result.
int Read_Bytes(Fixture& fx, const std::string& bytes, int languageId = 1033) {
  Byte_Source src;
  Bytes_From_Memory(&src, bytes.data(), bytes.size());
  return Catalogue_Read_Source(&src, "C:\\APPS\\doc", languageId, Fake_Exists, Fake_Add, &fx);
}

std::string Split_Name(const std::string& line, std::string* title, int* hadEquals = nullptr) {
  char name[MANUAL_TEXT_SIZE], t[MANUAL_TEXT_SIZE];
  memset(name, 'X', sizeof name);
  memset(t, 'X', sizeof t);
  int eq = Catalogue_Split_Line(line.data(), line.size(), name, sizeof name, t, sizeof t);
  if (hadEquals) *hadEquals = eq;
  *title = t;
  return name;
}

}  // namespace

TEST(CatalogueSplit, NameBeforeFirstEqualsTitleUpToFirstCarriageReturn) {
  struct Case {
    const char* line;
    const char* name;
    const char* title;
    int hadEquals;
  } cases[] = {
      {"guide.pdf=User Guide\r\n", "guide.pdf", "User Guide", 1},
      {"a.pdf=x = y=z\r\n", "a.pdf", "x = y=z", 1},        // further "=" belong to the title
      {"a.pdf=Title\n", "a.pdf", "Title\n", 1},           // a bare line feed stays
      {"a.pdf=one\rtwo\r\n", "a.pdf", "one", 1},          // the first carriage return ends it
      {"=Doc folder\r\n", "", "Doc folder", 1},           // "=" first: empty name
      {" spaced .pdf = Title \r\n", " spaced .pdf ", " Title ", 1},  // verbatim
      {"a.pdf=\r\n", "a.pdf", "", 1},
      {"a.pdf=no line end", "a.pdf", "no line end", 1},
      {"noequals\r\n", "noequals\r\n", "noequals", 0},     // line end kept in the name
      {"last.pdf", "last.pdf", "last.pdf", 0},             // last line: listed under its name
      {"", "", "", 0},
  };
  for (const Case& c : cases) {
    std::string title;
    int eq = -1;
    EXPECT_EQ(c.name, Split_Name(c.line, &title, &eq)) << c.line;
    EXPECT_EQ(c.title, title) << c.line;
    EXPECT_EQ(c.hadEquals, eq) << c.line;
  }
}

TEST(CatalogueSplit, StopsAtLengthAndAtNulAndNeverOverrunsSmallBuffers) {
  // No terminator after the given length: nothing beyond it may be read.
  const char bytes[] = {'a', '=', 'b', 'c', '=', 'Z'};
  char name[8], title[8];
  Catalogue_Split_Line(bytes, 4, name, sizeof name, title, sizeof title);
  EXPECT_STREQ("a", name);
  EXPECT_STREQ("bc", title);

  const char withNul[] = "ab\0=cd";
  EXPECT_EQ(0, Catalogue_Split_Line(withNul, sizeof withNul - 1, name, sizeof name, title,
                                    sizeof title));
  EXPECT_STREQ("ab", name);

  struct Guarded {
    char text[4];
    char canary[4];
  } n = {{0}, {'#', '#', '#', '#'}}, t = {{0}, {'#', '#', '#', '#'}};
  Catalogue_Split_Line("longname=longtitle", 18, n.text, sizeof n.text, t.text, sizeof t.text);
  EXPECT_STREQ("lon", n.text);
  EXPECT_STREQ("lon", t.text);
  EXPECT_EQ(0, memcmp(n.canary, "####", 4));
  EXPECT_EQ(0, memcmp(t.canary, "####", 4));
}

TEST(CatalogueFilter, JapaneseInAnyCaseHiddenUnlessSystemIs1041) {
  struct Case {
    const char* title;
    int hiddenElsewhere;
  } cases[] = {
      {"Guide (Japanese)", 1}, {"JAPANESE", 1}, {"jApAnEsE manual", 1}, {"xjapanesex", 1},
      {"Japanes", 0},          {"Japan ese", 0}, {"", 0},               {"English Guide", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.hiddenElsewhere, Catalogue_Is_Hidden(c.title, 1033)) << c.title;
    EXPECT_EQ(c.hiddenElsewhere, Catalogue_Is_Hidden(c.title, 1036)) << c.title;
    EXPECT_EQ(0, Catalogue_Is_Hidden(c.title, 1041)) << c.title;
  }
  // Only 1041 itself: a language id that merely has Japanese's low bits is not Japanese.
  EXPECT_EQ(1, Catalogue_Is_Hidden("Japanese", 1041 + 0x10000));
}

TEST(CatalogueRead, RowsInFileOrderEachFileProbedInDocFolder) {
  Fixture fx;
  fx.files = {"b.pdf", "a.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, "b.pdf=Beta\r\na.pdf=Alpha\r\n"));
  EXPECT_EQ(2, ManualCount);
  EXPECT_STREQ("b.pdf", ManualTable[0].fileName);
  EXPECT_STREQ("Beta", ManualTable[0].title);
  EXPECT_STREQ("a.pdf", ManualTable[1].fileName);
  EXPECT_STREQ("Alpha", ManualTable[1].title);
  EXPECT_EQ((std::vector<std::string>{"Beta", "Alpha"}), fx.listed);
  EXPECT_EQ((std::vector<std::string>{"C:\\APPS\\doc", "C:\\APPS\\doc"}), fx.folders);
}

TEST(CatalogueRead, JapaneseLinesDroppedAndTheirRowReused) {
  const std::string file =
      "en.pdf=Guide\r\njp.pdf=Guide (JAPANESE)\r\nfr.pdf=Guide FR\r\njp2.pdf=japanese\r\n";
  Fixture fx;
  fx.files = {"en.pdf", "jp.pdf", "fr.pdf", "jp2.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, file, 1033));
  EXPECT_EQ((std::vector<std::string>{"Guide", "Guide FR"}), fx.listed);
  EXPECT_EQ(2, ManualCount);
  EXPECT_STREQ("fr.pdf", ManualTable[1].fileName);  // the dropped line's row was overwritten
  EXPECT_EQ(-1, Catalogue_Find_Title("japanese"));   // left in row 2, but not listed

  Fixture jp;
  jp.files = fx.files;
  ASSERT_EQ(1, Read_Bytes(jp, file, 1041));
  EXPECT_EQ(4u, jp.listed.size());
  EXPECT_EQ(4, ManualCount);
}

TEST(CatalogueRead, MissingFileStopsReadingAndKeepsEarlierRows) {
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> listed;
  } cases[] = {
      {"missing file", "a.pdf=A\r\ngone.pdf=Gone\r\nb.pdf=B\r\n", {"A"}},
      // The check comes before the filter: a hidden manual must exist too.
      {"missing hidden file", "a.pdf=A\r\ngone.pdf=JAPANESE\r\nb.pdf=B\r\n", {"A"}},
      // Without "=" the line end is part of the name, which no file has.
      {"line without =", "a.pdf=A\r\nb.pdf\r\nb.pdf=B\r\n", {"A"}},
      {"empty line", "a.pdf=A\r\n\r\nb.pdf=B\r\n", {"A"}},
  };
  for (const Case& c : cases) {
    Fixture fx;
    fx.files = {"a.pdf", "b.pdf"};
    EXPECT_EQ(0, Read_Bytes(fx, c.file)) << c.what;
    EXPECT_EQ(c.listed, fx.listed) << c.what;
    EXPECT_EQ(1, ManualCount) << c.what;
    EXPECT_EQ(2u, fx.probes.size()) << c.what;  // nothing after the failing line is probed
  }
}

TEST(CatalogueRead, EmptyNameProbesTheFolderAndLastLineWithoutEqualsUsesItsName) {
  Fixture fx;
  fx.files = {"", "last.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, "=Doc folder\r\nlast.pdf"));
  EXPECT_EQ((std::vector<std::string>{"", "last.pdf"}), fx.probes);
  EXPECT_EQ((std::vector<std::string>{"Doc folder", "last.pdf"}), fx.listed);
}

TEST(CatalogueRead, ZeroByteEndsTheTextOfItsLine) {
  // As with the run-time's line reader: the line is measured up to the zero.
  Fixture fx;
  fx.files = {"a.pdf", "b.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, std::string("a.pdf\0x=Hidden\r\nb.pdf=B\0C\r\n", 27)));
  EXPECT_EQ((std::vector<std::string>{"a.pdf", "b.pdf"}), fx.probes);
  EXPECT_EQ((std::vector<std::string>{"a.pdf", "B"}), fx.listed);
}

TEST(CatalogueRead, LongLinesArriveIn254CharacterPieces) {
  // 248 title characters fill the first piece exactly (6 + 248 = 254); the
  // rest of the line is read as a line of its own.
  std::string title(248, 'T');
  Fixture fx;
  fx.files = {"a.pdf", "b.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, "a.pdf=" + title + "b.pdf=Second\r\n"));
  ASSERT_EQ(2u, fx.listed.size());
  EXPECT_EQ(title, fx.listed[0]);
  EXPECT_EQ("Second", fx.listed[1]);

  // One character shorter: the whole line fits in one piece.
  Fixture one;
  one.files = {"a.pdf"};
  ASSERT_EQ(1, Read_Bytes(one, "a.pdf=" + std::string(245, 'T') + "\r\n"));
  ASSERT_EQ(1u, one.listed.size());
  EXPECT_EQ(245u, one.listed[0].size());

  // A piece holding only "\n" names no file: the split CR LF stops the reading.
  Fixture split;
  split.files = {"a.pdf"};
  EXPECT_EQ(0, Read_Bytes(split, "a.pdf=" + std::string(247, 'T') + "\r\n"));
  ASSERT_EQ(1u, split.listed.size());
  EXPECT_EQ(247u, split.listed[0].size());
  EXPECT_EQ("\n", split.probes.back());
}

TEST(CatalogueRead, At255RowsTheRestIsNotRead) {
  std::string file;
  Fixture fx;
  for (int i = 0; i < 300; i++) {
    char line[64];
    snprintf(line, sizeof line, "m%03d.pdf=Manual %03d\r\n", i, i);
    file += line;
    if (i < 255) fx.files.insert(std::string(line, 8));
  }
  // Lines 256 on name files that do not exist; they are never looked at.
  ASSERT_EQ(1, Read_Bytes(fx, file));
  EXPECT_EQ(255, ManualCount);
  EXPECT_EQ(255u, fx.listed.size());
  EXPECT_EQ(255u, fx.probes.size());
  EXPECT_STREQ("Manual 254", ManualTable[254].title);
}

TEST(CatalogueRead, DocIniThatCannotBeOpenedOrWhosePathDoesNotFit) {
  Fixture fx;
  fx.files = {"a.pdf"};
  ASSERT_EQ(1, Read_Bytes(fx, "a.pdf=Alpha\r\n"));
  EXPECT_EQ(0, Catalogue_Read("/nonexistent-root", 1033, Fake_Exists, Fake_Add, &fx));
  std::string longRoot(250, 'R');  // "\doc\doc.ini" would be cut at 255
  EXPECT_EQ(0, Catalogue_Read(longRoot.c_str(), 1033, Fake_Exists, Fake_Add, &fx));
  EXPECT_EQ(1u, fx.probes.size());
  EXPECT_EQ(-1, Catalogue_Find_Title("Alpha"));  // rows of an earlier read no longer count
}

TEST(CatalogueOpen, FirstRowWithExactTitleGivesTheQuotedCommandLine) {
  Fixture fx;
  fx.files = {"guide.pdf", "other.pdf", "dup.pdf", ""};
  ASSERT_EQ(1, Read_Bytes(fx, "guide.pdf=Guide\r\nother.pdf=Same\r\ndup.pdf=Same\r\n=Folder\r\n"));
  struct Case {
    const char* title;
    int result;
    const char* command;
  } cases[] = {
      {"Guide", OPEN_READY, "\"C:\\VIEWER\\VIEWER.EXE\" \"C:\\APPS\\doc\\guide.pdf\""},
      {"Same", OPEN_READY, "\"C:\\VIEWER\\VIEWER.EXE\" \"C:\\APPS\\doc\\other.pdf\""},
      {"Folder", OPEN_READY, "\"C:\\VIEWER\\VIEWER.EXE\" \"C:\\APPS\\doc\\\""},
      {"guide", OPEN_NO_MANUAL, ""},  // case-sensitive
      {"Guide ", OPEN_NO_MANUAL, ""},
      {"", OPEN_NO_MANUAL, ""},  // OK on no selection: rows never filled do not count
  };
  for (const Case& c : cases) {
    char out[256];
    EXPECT_EQ(c.result, Manual_Open_Command(c.title, "C:\\VIEWER\\VIEWER.EXE", "C:\\APPS", out,
                                            sizeof out))
        << c.title;
    EXPECT_STREQ(c.command, out) << c.title;
  }
}

TEST(CatalogueOpen, EmptyCatalogueOpensNothing) {
  Fixture fx;
  ASSERT_EQ(1, Read_Bytes(fx, ""));
  char out[256];
  EXPECT_EQ(OPEN_NO_MANUAL, Manual_Open_Command("", "C:\\V.EXE", "C:", out, sizeof out));
}

TEST(CatalogueOpen, CommandLineMustFitIn255Characters) {
  // Fixed part: 2 quotes + space + 2 quotes + "\doc\" = 10 characters.
  std::string viewer = "C:\\V.EXE";  // 8
  std::string root = "C:";           // 2
  for (int fileLength : {235, 236}) {
    std::string file(fileLength, 'f');
    char out[256];
    int fits = Build_Open_Command(out, sizeof out, viewer.c_str(), root.c_str(), file.c_str());
    EXPECT_EQ(fileLength == 235 ? 1 : 0, fits) << fileLength;
    EXPECT_EQ(255u, strlen(out)) << fileLength;
  }

  Fixture fx;
  std::string longName(240, 'n');
  fx.files = {longName};
  ASSERT_EQ(1, Read_Bytes(fx, longName + "=Long\r\n"));
  char out[256];
  EXPECT_EQ(OPEN_TOO_LONG, Manual_Open_Command("Long", viewer.c_str(), root.c_str(), out,
                                                sizeof out));
}

TEST(ViewerWait, ElapsedSecondsAcrossTheTickCountWrap) {
  struct Case {
    double start, now, elapsed;
  } cases[] = {
      {100.0, 120.0, 20.0},
      {4294960.0, 4294967.0, 7.0},
      {4294960.296, 12.0, 19.0},  // wrapped: 7 s before, 12 s after
      {5.0, 5.0, 0.0},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(c.elapsed, Elapsed_Seconds(c.start, c.now), 1e-6) << c.start << " " << c.now;
}
