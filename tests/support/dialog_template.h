// Reads a plain (DIALOG, not DIALOGEX) template compiled into this program, so
// tests can check its styles, sizes, font and controls exactly as built.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DialogItem {
  DWORD style, ex_style;
  short x, y, cx, cy;
  WORD id;
  std::string cls;      // a predefined class as its ordinal ("#128"), else the name as compiled
  std::string caption;  // an ordinal as "#n"
  WORD extra;           // bytes of creation data
};

struct DialogTemplate {
  bool found;     // the resource exists
  bool extended;  // a DIALOGEX template: nothing more is read
  DWORD style, ex_style;
  short x, y, cx, cy;
  std::string menu, cls, caption;  // "" when absent; ordinals as "#n"
  WORD points;                     // with DS_SETFONT only
  std::string font;
  std::vector<DialogItem> items;  // in template order; stops early if the resource is cut short
};

// The RT_DIALOG resource `name` of this program's module.
DialogTemplate Load_Dialog_Template(const char* name);

// A class in lower case, predefined ordinals by name ("#128" -> "button").
std::string Dialog_Class_Name(const std::string& cls);
