// Path helpers of the launch sequence that need no Windows call.
#include <string.h>

#include "base/buf.h"
#include "shell/launch.h"
#include "shell/launch_paths.h"

void Strip_File_Name(char* path) {
  size_t n = strlen(path);
  while (n > 0 && path[n - 1] != '\\') path[--n] = '\0';
  if (n > 0) path[n - 1] = '\0';  // the last backslash goes too
}

// Builds in development trees stand for the release disc's layout.
static const char* const DevelopmentPaths[] = {"C:\\MANUAL\\OBJ_MAK", "C:\\CODE\\MANUAL"};
static const char ReleaseProgram[] = "E:\\INSTALL\\WIN\\ZAROZUV.EXE";

int Program_Root_From_Module(char* root, size_t size) {
  Upper_Ascii(root);
  for (size_t i = 0; i < dimof(DevelopmentPaths); i++) {
    if (strstr(root, DevelopmentPaths[i]) != NULL) {
      if (!Buf_Copy(root, size, ReleaseProgram)) return 0;
      break;
    }
  }
  Strip_File_Name(root);
  return 1;
}

int Compose_Viewer_Prompt(char* out, size_t size, const char* needViewer, const char* installNow) {
  return Buf_Format(out, size, "%s\n\n%s", needViewer, installNow);
}
