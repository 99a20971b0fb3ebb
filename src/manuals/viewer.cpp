// Reader detection: the registry's ".pdf" class, the reader's version and its
// open command decide whether manuals can be shown, and where the reader lies.
#include "manuals/viewer.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "base/buf.h"
#include "base/platform.h"
#include "base/program.h"
#include "log/log.h"
#include "manuals/manuals_platform.h"

#ifdef _WIN32
// msvcrt's own strtod by its link name: MinGW's headers send strtod to their
// C99 one (a tenth of the program), and the text it gets here is a checked
// plain decimal, which both read alike.
extern "C" double __cdecl Crt_Strtod(const char* text, char** end) __MINGW_ASM_CALL(strtod);
#else
#define Crt_Strtod strtod
#endif

char ViewerPath[256];

enum { REG_TEXT_SIZE = 81 };  // longer registry texts make the read fail

int Viewer_Terminate_Value(char* text, long count, long size) {
  if (size <= 0) return 0;
  if (count >= 0 && count <= size) {
    if (count > 0 && text[count - 1] == '\0') return 1;
    if (count < size) {
      text[count] = '\0';
      return 1;
    }
  }
  // Too long, failed, or filling the buffer with no room left for the end.
  text[0] = '\0';
  return 0;
}

int Viewer_Class_Is_Reader(const char* text) {
  return Equal_Ignore_Ascii_Case(text, "AcroExch.Document");
}

static size_t Skip_Digits(const char* text, size_t at, size_t length) {
  while (at < length && isdigit((unsigned char)text[at])) at++;
  return at;
}

double Viewer_Version_Number(const char* text, size_t length) {
  size_t at = 0;
  while (at < length && isspace((unsigned char)text[at])) at++;
  size_t start = at;
  if (at < length && (text[at] == '+' || text[at] == '-')) at++;
  size_t intEnd = Skip_Digits(text, at, length);
  size_t digits = intEnd - at;
  at = intEnd;
  if (at < length && text[at] == '.') {
    size_t fracEnd = Skip_Digits(text, at + 1, length);
    digits += fracEnd - (at + 1);
    at = fracEnd;
  }
  if (digits == 0) return 0.0;
  if (at < length && (text[at] == 'e' || text[at] == 'E')) {
    size_t expAt = at + 1;
    if (expAt < length && (text[expAt] == '+' || text[expAt] == '-')) expAt++;
    size_t expEnd = Skip_Digits(text, expAt, length);
    if (expEnd > expAt) at = expEnd;  // "3e" alone is the number 3
  }
  // strtod only sees the checked span, so "inf", "nan" and hex never count.
  char number[REG_TEXT_SIZE];
  if (!Buf_Copy_N(number, dimof(number), text + start, at - start)) return 0.0;
  return Crt_Strtod(number, NULL);
}

int Viewer_Path_From_Command(char* command, char* out, size_t outSize) {
  Upper_Ascii(command);
  char* exe = strstr(command, ".EXE");
  if (!exe) return 0;
  exe[4] = '\0';  // drops the closing quote and the document argument
  const char* path = command[0] == '"' ? command + 1 : command;
  return Buf_Copy(out, outSize, path);
}

int Viewer_Installer_Command(int languageId, int which, const char* root, char* out,
                             size_t outSize) {
  static const char* const kFormats[2][2] = {
      {"%c%s\\doc\\acrowin\\ar40eng.exe%c", "%c%s\\doc\\acrowin\\acrow32.exe%c"},
      {"%c%s\\doc\\acrowin\\ar40jpn.exe%c", "%c%s\\doc\\acrowin\\acrow32j.exe%c"},
  };
  const char* format = kFormats[languageId == 1041 ? 1 : 0][which ? 1 : 0];
  return Buf_Format(out, outSize, format, '"', root, '"');
}

// Reads the version and the open command of the reader's class key; 1 when
// ViewerPath now holds the command's program.
static int Read_Reader_Class(Viewer_Key classKey) {
  char text[REG_TEXT_SIZE];
  if (!Viewer_Reg_Read(classKey, "AcrobatVersion", text, REG_TEXT_SIZE)) return 0;
  if (Viewer_Version_Number(text, strlen(text)) < 3.0) return 0;
  char line[256];
  BUF_FORMAT(line, "AcrobatVersion set to %s", text);
  Log_Line(1, line);
  if (!Viewer_Reg_Read(classKey, "shell\\open\\command", text, REG_TEXT_SIZE)) return 0;
  return Viewer_Path_From_Command(text, ViewerPath, dimof(ViewerPath));
}

int Find_Viewer(void) {
  if (LanguageProbed == 0) return 0;
  Viewer_Key pdfKey = 0;
  if (!Viewer_Reg_Open(".pdf", &pdfKey)) return 0;
  char text[REG_TEXT_SIZE];
  if (!Viewer_Reg_Read(pdfKey, "", text, REG_TEXT_SIZE) || !Viewer_Class_Is_Reader(text)) {
    Viewer_Reg_Close(pdfKey);
    return 0;
  }
  Viewer_Key classKey = 0;
  if (!Viewer_Reg_Open("AcroExch.Document", &classKey)) {
    Viewer_Reg_Close(pdfKey);
    return 0;
  }
  int named = Read_Reader_Class(classKey);
  Viewer_Reg_Close(classKey);
  Viewer_Reg_Close(pdfKey);
  if (!named) return 0;
  // ViewerPath keeps a missing program's path; callers use it only after a 1.
  return Sys_Path_Exists(ViewerPath) ? 1 : 0;
}
