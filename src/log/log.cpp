// The activity log: run header, level test, line forms, size limit and
// trimming. Everything Windows answers comes through log_platform.h.
#include "log/log.h"

#include <limits.h>
#include <string.h>

#include "base/buf.h"
#include "base/platform.h"
#include "log/log_internal.h"
#include "log/log_platform.h"

char WindowsDirectory[256];

static char LogPath[256];  // empty until the run's first Log_Line
static int LogLevel = 1;
static int LineCounter = -7;
static char PrefixBuffer[256];
static char LineBuffer[512];
static char DateText[11];
static char TimeText[9];

static const long LOG_SIZE_LIMIT = 250000;
static const int LOG_LEVEL_LIMIT = 124;  // the largest level whose prefix fits PrefixBuffer
static const char HEADER_RULE[] = "=======================================================";

void Data_Folder(char* out, size_t size) {
  // Room for 255 characters; a directory that does not fit counts as unreadable.
  if (WindowsDirectory[0] == '\0') {
    unsigned n = Sys_Windows_Directory(WindowsDirectory, 255);
    if (n == 0 || n >= 255) WindowsDirectory[0] = '\0';
  }
  // Without a Windows directory the folder is the empty text: the files are
  // then looked for by their bare names.
  if (WindowsDirectory[0] == '\0')
    Buf_Copy(out, size, "");
  else
    Buf_Format(out, size, "%c:\\durivade\\", WindowsDirectory[0]);
}

int Log_Parse_Level(const char* text, size_t len) {
  size_t i = 0;
  while (i < len && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) i++;
  int negative = 0;
  if (i < len && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < len && text[i] >= '0' && text[i] <= '9'; i++) {
    value = value * 10 + (text[i] - '0');
    if (value > (long long)INT_MAX + 1) value = (long long)INT_MAX + 1;  // saturate, never overflow
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return (int)value;
}

void Log_Read_Settings(void) {
  char folder[256];
  Data_Folder(folder, dimof(folder));
  BUF_FORMAT(LogPath, "%stamlo.log", folder);
  char settings[256];
  BUF_FORMAT(settings, "%srecords.ini", folder);
  size_t n = Sys_Profile_String("Records", "log_level", folder, 255, settings);
  LogLevel = n == 0 ? 1 : Log_Parse_Level(folder, n < 255 ? n : 255);
  LineCounter = -7;
}

void Log_Build_Date(const char* mmddyy, size_t len, char* out, size_t size) {
  char date[] = "yyyy-mm-dd";
  // Where the run-time text is short, the template letters stay.
  struct { size_t from, to; } places[] = {{6, 2}, {7, 3}, {0, 5}, {1, 6}, {3, 8}, {4, 9}};
  for (const auto& p : places)
    if (p.from < len && mmddyy[p.from] != '\0') date[p.to] = mmddyy[p.from];
  if (len > 6 && mmddyy[6] != '\0') {
    // Two-digit years 90-99 are 1990-1999, 00-89 are 2000-2089.
    date[0] = mmddyy[6] == '9' ? '1' : '2';
    date[1] = mmddyy[6] == '9' ? '9' : '0';
  }
  Buf_Copy(out, size, date);
}

void Log_Build_Time(const char* hhmmss, size_t len, char* out, size_t size) {
  Buf_Copy_N(out, size, hhmmss, len < 5 ? len : 5);
}

const char* Log_Date(void) {
  char text[16] = "";
  Log_Platform_Date_Text(text, dimof(text));
  Log_Build_Date(text, strnlen(text, dimof(text)), DateText, dimof(DateText));
  return DateText;
}

const char* Log_Time(void) {
  char text[16] = "";
  Log_Platform_Time_Text(text, dimof(text));
  Log_Build_Time(text, strnlen(text, dimof(text)), TimeText, dimof(TimeText));
  return TimeText;
}

int Delete_Quietly(const char* path) {
  Sys_Set_Error_Mode(1);  // SEM_FAILCRITICALERRORS: no box for a missing disc
  int result = Log_Platform_Delete(path);
  Sys_Set_Error_Mode(0);
  return result;
}

int Copy_File(const char* existing, const char* new_path, int fail_if_exists) {
  return Log_Platform_Copy_File(existing, new_path, fail_if_exists);
}

long Log_Trim_Start(Byte_Source* src) {
  long size = Bytes_Length(src);
  if (size < 0 || Bytes_Seek(src, size / 2) != 0) return -1;
  // The piece is what a line read with limit 255 would take: the tail of the
  // line in which the middle fell, so only whole lines are kept.
  long taken = 0;
  int c = 0;
  while (taken < 254 && (c = Bytes_Get(src)) >= 0) {
    taken++;
    if (c == '\n') break;
  }
  return size / 2 + taken;
}

int Log_Copy_Rest(Byte_Source* src, FILE* dst) {
  // Blocks, not lines: the 254-character pieces of a line-wise copy join up
  // to the same bytes.
  char block[4096];
  size_t n;
  while ((n = Bytes_Read(src, block, dimof(block))) > 0)
    if (fwrite(block, 1, n, dst) != n) return 0;
  // A short read is the end only if the stream says so; memory cannot fail.
  return src->file == NULL || !ferror(src->file);
}

// The kept half is built beside the log and replaces it in one step, so a
// failure at any point leaves the log whole (the next line tries again).
void Log_Trim(void) {
  char folder[256];
  Data_Folder(folder, dimof(folder));
  char temp[256];
  BUF_FORMAT(temp, "%stamlotmp.log", folder);
  Delete_Quietly(temp);  // a left-over of an earlier run
  FILE* src = Log_Platform_Open(LogPath, "rb");
  if (src == NULL) return;
  FILE* dst = Log_Platform_Open(temp, "wb");
  if (dst == NULL) {
    fclose(src);
    return;
  }
  Byte_Source bytes;
  Bytes_From_File(&bytes, src);
  int ok = Log_Trim_Start(&bytes) >= 0 && Log_Copy_Rest(&bytes, dst);
  fclose(src);
  if (fclose(dst) != 0) ok = 0;  // the last block is written out only here
  if (!ok || !Log_Platform_Replace(temp, LogPath)) Delete_Quietly(temp);
}

static void Build_Prefix(int level) {
  size_t hyphens = 2 * (size_t)(level + 1);
  if (hyphens > dimof(PrefixBuffer) - 1) hyphens = dimof(PrefixBuffer) - 1;
  memset(PrefixBuffer, '-', hyphens);
  PrefixBuffer[hyphens] = '\0';
  if (LogLevel <= 1)
    BUF_APPEND(PrefixBuffer, ">");
  else
    Buf_Format(PrefixBuffer + hyphens, dimof(PrefixBuffer) - hyphens, "%d>", level);
}

static void Build_Line(const char* text) {
  if (LineCounter >= 1)
    BUF_FORMAT(LineBuffer, "%-8ld %s", (long)LineCounter, PrefixBuffer);
  else
    LineBuffer[0] = '\0';
  // A text too long for the line is cut so that the line still ends in CR LF.
  size_t used = strlen(LineBuffer);
  Buf_Copy(LineBuffer + used, dimof(LineBuffer) - used - 2, text);
  BUF_APPEND(LineBuffer, "\r\n");
}

int Log_Line(int level, const char* text) {
  if (LogPath[0] == '\0') {
    Log_Read_Settings();
    char stamp[256];
    const char* date = Log_Date();  // before Log_Time: each fills its own text
    BUF_FORMAT(stamp, "%s at %s", date, Log_Time());
    Log_Line(0, "");
    Log_Line(0, "");
    Log_Line(0, "");
    Log_Line(0, HEADER_RULE);
    Log_Line(0, stamp);
    Log_Line(0, HEADER_RULE);
  }
  // No caller passes a level outside 0-124; such a line is dropped rather
  // than given a prefix that does not fit.
  if (level < 0 || level > LOG_LEVEL_LIMIT) return 0;
  if (level > LogLevel) return 0;
  if (text == NULL) text = "";

  FILE* file = Log_Platform_Open(LogPath, "ab");
  if (file == NULL) return 0;
  long size = -1;
  if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  fseek(file, 0, SEEK_SET);
  if (size > LOG_SIZE_LIMIT) {
    fclose(file);
    Log_Trim();
    file = Log_Platform_Open(LogPath, "ab");
    if (file == NULL) return 0;
  }

  Build_Prefix(level);
  if (LineCounter < INT_MAX) LineCounter++;
  Build_Line(text);
  fwrite(LineBuffer, 1, strlen(LineBuffer), file);
  fclose(file);
  return 1;
}

void Log_Reset_For_Tests(void) {
  WindowsDirectory[0] = '\0';
  LogPath[0] = '\0';
  LogLevel = 1;
  LineCounter = -7;
}
