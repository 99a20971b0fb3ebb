// robot_hook.dll: measures a control's text with the control's own font, in
// the process that owns it (a font handle means nothing in another process).
// robot.exe hooks the target thread (WH_CALLWNDPROC) and sends the control a
// registered message; the hook measures and writes a Robot_Measure into the
// robot's shared block.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <wctype.h>

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

// ---- Glyphs -----------------------------------------------------------------
// Whether a character has a glyph in what the control draws with is known only
// by drawing it: Wine fills a character the font lacks from a linked font
// inside ExtTextOut for some scripts, shapes others (Thai, say) with the font
// alone, and GetGlyphIndices never links. So each distinct character is drawn
// alone as the control draws text (ExtTextOutW with its font) and compared
// with what the font draws for a character it lacks: glyph 0, the missing-glyph
// box, and U+FFFF, which no font maps (a raster font draws its default
// character for it). A visible character that leaves no ink is missing too.

struct Glyph_Check {
  HDC dc = NULL;
  HBITMAP bitmap = NULL;
  HGDIOBJ oldBitmap = NULL, oldFont = NULL;
  const unsigned* bits = nullptr;
  int cx = 0, cy = 0, x = 0, y = 0;
  std::vector<unsigned> box, noChar;  // the font's missing glyph, drawn both ways
  std::vector<wchar_t> judged;         // characters drawn so far, and whether they came out
  std::vector<char> judgedMissing;
};

std::vector<unsigned> Draw(Glyph_Check* g, const wchar_t* s, int n, UINT flags) {
  RECT all = {0, 0, g->cx, g->cy};
  ExtTextOutW(g->dc, g->x, g->y, ETO_OPAQUE | flags, &all, s, (UINT)n, NULL);
  GdiFlush();
  return std::vector<unsigned>(g->bits, g->bits + (size_t)g->cx * g->cy);
}

bool Has_Ink(const std::vector<unsigned>& pixels) {
  for (unsigned p : pixels)
    if ((p & 0xFFFFFF) != 0xFFFFFF) return true;
  return false;
}

bool Glyph_Start(Glyph_Check* g, HDC like, HFONT font) {
  g->dc = CreateCompatibleDC(like);
  if (g->dc == NULL) return false;
  g->oldFont = SelectObject(g->dc, font);
  TEXTMETRICW tm;
  if (!GetTextMetricsW(g->dc, &tm)) return false;
  // Room around the cell for marks above or below it and overhangs either side.
  g->x = tm.tmMaxCharWidth + 8;
  g->y = tm.tmHeight + 8;
  g->cx = 3 * tm.tmMaxCharWidth + 16;
  g->cy = 3 * tm.tmHeight + 16;
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = g->cx;
  bi.bmiHeader.biHeight = -g->cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  g->bitmap = CreateDIBSection(g->dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  if (g->bitmap == NULL || bits == nullptr) return false;
  g->bits = (const unsigned*)bits;
  g->oldBitmap = SelectObject(g->dc, g->bitmap);
  SetBkColor(g->dc, RGB(255, 255, 255));
  SetTextColor(g->dc, RGB(0, 0, 0));
  SetTextAlign(g->dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const WORD zero = 0;
  const wchar_t noChar = 0xFFFF;
  g->box = Draw(g, (const wchar_t*)&zero, 1, ETO_GLYPH_INDEX);
  g->noChar = Draw(g, &noChar, 1, 0);
  return true;
}

void Glyph_Stop(Glyph_Check* g) {
  if (g->dc == NULL) return;
  if (g->oldBitmap) SelectObject(g->dc, g->oldBitmap);
  if (g->oldFont) SelectObject(g->dc, g->oldFont);
  if (g->bitmap) DeleteObject(g->bitmap);
  DeleteDC(g->dc);
}

// Characters that draw nothing when all is well: spaces, controls, format marks.
bool Draws_Nothing(wchar_t c) {
  return c < 0x20 || iswspace(c) || c == 0x00A0 || c == 0x00AD || c == 0x3000 || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || c == 0x2060 || c == 0xFEFF;
}

void Check_Glyphs(Glyph_Check* g, const wchar_t* text, Robot_Measure* m) {
  if (g->bits == nullptr) return;
  for (const wchar_t* p = text; *p; ++p) {
    // A surrogate pair is one character.
    int n = (*p >= 0xD800 && *p <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) ? 2 : 1;
    wchar_t c = *p;
    if (n == 1 && Draws_Nothing(c)) continue;
    int missing = -1;
    for (size_t i = 0; i < g->judged.size() && n == 1; ++i)
      if (g->judged[i] == c) missing = g->judgedMissing[i];
    if (missing < 0) {
      std::vector<unsigned> drawn = Draw(g, p, n, 0);
      missing = drawn == g->box || drawn == g->noChar || !Has_Ink(drawn);
      if (n == 1) {
        g->judged.push_back(c);
        g->judgedMissing.push_back((char)missing);
      }
      if (missing) {
        size_t have = wcslen(m->missing);
        if (have + n < DV_ROBOT_MISSING_SAMPLE) wcsncat(m->missing, p, n);
      }
    }
    if (missing) m->missing_glyphs++;
    p += n - 1;
  }
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
  GetTextFaceW(dc, LF_FACESIZE, m->drawn_face);
  Glyph_Check glyphs;
  if (!Glyph_Start(&glyphs, dc, font)) {
    m->missing_glyphs = -1;  // not known: the robot reports no glyphs
  }
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
      Check_Glyphs(&glyphs, item.data(), m);
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
    Check_Glyphs(&glyphs, text.data(), m);
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
    std::vector<wchar_t> shown = (style & SS_NOPREFIX) ? raw : Without_Prefixes(raw.data());
    Check_Glyphs(&glyphs, shown.data(), m);
  }
  Glyph_Stop(&glyphs);
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
