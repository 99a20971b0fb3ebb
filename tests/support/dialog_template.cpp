// Walks a compiled dialog template's variable-length fields (see dialog_template.h).
#include "dialog_template.h"

#include <ctype.h>

namespace {

// Reads little-endian fields in order; past the resource's end it yields zeros.
struct Cursor {
  const BYTE* base;
  size_t size, at;
  bool Has(size_t n) const { return at <= size && size - at >= n; }
  WORD Word() {
    WORD w = 0;
    if (Has(2)) w = (WORD)(base[at] | base[at + 1] << 8);
    at += 2;
    return w;
  }
  DWORD Dword() {
    DWORD lo = Word();
    return lo | (DWORD)Word() << 16;
  }
  short Short() { return (short)Word(); }
  std::string Text() {
    std::string s;
    for (WORD c; Has(2) && (c = Word()) != 0;) s += (char)(c & 0xFF);
    return s;
  }
  // A name or ordinal: 0 = none, 0xFFFF then an ordinal, else a wide text.
  std::string Name_Or_Ordinal() {
    if (Has(2) && base[at] == 0xFF && base[at + 1] == 0xFF) {
      at += 2;
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void Align4() { at = (at + 3) & ~(size_t)3; }
};

}  // namespace

DialogTemplate Load_Dialog_Template(const char* name) {
  DialogTemplate t = {};
  HMODULE module = GetModuleHandleA(NULL);
  HRSRC res = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
  const BYTE* base = res ? (const BYTE*)LockResource(LoadResource(module, res)) : NULL;
  if (!base) return t;
  t.found = true;
  Cursor c = {base, (size_t)SizeofResource(module, res), 0};
  if (c.Has(4) && base[2] == 0xFF && base[3] == 0xFF) {  // dlgVer 1, signature 0xFFFF
    t.extended = true;
    return t;
  }
  t.style = c.Dword();
  t.ex_style = c.Dword();
  WORD count = c.Word();
  t.x = c.Short();
  t.y = c.Short();
  t.cx = c.Short();
  t.cy = c.Short();
  t.menu = c.Name_Or_Ordinal();
  t.cls = c.Name_Or_Ordinal();
  t.caption = c.Text();
  if (t.style & DS_SETFONT) {
    t.points = c.Word();
    t.font = c.Text();
  }
  for (WORD i = 0; i < count; i++) {
    c.Align4();
    if (!c.Has(18)) break;  // an item's fixed part
    DialogItem item = {};
    item.style = c.Dword();
    item.ex_style = c.Dword();
    item.x = c.Short();
    item.y = c.Short();
    item.cx = c.Short();
    item.cy = c.Short();
    item.id = c.Word();
    item.cls = c.Name_Or_Ordinal();
    item.caption = c.Name_Or_Ordinal();
    item.extra = c.Word();
    c.at += item.extra;
    t.items.push_back(item);
  }
  return t;
}

std::string Dialog_Class_Name(const std::string& cls) {
  static const char* const kPredefined[] = {"button", "edit", "static", "listbox", "scrollbar",
                                            "combobox"};
  for (int i = 0; i < 6; i++)
    if (cls == "#" + std::to_string(0x80 + i)) return kPredefined[i];
  std::string s = cls;
  for (char& ch : s) ch = (char)tolower((unsigned char)ch);
  return s;
}
