// The MANUAL_LIST template as built into the program: styles, font, size and
// every control's id, class, style, position and order, read from the resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <ctype.h>

#include <string>

#include "dialog_template.h"
#include "resources/resource.h"

namespace {

struct Item {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  std::string cls;
};

std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

DialogTemplate Load_Template(const char* name) {
  DialogTemplate t = Load_Dialog_Template(name);
  EXPECT_TRUE(t.found) << name;
  EXPECT_EQ("", t.menu);  // no menu
  EXPECT_EQ("", t.cls);   // the dialog class
  return t;
}

}  // namespace

TEST(ManualListTemplate, DialogFrameFontAndSize) {
  DialogTemplate t = Load_Template("MANUAL_LIST");
  EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), t.style);
  EXPECT_EQ("", t.caption);
  EXPECT_EQ(10, t.points);
  EXPECT_EQ("system", Lower(t.font));
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
  DialogTemplate t = Load_Template("MANUAL_LIST");
  ASSERT_EQ(sizeof expected / sizeof expected[0], t.items.size());
  for (size_t i = 0; i < t.items.size(); i++) {
    const Item& e = expected[i];
    const DialogItem& a = t.items[i];
    EXPECT_EQ(e.id, a.id) << i;
    EXPECT_EQ(e.cls, Dialog_Class_Name(a.cls)) << e.id;
    EXPECT_EQ(e.style, a.style) << e.id;
    EXPECT_EQ(e.x, a.x) << e.id;
    EXPECT_EQ(e.y, a.y) << e.id;
    EXPECT_EQ(e.cx, a.cx) << e.id;
    EXPECT_EQ(e.cy, a.cy) << e.id;
  }
}
