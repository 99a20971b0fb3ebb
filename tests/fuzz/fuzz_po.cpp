// Fuzzes mkloc's PO reader and the import built on it. Each of these is a
// finding: a file the reader takes whose entries, written out again, read
// back differently; an import that succeeds with a merged source that gives
// a key a text other than the one the PO file holds for it (or keeps one it
// should have dropped, or changes an English text).
#include <stdint.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "locfile.h"
#include "po.h"
#include "translations.h"

// A source with the shapes that matter: a line break, a placeholder, a
// double-byte text, a backslash before a backslash-n, a key without a text in
// either language.
static const char kSource[] =
    "# texts\n"
    "[MSG_BUTTON_OK]\n"
    "ENG: OK\n"
    "GER: OK\n"
    "\n"
    "[MSG_MESSAGE_INSERTCD]\r\n"
    "ENG: Insert\\n\"^0\"\r\n"
    "JPN: \xE6\x8C\xBF\xE5\x85\xA5\\n\xE3\x80\x8C^0\xE3\x80\x8D\r\n"
    "[MSG_X]\n"
    "ENG: a\\\\n b\n"
    "[MSG_Y]\n"
    "ENG: y";

static bool Same(const Po_Entry& a, const Po_Entry& b) {
  return a.obsolete == b.obsolete && a.fuzzy == b.fuzzy && a.hasContext == b.hasContext && a.context == b.context &&
         a.msgid == b.msgid && a.hasPlural == b.hasPlural && a.msgidPlural == b.msgidPlural && a.msgstr == b.msgstr &&
         a.hasPrevContext == b.hasPrevContext && a.prevContext == b.prevContext && a.hasPrevMsgid == b.hasPrevMsgid &&
         a.prevMsgid == b.prevMsgid && a.hasPrevPlural == b.hasPrevPlural && a.prevMsgidPlural == b.prevMsgidPlural &&
         a.flags == b.flags && a.comments == b.comments && a.extracted == b.extracted && a.references == b.references;
}

static void Import_As(const char* code, const std::string& bytes, const Po_File& po) {
  std::vector<Loc_Entry> before;
  Loc_Messages msgs;
  if (!Loc_Parse_Source("src.txt", kSource, sizeof kSource - 1, &before, &msgs)) abort();
  std::vector<Po_Input> inputs(1);
  inputs[0].code = code;
  inputs[0].name = "x.po";
  inputs[0].bytes = bytes;
  std::string merged;
  std::vector<std::string> notes;
  if (!Loc_Import_Po("src.txt", kSource, sizeof kSource - 1, inputs, "new.txt", &merged, &msgs, &notes)) return;

  std::vector<Loc_Entry> after;
  Loc_Messages again;
  if (!Loc_Parse_Source("new.txt", merged.data(), merged.size(), &after, &again) || after.size() != before.size())
    abort();
  for (size_t i = 0; i < before.size(); i++) {
    const Loc_Entry& e = before[i];
    std::string english, old;
    bool hadOld = false;
    for (const Loc_Text& t : e.texts) {
      if (t.code == "ENG") english = t.utf8;
      if (t.code == code) {
        old = t.utf8;
        hadOld = true;
      }
    }
    // What the file says for this key: a live, settled translation of the current English text.
    std::string want;
    bool live = false;
    for (const Po_Entry& p : po.entries)
      if (!p.obsolete && !p.fuzzy && !p.hasPlural && p.hasContext && p.context == e.key && p.msgid == Loc_Expanded(english)) {
        want = p.msgstr[0];
        live = true;
      }
    std::string gotEnglish, got;
    bool hasGot = false;
    for (const Loc_Text& t : after[i].texts) {
      if (t.code == "ENG") gotEnglish = t.utf8;
      if (t.code == code) {
        got = t.utf8;
        hasGot = true;
      }
    }
    if (after[i].key != e.key || gotEnglish != english) abort();
    if (!live) {
      if (hasGot != hadOld || got != old) abort();  // skipped or not in the file: the source's text stays
    } else if (!want.empty()) {
      if (!hasGot || Loc_Expanded(got) != want) abort();
    } else if (hasGot && !(hadOld && old.empty() && got.empty())) {
      abort();  // untranslated: no text, unless the source's own was empty already
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes((const char*)data, size);
  Po_File po;
  std::vector<std::string> errors;
  if (!Po_Read("fuzz.po", bytes.data(), bytes.size(), &po, &errors)) {
    if (errors.size() != 1 || errors[0].compare(0, 8, "fuzz.po:") != 0) abort();
    return 0;
  }
  if (!errors.empty()) abort();

  // Written out and read again, the same entries. A comment that ends in a
  // backslash (possible only at the very end of a file) would join the line
  // after it when written out, as in gettext: not comparable.
  std::string written = Po_Write(po);
  if (written.find("\\\n") == std::string::npos) {
    Po_File back;
    if (!Po_Read("back.po", written.data(), written.size(), &back, &errors)) abort();
    if (back.entries.size() != po.entries.size() || back.header != po.header) abort();
    for (size_t i = 0; i < po.entries.size(); i++)
      if (!Same(po.entries[i], back.entries[i])) abort();
  }

  Import_As("GER", bytes, po);
  Import_As("JPN", bytes, po);
  return 0;
}
