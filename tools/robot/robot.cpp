// robot.exe: drives the dialogs of a program under test from a second process
// in the same Wine prefix and display, and prints what it finds as JSON.
//
// usage: robot.exe COMMAND [ARGS] [-- COMMAND [ARGS]]...
// Each command prints one JSON object on a line of its own ("ok" true or
// false, "error" on failure); the exit code is 0 when every command succeeded,
// 1 when one failed (the commands after it are not run), 2 on a usage error.
// Window handles are decimal integers. Texts are read through the wide API and
// written as ASCII JSON with \uXXXX escapes, so they arrive as the user sees them.
//
// Commands:
//   windows                           every top-level window: hwnd, title, class, pid,
//                                     exe, owner, visible; and "dpi", the screen's DPI
//                                     as this (new) process sees it
//   wait [FILTER] [--timeout S] [--gone] [--dump]
//        wait (default 15 s) for a visible top-level window matching FILTER, and
//        report it as "windows" does; with --gone, wait until none matches; with
//        --dump, a second line describes the window found as "dump" does.
//        FILTER: --class C (default "#32770"), --title T, --owner-title T,
//        --exe NAME (file name of the owning process, case-insensitive),
//        --not HWND (pass over that window; may be given several times)
//   dump HWND                         the window (rect, client, style, defid, focus) and
//                                     every child: id, class, kind, text, style, visible,
//                                     enabled, default, rect (screen), crect (relative to
//                                     the dialog's client area); list boxes add items, sel.
//                                     With robot_hook.dll beside the robot, each control
//                                     also gets "fits" (its text is drawn uncut), "need"
//                                     and "room" [cx,cy] in pixels, and "font" {face,
//                                     height}: measured in the target's own thread with the
//                                     control's WM_GETFONT font (buttons: one line inside
//                                     the 3-D edge; statics: DrawText DT_WORDBREAK in the
//                                     client width; list boxes: every item in one line,
//                                     "need" the widest, "items_cut" how many do not fit).
//                                     Each control also gets "glyphs" (every character of
//                                     its text comes out as a glyph in what it draws with,
//                                     font links included), "missing_glyphs" (how many do
//                                     not: the missing-glyph box, or nothing) and "missing"
//                                     (the first few of them), and "font" its "drawn" face.
//                                     "measured" at the top says whether that worked. A
//                                     32-bit target is dumped by robot32.exe (the i686
//                                     robot, beside this one); without it "unmeasured"
//                                     says why.
//   click HWND ID                     post WM_COMMAND (ID, BN_CLICKED, control) as a click does
//   dblclick HWND ID INDEX            select list entry INDEX, post WM_COMMAND (ID, LBN_DBLCLK)
//   select HWND ID INDEX              select list entry INDEX (LB_SETCURSEL), nothing more
//        click, dblclick and select refuse a control that is hidden or disabled
//        (ok false, "error" says which), as a user could not reach it
//   cancel HWND                       post WM_COMMAND IDCANCEL as the dialog manager does for Esc
//   esc HWND                          post a real Esc key (down and up) to the focused control
//   close HWND                        post WM_SYSCOMMAND SC_CLOSE, then WM_CLOSE
//   ctrl down | ctrl up               SendInput of VK_CONTROL
//   ctrl state                        "down": whether a program asking now
//                                     (GetAsyncKeyState) sees Ctrl held
//   ctrl hold --until PATH [--timeout S]
//        keep Ctrl down until file PATH (a Windows path, e.g. Z:\tmp\x) exists or the
//        timeout (default 30 s) passes; then release it. Prints {"held":true} once
//        the key is down, and at the end "found", which tells why it let go
//   sleep MS                          pause (between scripted commands)
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "robot_measure.h"

namespace {

// ---- JSON output -----------------------------------------------------------

std::string Json_Text(const wchar_t* text) {
  std::string out = "\"";
  for (const wchar_t* p = text; *p; ++p) {
    unsigned c = (unsigned)*p;
    char esc[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c < 0x20 || c > 0x7e) {
      snprintf(esc, sizeof esc, "\\u%04x", c & 0xffff);
      out += esc;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

std::string Json_Rect(const RECT& r) {
  char b[96];
  snprintf(b, sizeof b, "[%ld,%ld,%ld,%ld]", (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
  return b;
}

std::string Num(long long v) {
  char b[32];
  snprintf(b, sizeof b, "%lld", v);
  return b;
}

std::string Handle(HWND w) { return Num((long long)(INT_PTR)w); }

void Emit(const std::string& body) {
  printf("{\"ok\":true%s%s}\n", body.empty() ? "" : ",", body.c_str());
  fflush(stdout);
}

int Fail(const char* cmd, const char* why) {
  printf("{\"ok\":false,\"command\":\"%s\",\"error\":\"%s\"}\n", cmd, why);
  fflush(stdout);
  return 1;
}

// ---- Window facts ----------------------------------------------------------

// Texts of another process's windows: WM_GETTEXT with a timeout, so a hung
// target cannot hang the robot.
std::wstring Window_Text(HWND w) {
  wchar_t buf[4096];
  buf[0] = 0;
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, (WPARAM)(sizeof buf / sizeof buf[0]), (LPARAM)buf,
                           SMTO_ABORTIFHUNG, 3000, &got))
    GetWindowTextW(w, buf, (int)(sizeof buf / sizeof buf[0]));
  buf[sizeof buf / sizeof buf[0] - 1] = 0;
  return buf;
}

std::wstring Class_Of(HWND w) {
  wchar_t buf[256];
  if (!GetClassNameW(w, buf, 256)) buf[0] = 0;
  return buf;
}

std::wstring Exe_Of(DWORD pid) {
  wchar_t buf[MAX_PATH];
  buf[0] = 0;
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (p) {
    DWORD n = MAX_PATH;
    if (!QueryFullProcessImageNameW(p, 0, buf, &n)) buf[0] = 0;
    CloseHandle(p);
  }
  const wchar_t* base = buf;
  for (const wchar_t* q = buf; *q; ++q)
    if (*q == L'\\' || *q == L'/') base = q + 1;
  return base;
}

std::string Describe_Top(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  HWND owner = GetWindow(w, GW_OWNER);
  RECT r;
  GetWindowRect(w, &r);
  std::string s = "\"hwnd\":" + Handle(w);
  s += ",\"title\":" + Json_Text(Window_Text(w).c_str());
  s += ",\"class\":" + Json_Text(Class_Of(w).c_str());
  s += ",\"pid\":" + Num(pid);
  s += ",\"exe\":" + Json_Text(Exe_Of(pid).c_str());
  s += ",\"owner\":" + Handle(owner);
  s += ",\"owner_title\":" + Json_Text(owner ? Window_Text(owner).c_str() : L"");
  s += std::string(",\"visible\":") + (IsWindowVisible(w) ? "true" : "false");
  s += ",\"rect\":" + Json_Rect(r);
  return s;
}

struct Filter {
  std::wstring cls = L"#32770";
  std::wstring title, ownerTitle, exe;
  bool hasTitle = false, hasOwnerTitle = false, hasExe = false;
  std::vector<HWND> passOver;  // windows already seen (a dialog that is closing)
};

bool Matches(HWND w, const Filter& f) {
  if (!IsWindowVisible(w)) return false;
  for (HWND seen : f.passOver)
    if (w == seen) return false;
  if (!f.cls.empty() && Class_Of(w) != f.cls) return false;
  if (f.hasTitle && Window_Text(w) != f.title) return false;
  if (f.hasOwnerTitle) {
    HWND owner = GetWindow(w, GW_OWNER);
    if (!owner || Window_Text(owner) != f.ownerTitle) return false;
  }
  if (f.hasExe) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (_wcsicmp(Exe_Of(pid).c_str(), f.exe.c_str()) != 0) return false;
  }
  return true;
}

// A callback of Windows' own calling convention (a lambda would not be one on i686).
BOOL CALLBACK Collect_Window(HWND w, LPARAM list) {
  ((std::vector<HWND>*)list)->push_back(w);
  return TRUE;
}

std::vector<HWND> Top_Windows() {
  std::vector<HWND> all;
  EnumWindows(Collect_Window, (LPARAM)&all);
  return all;
}

HWND Parse_Handle(const wchar_t* s) { return (HWND)(INT_PTR)wcstoll(s, NULL, 0); }

// ---- Commands --------------------------------------------------------------

int Screen_Dpi() {
  HDC dc = GetDC(NULL);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(NULL, dc);
  return dpi;
}

int Cmd_Windows() {
  std::string list;
  for (HWND w : Top_Windows()) {
    if (!list.empty()) list += ",";
    list += "{" + Describe_Top(w) + "}";
  }
  Emit("\"dpi\":" + Num(Screen_Dpi()) + ",\"windows\":[" + list + "]");
  return 0;
}

int Cmd_Dump(HWND w);

int Cmd_Wait(const std::vector<std::wstring>& a) {
  Filter f;
  double timeout = 15;
  bool gone = false, dump = false;
  for (size_t i = 0; i < a.size(); ++i) {
    bool more = i + 1 < a.size();
    if (a[i] == L"--gone") gone = true;
    else if (a[i] == L"--dump") dump = true;
    else if (a[i] == L"--not" && more) f.passOver.push_back(Parse_Handle(a[++i].c_str()));
    else if (a[i] == L"--class" && more) f.cls = a[++i];
    else if (a[i] == L"--title" && more) f.title = a[++i], f.hasTitle = true;
    else if (a[i] == L"--owner-title" && more) f.ownerTitle = a[++i], f.hasOwnerTitle = true;
    else if (a[i] == L"--exe" && more) f.exe = a[++i], f.hasExe = true;
    else if (a[i] == L"--timeout" && more) timeout = _wtof(a[++i].c_str());
    else return Fail("wait", "bad argument");
  }
  DWORD start = GetTickCount();
  for (;;) {
    HWND found = NULL;
    for (HWND w : Top_Windows())
      if (Matches(w, f)) { found = w; break; }
    if (!gone && found) {
      Emit(Describe_Top(found));
      return dump ? Cmd_Dump(found) : 0;
    }
    if (gone && !found) {
      Emit("\"gone\":true");
      return 0;
    }
    if (GetTickCount() - start > (DWORD)(timeout * 1000)) return Fail("wait", "timeout");
    Sleep(50);
  }
}

// ---- Text measurement in the target (see robot_hook.cpp) -------------------

struct Measurer {
  HHOOK hook = NULL;
  HANDLE mapping = NULL;
  Robot_Measure* shared = nullptr;
  UINT message = 0;
};

// A file beside this robot's own program ("" when its path is unknown).
std::wstring Beside_This(const wchar_t* name) {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"";
  std::wstring path(buf);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1) + name;
}

bool Measure_Start(Measurer* m, HWND dialog) {
  std::wstring dll = Beside_This(DV_ROBOT_HOOK_DLL);
  if (dll.empty()) return false;
  HMODULE module = LoadLibraryW(dll.c_str());
  if (module == NULL) return false;
  HOOKPROC proc = (HOOKPROC)(void*)GetProcAddress(module, "Robot_Hook_Proc");
  if (proc == nullptr) return false;
  wchar_t name[64];
  swprintf(name, 64, L"%ls%lu", DV_ROBOT_MEASURE_MAPPING, (unsigned long)GetCurrentProcessId());
  m->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(Robot_Measure), name);
  if (m->mapping == NULL) return false;
  m->shared = (Robot_Measure*)MapViewOfFile(m->mapping, FILE_MAP_WRITE, 0, 0, sizeof(Robot_Measure));
  if (m->shared == nullptr) return false;
  m->message = RegisterWindowMessageW(DV_ROBOT_MEASURE_MESSAGE);
  m->hook = SetWindowsHookExW(WH_CALLWNDPROC, proc, module, GetWindowThreadProcessId(dialog, NULL));
  return m->hook != NULL;
}

void Measure_Stop(Measurer* m) {
  if (m->hook) UnhookWindowsHookEx(m->hook);
  if (m->shared) UnmapViewOfFile(m->shared);
  if (m->mapping) CloseHandle(m->mapping);
}

// The control's measurement as JSON fields (leading comma), or "" when the hook did not answer.
std::string Measure_Control(Measurer* m, HWND c) {
  if (m->hook == NULL) return "";
  memset(m->shared, 0, sizeof *m->shared);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(c, m->message, (WPARAM)GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG, 3000, &r);
  Robot_Measure got = *m->shared;
  if (!got.done) return "";
  got.font_face[LF_FACESIZE - 1] = 0;
  got.drawn_face[LF_FACESIZE - 1] = 0;
  got.missing[DV_ROBOT_MISSING_SAMPLE - 1] = 0;
  std::string s = std::string(",\"fits\":") + (got.fits ? "true" : "false");
  s += ",\"need\":[" + Num(got.need_cx) + "," + Num(got.need_cy) + "]";
  s += ",\"room\":[" + Num(got.room_cx) + "," + Num(got.room_cy) + "]";
  s += ",\"font\":{\"face\":" + Json_Text(got.font_face) + ",\"height\":" + Num(got.font_height) +
       ",\"drawn\":" + Json_Text(got.drawn_face) + "}";
  if (_wcsicmp(Class_Of(c).c_str(), L"ListBox") == 0) s += ",\"items_cut\":" + Num(got.items_cut);
  // null: the check could not run, which is neither a pass nor a finding of boxes.
  s += std::string(",\"glyphs\":") + (got.missing_glyphs < 0 ? "null" : got.missing_glyphs == 0 ? "true" : "false");
  s += ",\"missing_glyphs\":" + Num(got.missing_glyphs);
  if (got.missing_glyphs > 0) s += ",\"missing\":" + Json_Text(got.missing);
  return s;
}

std::string Describe_Child(HWND dialog, HWND c, Measurer* measurer) {
  std::wstring cls = Class_Of(c);
  LONG style = GetWindowLongW(c, GWL_STYLE);
  std::string kind = "other";
  bool isDefault = false;
  if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    LONG type = style & 0x0F;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) kind = "button";
    else if (type == BS_GROUPBOX) kind = "group";
    else kind = "check";
    isDefault = type == BS_DEFPUSHBUTTON;
  } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
    kind = "static";
  } else if (_wcsicmp(cls.c_str(), L"ListBox") == 0) {
    kind = "listbox";
  } else if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
    kind = "edit";
  }
  RECT r;
  GetWindowRect(c, &r);
  RECT cr = r;
  MapWindowPoints(NULL, dialog, (POINT*)&cr, 2);
  std::string s = "{\"hwnd\":" + Handle(c);
  s += ",\"id\":" + Num(GetDlgCtrlID(c));
  s += ",\"class\":" + Json_Text(cls.c_str());
  s += ",\"kind\":\"" + kind + "\"";
  s += ",\"text\":" + Json_Text(Window_Text(c).c_str());
  s += ",\"style\":" + Num((unsigned long)style);
  s += std::string(",\"visible\":") + (IsWindowVisible(c) ? "true" : "false");
  s += std::string(",\"enabled\":") + (IsWindowEnabled(c) ? "true" : "false");
  s += std::string(",\"default\":") + (isDefault ? "true" : "false");
  s += ",\"rect\":" + Json_Rect(r);
  s += ",\"crect\":" + Json_Rect(cr);
  if (kind == "listbox") {
    DWORD_PTR count = 0, sel = 0;
    SendMessageTimeoutW(c, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count);
    SendMessageTimeoutW(c, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &sel);
    std::string items;
    for (int i = 0; i < (int)count; ++i) {
      DWORD_PTR len = 0;
      SendMessageTimeoutW(c, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 3000, &len);
      std::vector<wchar_t> buf(len + 2, 0);
      DWORD_PTR got = 0;
      SendMessageTimeoutW(c, LB_GETTEXT, i, (LPARAM)buf.data(), SMTO_ABORTIFHUNG, 3000, &got);
      buf[len] = 0;
      if (i) items += ",";
      items += Json_Text(buf.data());
    }
    s += ",\"items\":[" + items + "],\"sel\":" + Num((int)(LRESULT)sel);
  }
  return s + Measure_Control(measurer, c) + "}";
}

#ifdef _WIN64
// ---- 32-bit targets --------------------------------------------------------
// A hook reaches a 32-bit thread only from a 32-bit process, so a 32-bit
// target is dumped by the i686 robot: robot32.exe (robot_hook32.dll beside
// it), beside this robot.

bool Is_32_Bit_Target(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (p == NULL) return false;
  BOOL wow64 = FALSE;
  BOOL ok = IsWow64Process(p, &wow64);
  CloseHandle(p);
  return ok && wow64;
}

// Runs "robot32.exe dump HWND" and prints its reply as this robot's own;
// returns the dump's result, or -1 when there is no 32-bit robot to run.
int Dump_By_Robot32(HWND w) {
  std::wstring exe = Beside_This(L"robot32.exe");
  if (exe.empty() || GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return -1;
  // Its output goes to a file, read once it has ended: a pipe could be kept
  // open by anything Wine starts on its behalf.
  wchar_t dir[MAX_PATH], file[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, dir) || !GetTempFileNameW(dir, L"dvr", 0, file)) return -1;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE out = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
  if (out == INVALID_HANDLE_VALUE) return -1;
  std::wstring cmd = L"\"" + exe + L"\" dump " + std::to_wstring((long long)(INT_PTR)w);
  std::vector<wchar_t> line(cmd.begin(), cmd.end());
  line.push_back(0);
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(exe.c_str(), line.data(), NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi)) {
    CloseHandle(out);
    return -1;
  }
  bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  DWORD rc = 1;
  GetExitCodeProcess(pi.hProcess, &rc);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::string text;
  SetFilePointer(out, 0, NULL, FILE_BEGIN);
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(out, chunk, sizeof chunk, &got, NULL) && got > 0) text.append(chunk, got);
  CloseHandle(out);
  if (!ended) return Fail("dump", "the 32-bit robot did not answer in time");
  // Its reply is the line that starts with "{" (Wine may add lines of its own).
  size_t at = text.compare(0, 1, "{") == 0 ? 0 : text.find("\n{");
  if (at == std::string::npos) return Fail("dump", "the 32-bit robot gave no reply");
  if (text[at] == '\n') at++;
  size_t end = text.find('\n', at);
  std::string reply = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  while (!reply.empty() && (reply.back() == '\r' || reply.back() == ' ')) reply.pop_back();
  printf("%s\n", reply.c_str());
  fflush(stdout);
  return rc == 0 ? 0 : 1;
}
#endif

int Cmd_Dump(HWND w) {
  if (!IsWindow(w)) return Fail("dump", "no such window");
  const char* unmeasured = nullptr;
#ifdef _WIN64
  if (Is_32_Bit_Target(w)) {
    int rc = Dump_By_Robot32(w);
    if (rc >= 0) return rc;
    unmeasured = "a 32-bit target, and no robot32.exe to measure it";
  }
#endif
  RECT client;
  GetClientRect(w, &client);
  MapWindowPoints(w, NULL, (POINT*)&client, 2);
  DWORD_PTR defId = 0;
  SendMessageTimeoutW(w, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 3000, &defId);
  DWORD tid = GetWindowThreadProcessId(w, NULL);
  GUITHREADINFO gui;
  gui.cbSize = sizeof gui;
  HWND focus = GetGUIThreadInfo(tid, &gui) ? gui.hwndFocus : NULL;
  std::string s = Describe_Top(w);
  s += ",\"client\":" + Json_Rect(client);
  s += ",\"style\":" + Num((unsigned long)GetWindowLongW(w, GWL_STYLE));
  s += ",\"exstyle\":" + Num((unsigned long)GetWindowLongW(w, GWL_EXSTYLE));
  s += ",\"defid\":" + Num(HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : -1);
  s += ",\"focus_id\":" + Num(focus ? GetDlgCtrlID(focus) : -1);
  s += ",\"screen\":[" + Num(GetSystemMetrics(SM_CXSCREEN)) + "," + Num(GetSystemMetrics(SM_CYSCREEN)) + "]";
  Measurer measurer;
  bool measured = Measure_Start(&measurer, w);
  s += std::string(",\"dpi\":") + Num(Screen_Dpi());
  std::string kids;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!kids.empty()) kids += ",";
    kids += Describe_Child(w, c, &measurer);
  }
  Measure_Stop(&measurer);
  measured = measured && kids.find("\"fits\"") != std::string::npos;
  s += std::string(",\"measured\":") + (measured ? "true" : "false");
  if (unmeasured && !measured) s += std::string(",\"unmeasured\":\"") + unmeasured + "\"";
  Emit(s + ",\"controls\":[" + kids + "]");
  return 0;
}

// A user can only act on a control that shows and takes input: the robot
// refuses the others, so a test cannot press what nobody could.
const char* Unusable(HWND c) {
  if (!c) return "no such control";
  if (!IsWindowVisible(c)) return "control is hidden";
  if (!IsWindowEnabled(c)) return "control is disabled";
  return NULL;
}

int Cmd_Click(HWND w, int id) {
  if (!IsWindow(w)) return Fail("click", "no such window");
  HWND c = GetDlgItem(w, id);
  if (const char* why = Unusable(c)) return Fail("click", why);
  if (!PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)c)) return Fail("click", "post failed");
  Emit("");
  return 0;
}

int Cmd_Dblclick(HWND w, int id, int index) {
  if (!IsWindow(w)) return Fail("dblclick", "no such window");
  HWND c = GetDlgItem(w, id);
  if (const char* why = Unusable(c)) return Fail("dblclick", why);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(c, LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 3000, &r);
  if ((LRESULT)r == LB_ERR) return Fail("dblclick", "no such entry");
  if (!PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), (LPARAM)c)) return Fail("dblclick", "post failed");
  Emit("");
  return 0;
}

int Cmd_Select(HWND w, int id, int index) {
  if (!IsWindow(w)) return Fail("select", "no such window");
  HWND c = GetDlgItem(w, id);
  if (const char* why = Unusable(c)) return Fail("select", why);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(c, LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 3000, &r);
  if ((LRESULT)r == LB_ERR) return Fail("select", "no such entry");
  Emit("");
  return 0;
}

int Cmd_Cancel(HWND w) {
  if (!PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(w, IDCANCEL)))
    return Fail("cancel", "post failed");
  Emit("");
  return 0;
}

int Cmd_Esc(HWND w) {
  // The dialog's modal loop hands the key to IsDialogMessage, which turns Esc into IDCANCEL.
  GUITHREADINFO gui;
  gui.cbSize = sizeof gui;
  HWND target = w;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(w, NULL), &gui) && gui.hwndFocus) target = gui.hwndFocus;
  UINT scan = MapVirtualKeyW(VK_ESCAPE, 0);
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1 | (scan << 16));
  if (!PostMessageW(target, WM_KEYUP, VK_ESCAPE, 1 | (scan << 16) | 0xC0000000u)) return Fail("esc", "post failed");
  Emit("\"target\":" + Handle(target));
  return 0;
}

int Cmd_Close(HWND w) {
  PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (!PostMessageW(w, WM_CLOSE, 0, 0)) return Fail("close", "post failed");
  Emit("");
  return 0;
}

bool Send_Ctrl(bool down) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_CONTROL;
  in.ki.wScan = (WORD)MapVirtualKeyW(VK_CONTROL, 0);
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return SendInput(1, &in, sizeof in) == 1;
}

int Cmd_Ctrl(const std::vector<std::wstring>& a) {
  if (a.empty()) return Fail("ctrl", "bad argument");
  if (a[0] == L"down" || a[0] == L"up") {
    if (!Send_Ctrl(a[0] == L"down")) return Fail("ctrl", "SendInput failed");
    Emit("");
    return 0;
  }
  if (a[0] == L"state") {
    GetAsyncKeyState(VK_CONTROL);  // as the program asks: twice, the second answer counts
    Emit(std::string("\"down\":") + (GetAsyncKeyState(VK_CONTROL) < 0 ? "true" : "false"));
    return 0;
  }
  if (a[0] != L"hold") return Fail("ctrl", "bad argument");
  std::wstring until;
  double timeout = 30;
  for (size_t i = 1; i + 1 < a.size(); i += 2) {
    if (a[i] == L"--until") until = a[i + 1];
    else if (a[i] == L"--timeout") timeout = _wtof(a[i + 1].c_str());
    else return Fail("ctrl", "bad argument");
  }
  if (until.empty()) return Fail("ctrl", "hold needs --until");
  if (!Send_Ctrl(true)) return Fail("ctrl", "SendInput failed");
  Emit("\"held\":true");  // the caller waits for this line before going on
  DWORD start = GetTickCount();
  bool found = false;
  while (GetTickCount() - start < (DWORD)(timeout * 1000)) {
    if (GetFileAttributesW(until.c_str()) != INVALID_FILE_ATTRIBUTES) { found = true; break; }
    // Keep it down: a focus change may make Wine resync the key state.
    Send_Ctrl(true);
    Sleep(50);
  }
  Send_Ctrl(false);
  Emit(std::string("\"found\":") + (found ? "true" : "false"));
  return 0;
}

int Run(const std::vector<std::wstring>& cmd) {
  const std::wstring& name = cmd[0];
  std::vector<std::wstring> a(cmd.begin() + 1, cmd.end());
  if (name == L"windows") return Cmd_Windows();
  if (name == L"wait") return Cmd_Wait(a);
  if (name == L"ctrl") return Cmd_Ctrl(a);
  if (name == L"sleep" && a.size() == 1) {
    Sleep((DWORD)_wtoi(a[0].c_str()));
    Emit("");
    return 0;
  }
  if (a.empty()) return -1;
  HWND w = Parse_Handle(a[0].c_str());
  if (name == L"dump" && a.size() == 1) return Cmd_Dump(w);
  if (name == L"click" && a.size() == 2) return Cmd_Click(w, _wtoi(a[1].c_str()));
  if (name == L"dblclick" && a.size() == 3) return Cmd_Dblclick(w, _wtoi(a[1].c_str()), _wtoi(a[2].c_str()));
  if (name == L"select" && a.size() == 3) return Cmd_Select(w, _wtoi(a[1].c_str()), _wtoi(a[2].c_str()));
  if (name == L"cancel" && a.size() == 1) return Cmd_Cancel(w);
  if (name == L"esc" && a.size() == 1) return Cmd_Esc(w);
  if (name == L"close" && a.size() == 1) return Cmd_Close(w);
  return -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::vector<std::wstring>> cmds(1);
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--") == 0) cmds.emplace_back();
    else cmds.back().push_back(argv[i]);
  }
  for (const auto& c : cmds) {
    if (c.empty()) {
      fprintf(stderr, "usage: robot.exe COMMAND [ARGS] [-- COMMAND [ARGS]]... (see robot.cpp)\n");
      return 2;
    }
    int rc = Run(c);
    if (rc < 0) {
      fprintf(stderr, "robot: bad command or arguments\n");
      return 2;
    }
    if (rc) return 1;
  }
  return 0;
}
