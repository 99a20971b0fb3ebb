// The compiled PROMPT_USER template: exactly the styles, sizes and controls
// the prompt depends on, with nothing a resource compiler added on its own.
#include <gtest/gtest.h>
#include <windows.h>

#include "dialog_template.h"
#include "resources/resource.h"

namespace {

TEST(PromptTemplate, DialogAndControlsAreExactlyAsDesigned) {
  DialogTemplate t = Load_Dialog_Template("PROMPT_USER");
  ASSERT_TRUE(t.found);
  ASSERT_FALSE(t.extended) << "a DIALOGEX template";
  EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), t.style);
  EXPECT_EQ(0u, t.ex_style);
  ASSERT_EQ(3u, t.items.size());
  // position not checked: the dialog centres itself
  EXPECT_EQ(176, t.cx);
  EXPECT_EQ(115, t.cy);
  EXPECT_EQ("", t.menu);
  EXPECT_EQ("", t.cls);      // the standard dialog class
  EXPECT_EQ("", t.caption);  // no caption
  EXPECT_EQ(10, t.points);
  EXPECT_EQ("System", t.font);

  const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  struct {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    const char* cls;
  } want[] = {
      {button, 3, 96, 80, 14, IDC_PROMPT_LEFT, "#128"},
      {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER, 6, 10, 163, 77, IDC_PROMPT_TEXT, "#130"},
      {button, 93, 96, 80, 14, IDC_PROMPT_RIGHT, "#128"},
  };
  for (size_t i = 0; i < t.items.size(); i++) {
    const auto& w = want[i];
    const DialogItem& a = t.items[i];
    EXPECT_EQ(w.style, a.style) << w.id;
    EXPECT_EQ(0u, a.ex_style) << w.id;
    EXPECT_EQ(w.x, a.x) << w.id;
    EXPECT_EQ(w.y, a.y) << w.id;
    EXPECT_EQ(w.cx, a.cx) << w.id;
    EXPECT_EQ(w.cy, a.cy) << w.id;
    EXPECT_EQ(w.id, a.id);
    EXPECT_EQ(w.cls, a.cls) << w.id;
    EXPECT_EQ(0, a.extra) << w.id;  // no creation data; the caption is a placeholder
  }
}

}  // namespace
