// The MANUAL_LIST template as built into the program: styles, font, size and
// every control's id, class, style, position and order, read from the resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

struct Item {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  std::string cls;
};

struct Template {
  DWORD style;
  short cx, cy;
  std::string caption, font;
  WORD points;
  std::vector<Item> items;
};

// A name-or-ordinal field: 0, 0xFFFF + ordinal, or a UTF-16 string.
std::string Read_Sz_Or_Ord(const WORD*& p) {
  static const char* const kClasses[] = {"button", "edit", "static", "listbox", "scrollbar",
                                         "combobox"};
  if (*p == 0xFFFF) {
    WORD ord = p[1];
    p += 2;
    if (ord >= 0x80 && ord <= 0x85) return kClasses[ord - 0x80];
    return "#" + std::to_string(ord);
  }
  std::string s;
  while (*p) s += (char)tolower(*p++ & 0xFF);
  ++p;
  return s;
}

const WORD* Align_Dword(const WORD* p, const BYTE* base) {
  size_t off = (size_t)((const BYTE*)p - base);
  return (const WORD*)(base + ((off + 3) & ~(size_t)3));
}

Template Load_Template(const char* name) {
  Template t = {};
  HRSRC res = FindResourceA(GetModuleHandleA(NULL), name, (LPCSTR)RT_DIALOG);
  EXPECT_NE((HRSRC)NULL, res);
  if (!res) return t;
  const BYTE* base = (const BYTE*)LockResource(LoadResource(GetModuleHandleA(NULL), res));
  const DLGTEMPLATE* dt = (const DLGTEMPLATE*)base;
  t.style = dt->style;
  t.cx = dt->cx;
  t.cy = dt->cy;
  const WORD* p = (const WORD*)(dt + 1);
  EXPECT_EQ("", Read_Sz_Or_Ord(p));  // no menu
  EXPECT_EQ("", Read_Sz_Or_Ord(p));  // the dialog class
  t.caption = Read_Sz_Or_Ord(p);
  if (t.style & DS_SETFONT) {
    t.points = *p++;
    t.font = Read_Sz_Or_Ord(p);
  }
  for (int i = 0; i < dt->cdit; i++) {
    p = Align_Dword(p, base);
    const DLGITEMTEMPLATE* it = (const DLGITEMTEMPLATE*)p;
    Item item = {it->style, it->x, it->y, it->cx, it->cy, it->id, ""};
    p = (const WORD*)(it + 1);
    item.cls = Read_Sz_Or_Ord(p);
    Read_Sz_Or_Ord(p);  // caption
    WORD extra = *p++;
    p = (const WORD*)((const BYTE*)p + extra);
    t.items.push_back(item);
  }
  return t;
}

}  // namespace

TEST(ManualListTemplate, DialogFrameFontAndSize) {
  Template t = Load_Template("MANUAL_LIST");
  EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), t.style);
  EXPECT_EQ("", t.caption);
  EXPECT_EQ(10, t.points);
  EXPECT_EQ("system", t.font);
  EXPECT_EQ(242, t.cx);
  EXPECT_EQ(153, t.cy);
}

TEST(ManualListTemplate, ControlsInTabOrderWithExactStyles) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const Item expected[] = {
      {child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT,
       6, 36, 231, 89, IDC_MANUAL_LIST, "listbox"},
      {child | WS_TABSTOP | BS_DEFPUSHBUTTON, 6, 134, 80, 14, IDC_MANUAL_CANCEL, "button"},
      {child | WS_TABSTOP | BS_DEFPUSHBUTTON, 157, 134, 80, 14, IDC_MANUAL_OK, "button"},
      {child | WS_GROUP | SS_CENTER, 6, 17, 230, 10, IDC_MANUAL_TEXT, "static"},
      {child | WS_GROUP | SS_LEFT, 4, 3, 22, 8, IDC_MANUAL_VERSION, "static"},
  };
  Template t = Load_Template("MANUAL_LIST");
  ASSERT_EQ(sizeof expected / sizeof expected[0], t.items.size());
  for (size_t i = 0; i < t.items.size(); i++) {
    const Item& e = expected[i];
    const Item& a = t.items[i];
    EXPECT_EQ(e.id, a.id) << i;
    EXPECT_EQ(e.cls, a.cls) << e.id;
    EXPECT_EQ(e.style, a.style) << e.id;
    EXPECT_EQ(e.x, a.x) << e.id;
    EXPECT_EQ(e.y, a.y) << e.id;
    EXPECT_EQ(e.cx, a.cx) << e.id;
    EXPECT_EQ(e.cy, a.cy) << e.id;
  }
}
