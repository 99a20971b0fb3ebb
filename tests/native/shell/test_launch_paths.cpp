// Path rules of the launch sequence: cutting a file name, the program's root.
#include <gtest/gtest.h>
#include <string.h>

#include "base/buf.h"
#include "shell/launch.h"
#include "shell/launch_paths.h"

TEST(StripFileName, CutsBackToTheFolder) {
  struct { const char* in; const char* out; } cases[] = {
      {"C:\\DIR\\PROG.EXE", "C:\\DIR"}, {"C:\\PROG.EXE", "C:"}, {"C:\\DIR\\", "C:\\DIR"},
      {"PROG.EXE", ""}, {"", ""}, {"\\", ""},
  };
  for (auto& c : cases) {
    char b[64];
    BUF_COPY(b, c.in);
    Strip_File_Name(b);
    EXPECT_STREQ(c.out, b) << c.in;
  }
}

TEST(ProgramRoot, UpperCasedFolderWithDevelopmentTreesMapped) {
  struct { const char* module; const char* root; } cases[] = {
      {"c:\\apps\\docs\\docview.exe", "C:\\APPS\\DOCS"},
      {"D:\\X.EXE", "D:"},
      {"c:\\code\\manual\\debug\\docview.exe", "E:\\INSTALL\\WIN"},
      {"X:\\net\\c:\\manual\\obj_mak\\docview.exe", "E:\\INSTALL\\WIN"},  // "anywhere" in the path
      {"C:\\CODE\\MANUALS2\\DOCVIEW.EXE", "E:\\INSTALL\\WIN"},            // a plain substring test
      {"C:\\MANUAL\\OBJ\\DOCVIEW.EXE", "C:\\MANUAL\\OBJ"},
  };
  for (auto& c : cases) {
    char b[256];
    BUF_COPY(b, c.module);
    ASSERT_EQ(1, Program_Root_From_Module(b, sizeof b));
    EXPECT_STREQ(c.root, b) << c.module;
  }
}

TEST(ProgramRoot, RefusesWhenTheReleasePathDoesNotFit) {
  // A development path in a buffer too small for the release path is refused,
  // not cut into some other folder.
  char small[21];
  BUF_COPY(small, "C:\\CODE\\MANUAL\\A.EXE");
  EXPECT_EQ(0, Program_Root_From_Module(small, sizeof small));
}

TEST(ViewerPrompt, NeedTextFirstThenEmptyLineAndCutToFit) {
  char out[256];
  EXPECT_EQ(1, Compose_Viewer_Prompt(out, sizeof out, "Need", "Install?"));
  EXPECT_STREQ("Need\n\nInstall?", out);
  EXPECT_EQ(1, Compose_Viewer_Prompt(out, sizeof out, "", "Install?"));
  EXPECT_STREQ("\n\nInstall?", out);
  std::string a(200, 'a'), b(200, 'b');
  struct { char buf[256]; char canary; } s;
  s.canary = 'C';
  EXPECT_EQ(0, Compose_Viewer_Prompt(s.buf, sizeof s.buf, a.c_str(), b.c_str()));
  EXPECT_EQ(255u, strlen(s.buf));
  EXPECT_EQ('C', s.canary);
}
