// The compiled PROMPT_USER template: exactly the styles, sizes and controls
// the prompt depends on, with nothing a resource compiler added on its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/resource.h"

namespace {

// Reads the template's variable-length fields in order.
struct Reader {
  const BYTE* p;
  WORD Word() {
    WORD w = *(const WORD*)p;
    p += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d = *(const DWORD*)p;
    p += 4;
    return d;
  }
  // A name or ordinal: 0 = none, 0xFFFF then an ordinal, else a wide text.
  std::string Name_Or_Ordinal() {
    WORD first = *(const WORD*)p;
    if (first == 0xFFFF) {
      p += 2;
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  std::string Text() {
    std::string s;
    for (WORD c; (c = Word()) != 0;) s += (char)c;
    return s;
  }
  void Align4(const BYTE* base) { p = base + ((p - base + 3) & ~3); }
};

TEST(PromptTemplate, DialogAndControlsAreExactlyAsDesigned) {
  HMODULE module = GetModuleHandleA(NULL);
  HRSRC res = FindResourceA(module, "PROMPT_USER", (LPCSTR)RT_DIALOG);
  ASSERT_NE((HRSRC)NULL, res);
  const BYTE* base = (const BYTE*)LockResource(LoadResource(module, res));
  ASSERT_NE((const BYTE*)NULL, base);
  ASSERT_NE(0xFFFF, ((const WORD*)base)[1]) << "a DIALOGEX template";
  Reader r{base};
  EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT), r.Dword());
  EXPECT_EQ(0u, r.Dword());  // extended style
  ASSERT_EQ(3, r.Word());
  r.Word(), r.Word();        // position: the dialog centres itself
  EXPECT_EQ(176, r.Word());
  EXPECT_EQ(115, r.Word());
  EXPECT_EQ("", r.Name_Or_Ordinal());  // menu
  EXPECT_EQ("", r.Name_Or_Ordinal());  // class: the standard dialog class
  EXPECT_EQ("", r.Text());             // no caption
  EXPECT_EQ(10, r.Word());
  EXPECT_EQ("System", r.Text());

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
  for (const auto& w : want) {
    r.Align4(base);
    EXPECT_EQ(w.style, r.Dword()) << w.id;
    EXPECT_EQ(0u, r.Dword()) << w.id;
    EXPECT_EQ(w.x, (short)r.Word()) << w.id;
    EXPECT_EQ(w.y, (short)r.Word()) << w.id;
    EXPECT_EQ(w.cx, (short)r.Word()) << w.id;
    EXPECT_EQ(w.cy, (short)r.Word()) << w.id;
    EXPECT_EQ(w.id, r.Word());
    EXPECT_EQ(w.cls, r.Name_Or_Ordinal()) << w.id;
    r.Text();                          // placeholder caption
    EXPECT_EQ(0, r.Word()) << w.id;    // no creation data
  }
}

}  // namespace
