// prompt_host.exe: puts one prompt up through Ask_User, for the script tests.
// usage: prompt_host.exe [--no-window] [--strings PATH] [--offer | --format ARG]
//                        QUESTION FIRST SECOND
// Creates the grey main window (unless --no-window), loads the string file
// PATH into slot 0, asks, then prints "result N" and "language N" (slot 0's
// language after the prompt) and exits with 0. With --offer the question is
// the reader offer as the launch sequence composes it (QUESTION is ignored);
// with --format, the text of key QUESTION with ^0 filled in by ARG, as the
// installer's disc prompt makes it.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "base/buf.h"
#include "prompts/prompts.h"
#include "shell/launch_paths.h"
#include "shell/window.h"
#include "strrez/strrez.h"

int main(int argc, char** argv) {
  int window = 1;
  const char* strings = NULL;
  const char* formatArg = NULL;
  int offer = 0;
  int i = 1;
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    if (strcmp(argv[i], "--no-window") == 0) {
      window = 0;
    } else if (strcmp(argv[i], "--strings") == 0 && i + 1 < argc) {
      strings = argv[++i];
    } else if (strcmp(argv[i], "--offer") == 0) {
      offer = 1;
    } else if (strcmp(argv[i], "--format") == 0 && i + 1 < argc) {
      formatArg = argv[++i];
    } else {
      fprintf(stderr, "prompt_host: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (argc - i != 3) {
    fprintf(stderr, "usage: prompt_host.exe [--no-window] [--strings PATH] [--offer | --format ARG] "
                    "QUESTION FIRST SECOND\n");
    return 2;
  }
  HINSTANCE instance = GetModuleHandleA(NULL);
  if (window) {
    if (!Register_Main_Class(instance) || !Create_Main_Window(instance, SW_SHOWNORMAL)) {
      fprintf(stderr, "prompt_host: no main window\n");
      return 3;
    }
  }
  if (strings != NULL && Str_Open(0, strings) != 1) {
    fprintf(stderr, "prompt_host: cannot load %s\n", strings);
    return 4;
  }
  // The program's own prompts hold their composed texts in 256 bytes.
  char composed[256];
  const char* question = argv[i];
  if (offer) {
    char needKey[] = "MSG_Message_NeedAcrobat", installKey[] = "MSG_Message_InstallNow";
    char need[256], install[256];
    STR_GET(0, needKey, need);
    STR_GET(0, installKey, install);
    Compose_Viewer_Prompt(composed, dimof(composed), need, install);
    question = composed;
  } else if (formatArg != NULL) {
    char key[256];
    BUF_COPY(key, argv[i]);
    const char* const args[1] = {formatArg};
    Str_Format(0, key, composed, dimof(composed), args, 1);
    question = composed;
  }
  int result = Ask_User(question, argv[i + 1], argv[i + 2]);
  unsigned short language = Str_Set_Language(0, 1033);
  printf("result %d\nlanguage %u\n", result, (unsigned)language);
  fflush(stdout);
  Str_Close(0);
  return 0;
}
