// Directory search over five numbered slots, each holding an open search and
// the entry it last found. Windows answers through base/platform.h.
#include "manuals/find_file.h"

#include "base/buf.h"
#include "base/platform.h"

// A slot's search: none open; the last first-search found nothing; or open.
enum { SEARCH_NONE = 0, SEARCH_NOTHING = 1, SEARCH_OPEN = 2 };
static int SearchState[FIND_SLOT_COUNT];
static void* SearchHandle[FIND_SLOT_COUNT];
static Sys_Find_Entry SearchRecord[FIND_SLOT_COUNT];

int Find_Build_Path(char* out, size_t size, const char* folder, const char* pattern) {
  // A folder that ends in a backslash keeps it: the platform copes with the doubled one.
  if (pattern[0] == '\0') return Buf_Copy(out, size, folder);
  return Buf_Format(out, size, "%s\\%s", folder, pattern);
}

unsigned int Dos_Time_To_Seconds(int kind, unsigned int date, unsigned int time) {
  if (kind == 1)
    return 86400u * (date & 0x1Fu) + 3600u * ((time & 0xF800u) >> 11) +
           60u * ((time & 0x07E0u) >> 5) + 2u * (time & 0x1Fu);
  if (kind == 2) return date;
  return 0;
}

static void Close_Slot(int slot) {
  if (SearchState[slot] == SEARCH_OPEN) Sys_Find_Close(SearchHandle[slot]);
  SearchState[slot] = SEARCH_NONE;
  SearchHandle[slot] = 0;
}

static int Start_Search(int slot, const char* path, int pathFits) {
  Close_Slot(slot);
  if (!pathFits) {
    // A cut path could name another folder: treat it as a search that found nothing.
    SearchState[slot] = SEARCH_NOTHING;
    return -1;
  }
  // No "insert a disc" box for an empty drive; 0 afterwards, as the program
  // never runs with another mode.
  Sys_Set_Error_Mode(1);
  SearchHandle[slot] = Sys_Find_First(path, &SearchRecord[slot]);
  Sys_Set_Error_Mode(0);
  SearchState[slot] = SearchHandle[slot] != 0 ? SEARCH_OPEN : SEARCH_NOTHING;
  return SearchState[slot] == SEARCH_OPEN ? 0 : -1;
}

static int Continue_Search(int slot) {
  // Nothing to continue: answered here rather than handing the platform a bad handle.
  if (SearchState[slot] != SEARCH_OPEN) return -1;
  return Sys_Find_Next(SearchHandle[slot], &SearchRecord[slot]) ? 0 : -1;
}

static void Report_Match(int slot, char* nameOut, unsigned int* timeValue, int* isDirectory) {
  const Sys_Find_Entry* record = &SearchRecord[slot];
  if (timeValue && *timeValue != 0) {
    int kind = *timeValue > 2 ? 1 : (int)*timeValue;
    // A stamp outside the DOS range (before 1980, after 2107) gives 0 for
    // either kind, a value no real stamp produces.
    int ok = kind == 1 ? record->writeOk : record->createOk;
    unsigned date = !ok ? 0 : kind == 1 ? record->writeDate : record->createDate;
    unsigned time = !ok ? 0 : kind == 1 ? record->writeTime : record->createTime;
    *timeValue = Dos_Time_To_Seconds(kind, date, time);
  }
  if (isDirectory) *isDirectory = (record->attributes & 0x10u) ? 1 : 0;  // FILE_ATTRIBUTE_DIRECTORY
  Buf_Copy(nameOut, FIND_NAME_SIZE, record->name);
}

int Find_File(int slot, const char* folder, const char* pattern, char* nameOut,
              unsigned int* timeValue, int mode, int* isDirectory) {
  if (slot < 0 || slot >= FIND_SLOT_COUNT) {
    nameOut[0] = '\0';
    return -1;
  }
  int result;
  if (mode == FIND_FIRST || mode == FIND_FIRST_AND_CLOSE) {
    char path[FIND_PATH_SIZE];
    int fits = Find_Build_Path(path, dimof(path), folder, pattern);
    result = Start_Search(slot, path, fits);
  } else {
    result = Continue_Search(slot);
  }
  if (result == 0)
    Report_Match(slot, nameOut, timeValue, isDirectory);
  else
    nameOut[0] = '\0';
  if (mode == FIND_FIRST_AND_CLOSE) Close_Slot(slot);
  return result;
}
