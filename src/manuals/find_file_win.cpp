// Directory search over five numbered slots, each holding an open search and
// the record of the entry it last found.
#include <windows.h>

#include "base/buf.h"
#include "manuals/find_file.h"

// Handle 0: no search open; INVALID_HANDLE_VALUE: the last first-search found nothing.
static HANDLE SearchHandle[FIND_SLOT_COUNT];
static WIN32_FIND_DATAA SearchRecord[FIND_SLOT_COUNT];

static void Close_Slot(int slot) {
  if (SearchHandle[slot] != 0 && SearchHandle[slot] != INVALID_HANDLE_VALUE)
    FindClose(SearchHandle[slot]);
  SearchHandle[slot] = 0;
}

static int Start_Search(int slot, const char* path, int pathFits) {
  Close_Slot(slot);
  if (!pathFits) {
    // A cut path could name another folder: treat it as a search that found nothing.
    SearchHandle[slot] = INVALID_HANDLE_VALUE;
    return -1;
  }
  // No "insert a disc" box for an empty drive; 0 afterwards, as the program
  // never runs with another mode.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  SearchHandle[slot] = FindFirstFileA(path, &SearchRecord[slot]);
  SetErrorMode(0);
  return SearchHandle[slot] == INVALID_HANDLE_VALUE ? -1 : 0;
}

static int Continue_Search(int slot) {
  // Nothing to continue: answered here rather than handing the platform a bad handle.
  if (SearchHandle[slot] == INVALID_HANDLE_VALUE || SearchHandle[slot] == 0) return -1;
  return FindNextFileA(SearchHandle[slot], &SearchRecord[slot]) ? 0 : -1;
}

static void Report_Match(int slot, char* nameOut, unsigned int* timeValue, int* isDirectory) {
  const WIN32_FIND_DATAA* record = &SearchRecord[slot];
  if (timeValue && *timeValue != 0) {
    int kind = *timeValue > 2 ? 1 : (int)*timeValue;
    WORD date = 0, time = 0;
    // A stamp outside the DOS range (before 1980, after 2107) gives 0 for
    // either kind, a value no real stamp produces.
    if (!FileTimeToDosDateTime(kind == 1 ? &record->ftLastWriteTime : &record->ftCreationTime,
                               &date, &time)) {
      date = 0;
      time = 0;
    }
    *timeValue = Dos_Time_To_Seconds(kind, date, time);
  }
  if (isDirectory) *isDirectory = (record->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  Buf_Copy(nameOut, FIND_NAME_SIZE, record->cFileName);
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
