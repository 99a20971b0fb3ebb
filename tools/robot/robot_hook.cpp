// robot_hook.dll: measures a control's text with the control's own font, in
// the process that owns it (a font handle means nothing in another process).
// robot.exe hooks the target thread (WH_CALLWNDPROC) and sends the control a
// registered message; the hook measures and writes a Robot_Measure into the
// robot's shared block.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "robot_measure.h"

namespace {

// The text as drawn: "&x" shows x, "&&" shows "&" (buttons and statics
// without SS_NOPREFIX; list boxes draw their items verbatim).
std::vector<wchar_t> Without_Prefixes(const wchar_t* text) {
  std::vector<wchar_t> out;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p == L'&' && p[1] != 0) ++p;
    out.push_back(*p);
  }
  out.push_back(0);
  return out;
}

std::vector<wchar_t> Text_Of(HWND w) {
  int len = GetWindowTextLengthW(w);
  std::vector<wchar_t> buf(len + 2, 0);
  GetWindowTextW(w, buf.data(), len + 1);
  return buf;
}

void Measure(HWND w, Robot_Measure* m) {
  wchar_t cls[64] = L"";
  GetClassNameW(w, cls, 64);
  LONG style = GetWindowLongW(w, GWL_STYLE);
  RECT client;
  GetClientRect(w, &client);
  HFONT font = (HFONT)SendMessageW(w, WM_GETFONT, 0, 0);
  if (font == NULL) font = (HFONT)GetStockObject(SYSTEM_FONT);  // what a control without WM_SETFONT draws with
  LOGFONTW lf;
  if (GetObjectW(font, sizeof lf, &lf)) {
    m->font_height = lf.lfHeight;
    wcsncpy(m->font_face, lf.lfFaceName, LF_FACESIZE - 1);
  }
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, font);
  m->room_cx = client.right;
  m->room_cy = client.bottom;
  m->fits = 1;
  if (_wcsicmp(cls, L"ListBox") == 0) {
    // Items are drawn one pixel in from the left edge of the client area.
    m->room_cx = client.right - 2;
    m->room_cy = (int)SendMessageW(w, LB_GETITEMHEIGHT, 0, 0);
    m->items = (int)SendMessageW(w, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < m->items; ++i) {
      int len = (int)SendMessageW(w, LB_GETTEXTLEN, i, 0);
      if (len < 0) continue;
      std::vector<wchar_t> item(len + 2, 0);
      SendMessageW(w, LB_GETTEXT, i, (LPARAM)item.data());
      SIZE size = {0, 0};
      GetTextExtentPoint32W(dc, item.data(), len, &size);
      if (size.cx > m->need_cx) m->need_cx = size.cx;
      if (size.cy > m->need_cy) m->need_cy = size.cy;
      if (size.cx > m->room_cx || size.cy > m->room_cy) m->items_cut++;
    }
    m->fits = m->items_cut == 0;
  } else if (_wcsicmp(cls, L"Button") == 0) {
    // A push button draws its text inside its 3-D edge.
    std::vector<wchar_t> text = Without_Prefixes(Text_Of(w).data());
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text.data(), (int)wcslen(text.data()), &size);
    m->need_cx = size.cx;
    m->need_cy = size.cy;
    m->room_cx = client.right - 2 * GetSystemMetrics(SM_CXEDGE);
    m->room_cy = client.bottom - 2 * GetSystemMetrics(SM_CYEDGE);
    m->fits = m->need_cx <= m->room_cx && m->need_cy <= m->room_cy;
  } else {
    // Static (and anything else): word-wrapped into the client width, as a
    // multi-line static draws it; a word wider than the room widens the result.
    std::vector<wchar_t> raw = Text_Of(w);
    RECT need = {0, 0, client.right, 0};
    UINT flags = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
    DrawTextW(dc, raw.data(), -1, &need, flags);
    m->need_cx = need.right - need.left;
    m->need_cy = need.bottom - need.top;
    m->fits = m->need_cx <= m->room_cx && m->need_cy <= m->room_cy;
  }
  SelectObject(dc, old);
  ReleaseDC(w, dc);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK Robot_Hook_Proc(int code, WPARAM wParam, LPARAM lParam) {
  static UINT message = RegisterWindowMessageW(DV_ROBOT_MEASURE_MESSAGE);
  const CWPSTRUCT* cwp = (const CWPSTRUCT*)lParam;
  if (code == HC_ACTION && cwp != nullptr && cwp->message == message) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lu", DV_ROBOT_MEASURE_MAPPING, (unsigned long)cwp->wParam);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    if (mapping != NULL) {
      Robot_Measure* m = (Robot_Measure*)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Robot_Measure));
      if (m != nullptr) {
        memset(m, 0, sizeof *m);
        Measure(cwp->hwnd, m);
        m->done = 1;
        UnmapViewOfFile(m);
      }
      CloseHandle(mapping);
    }
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}
