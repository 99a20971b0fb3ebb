// Portable pieces of the launch sequence (also built natively for tests).
#pragma once
#include <stddef.h>

// root holds the program's own file name; it becomes the program's folder,
// upper-cased, with development trees mapped to the release layout. 0 when it
// does not fit.
int Program_Root_From_Module(char* root, size_t size);

// The reader prompt: the "need" text, an empty line, the "install now" text.
// 1 when it fitted whole; otherwise out holds the cut text.
int Compose_Viewer_Prompt(char* out, size_t size, const char* needViewer, const char* installNow);
