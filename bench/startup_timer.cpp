// startup_timer.exe: times how long programs take, from the moment they are
// started to their chooser being visible, as another process sees it.
//
// usage: startup_timer.exe [--runs N] [--warmup N] [--poll] [--cwd DIR]
//                          [--timeout S] [--settle MS] PROGRAM...
// Each round starts every PROGRAM once, in turn; odd rounds go in reverse order
// so that no program always comes first. Each run: the time is read just before
// CreateProcess; the program is created suspended, watched, then let go; the
// first visible dialog (#32770) of its process ends the run; the program is
// terminated and waited for (nothing is left running), then the next run
// starts after a short pause (--settle, default 200 ms). Warm-up rounds
// (--warmup, default 2) are run first and not reported. A dialog without the
// chooser's list box (a prompt, say) fails the run: then the program did not
// get as far as the chooser.
//
// Seeing the dialog. By default through WinEvent hooks (out of context, for
// that process only): EVENT_OBJECT_SHOW time-stamps the dialog where the
// system reports it. Wine 8 reports no show events, only the dialog's
// creation, so from EVENT_OBJECT_CREATE of a #32770 on, that one window is
// looked at every millisecond (MsgWaitForMultipleObjects with 1 ms) until it
// is visible; before it exists the timer only waits, taking no processor time
// from the program it measures. With --poll, every top-level window is
// looked at every millisecond from the start instead (for comparison).
//
// Output, one line each, tab-separated:
//   resolution  qpc_ns=<tick>  mode=<hook|poll>  look_ms_median=..  look_ms_max=..
//                (the gaps between two looks at the window, over the warm-up)
//   run  <round>  <program>  <milliseconds>  <show|look>
//   fail <round>  <program>  <reason>
// Exit code 0 when every run saw its chooser, 1 otherwise, 2 on a usage error.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "resources/resource.h"

namespace {

LARGE_INTEGER Frequency;
DWORD WatchedProcess;
HWND Candidate;             // the process' dialog, once created (hook mode)
HWND Found;                 // the visible dialog that ended the run
LARGE_INTEGER SeenAt;
const char* SeenBy = "";
std::vector<double> LookGaps;  // milliseconds between two looks at the windows

double Ms_Between(LARGE_INTEGER from, LARGE_INTEGER to) {
  return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)Frequency.QuadPart;
}

bool Is_Watched_Dialog(HWND window) {
  if (window == NULL) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != WatchedProcess) return false;
  char cls[16];
  return GetClassNameA(window, cls, (int)sizeof cls) > 0 && strcmp(cls, "#32770") == 0;
}

void CALLBACK On_Event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                       DWORD) {
  if (Found != NULL || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  LARGE_INTEGER now;  // read before the checks' own cost
  QueryPerformanceCounter(&now);
  if (!Is_Watched_Dialog(window)) return;
  if (event == EVENT_OBJECT_SHOW && IsWindowVisible(window)) {
    Found = window;
    SeenAt = now;
    SeenBy = "show";
  } else if (Candidate == NULL) {
    Candidate = window;
  }
}

BOOL CALLBACK Look_At(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || !Is_Watched_Dialog(window)) return TRUE;
  Found = window;
  return FALSE;
}

void Drain_Messages(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void Note_Look(LARGE_INTEGER* last, LARGE_INTEGER now) {
  if (last->QuadPart != 0) LookGaps.push_back(Ms_Between(*last, now));
  *last = now;
}

// One run; returns 1 with the milliseconds in *ms, or 0 with the reason in why.
int Time_Once(const char* program, const char* cwd, bool poll, DWORD timeoutMs, double* ms,
              char* why, size_t whySize) {
  char commandLine[MAX_PATH + 3];
  snprintf(commandLine, sizeof commandLine, "\"%s\"", program);
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  Candidate = NULL;
  Found = NULL;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(program, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, cwd, &si,
                      &pi)) {
    snprintf(why, whySize, "CreateProcess failed, error %lu", (unsigned long)GetLastError());
    return 0;
  }
  WatchedProcess = pi.dwProcessId;
  HWINEVENTHOOK hooks[2] = {NULL, NULL};
  if (!poll) {
    hooks[0] = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, On_Event,
                               pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    hooks[1] = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, NULL, On_Event,
                               pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
  }
  if (!poll && (hooks[0] == NULL || hooks[1] == NULL)) {
    snprintf(why, whySize, "SetWinEventHook failed, error %lu", (unsigned long)GetLastError());
  } else {
    why[0] = '\0';
    ResumeThread(pi.hThread);
  }
  int ended = 0;
  LARGE_INTEGER now, lastLook;
  lastLook.QuadPart = 0;
  while (why[0] == '\0') {
    QueryPerformanceCounter(&now);
    double elapsed = Ms_Between(start, now);
    if (elapsed > (double)timeoutMs) break;
    DWORD wait;
    if (poll) {
      Note_Look(&lastLook, now);
      EnumWindows(Look_At, 0);
      if (Found != NULL) {
        SeenAt = now;
        SeenBy = "look";
        break;
      }
      wait = WaitForSingleObject(pi.hProcess, 0);
      if (wait != WAIT_OBJECT_0) Sleep(1);
    } else {
      if (Candidate != NULL) {
        Note_Look(&lastLook, now);
        if (IsWindowVisible(Candidate)) {
          Found = Candidate;
          SeenAt = now;
          SeenBy = "look";
          break;
        }
      }
      // Until the dialog exists only its events (or the program's end) wake us.
      DWORD step = Candidate != NULL ? 1 : timeoutMs - (DWORD)elapsed;
      wait = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, step, QS_ALLINPUT);
      Drain_Messages();  // out-of-context events arrive through the queue
      if (Found != NULL) break;
    }
    if (wait == WAIT_OBJECT_0) {
      ended = 1;
      break;
    }
  }
  for (HWINEVENTHOOK hook : hooks)
    if (hook != NULL) UnhookWinEvent(hook);
  // Looked at once the time is taken: whether the dialog is the chooser.
  bool chooser = Found != NULL && GetDlgItem(Found, IDC_MANUAL_LIST) != NULL;
  DWORD code = 0;
  if (!ended) {
    TerminateProcess(pi.hProcess, 1);
  } else {
    GetExitCodeProcess(pi.hProcess, &code);
  }
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  Drain_Messages();
  if (chooser) {
    *ms = Ms_Between(start, SeenAt);
    return 1;
  }
  if (why[0] != '\0') return 0;
  if (Found != NULL)
    snprintf(why, whySize, "a dialog without the chooser's list box showed");
  else if (ended)
    snprintf(why, whySize, "ended (exit code %lu) before a dialog showed", (unsigned long)code);
  else
    snprintf(why, whySize, "no dialog within %lu ms", (unsigned long)timeoutMs);
  return 0;
}

int Usage(void) {
  fprintf(stderr,
          "usage: startup_timer.exe [--runs N] [--warmup N] [--poll] [--cwd DIR] [--timeout S]"
          " [--settle MS] PROGRAM...\n");
  return 2;
}

void Print_Resolution(bool poll) {
  printf("resolution\tqpc_ns=%.1f\tmode=%s", 1e9 / (double)Frequency.QuadPart,
         poll ? "poll" : "hook");
  if (!LookGaps.empty()) {
    std::vector<double> gaps = LookGaps;
    std::sort(gaps.begin(), gaps.end());
    printf("\tlook_ms_median=%.3f\tlook_ms_max=%.3f\tlooks=%u", gaps[gaps.size() / 2],
           gaps.back(), (unsigned)gaps.size());
  }
  printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 31, warmup = 2, settle = 200;
  DWORD timeoutMs = 30000;
  bool poll = false;
  const char* cwd = NULL;
  std::vector<const char*> programs;
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    bool more = i + 1 < argc;
    if (strcmp(a, "--runs") == 0 && more) {
      runs = atoi(argv[++i]);
    } else if (strcmp(a, "--warmup") == 0 && more) {
      warmup = atoi(argv[++i]);
    } else if (strcmp(a, "--settle") == 0 && more) {
      settle = atoi(argv[++i]);
    } else if (strcmp(a, "--timeout") == 0 && more) {
      timeoutMs = (DWORD)atoi(argv[++i]) * 1000;
    } else if (strcmp(a, "--cwd") == 0 && more) {
      cwd = argv[++i];
    } else if (strcmp(a, "--poll") == 0) {
      poll = true;
    } else if (a[0] == '-') {
      return Usage();
    } else {
      programs.push_back(a);
    }
  }
  if (programs.empty() || runs < 1 || warmup < 0 || settle < 0 || timeoutMs == 0) return Usage();
  setvbuf(stdout, NULL, _IONBF, 0);  // each line reaches the runner as it is written
  QueryPerformanceFrequency(&Frequency);
  timeBeginPeriod(1);  // a 1 ms wait is a millisecond, not a scheduler tick

  int failed = 0;
  for (int round = -warmup; round < runs; round++) {
    if (round == 0) {
      Print_Resolution(poll);  // measured over the warm-up rounds
      LookGaps.clear();
    }
    size_t n = programs.size();
    for (size_t k = 0; k < n; k++) {
      const char* program = programs[(round & 1) ? n - 1 - k : k];
      double ms = 0;
      char why[128];
      int ok = Time_Once(program, cwd, poll, timeoutMs, &ms, why, sizeof why);
      if (round >= 0) {
        if (ok)
          printf("run\t%d\t%s\t%.3f\t%s\n", round, program, ms, SeenBy);
        else
          printf("fail\t%d\t%s\t%s\n", round, program, why);
      }
      if (!ok) failed = 1;
      Sleep((DWORD)settle);
    }
  }
  Print_Resolution(poll);  // and over the measured rounds
  timeEndPeriod(1);
  return failed;
}
