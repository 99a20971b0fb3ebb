// disccheck links the program's portable reading code, not its Windows edge:
// these inert stand-ins satisfy the code it does not call (reader detection
// in viewer.cpp). Nothing is logged, no registry is read and no file probed.
#include "base/platform.h"
#include "log/log.h"
#include "manuals/manuals_platform.h"

int Log_Line(int, const char*) { return 0; }

int Viewer_Reg_Open(const char*, Viewer_Key* key) {
  *key = 0;
  return 0;
}
int Viewer_Reg_Read(Viewer_Key, const char*, char* out, long size) {
  if (size > 0) out[0] = '\0';
  return 0;
}
void Viewer_Reg_Close(Viewer_Key) {}
int Sys_Path_Exists(const char*) { return 0; }
