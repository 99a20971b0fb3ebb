// The translators' round trip (see translations.h). A text travels in the
// form the user sees it: the source's backslash and n is a line break in the
// PO file and becomes backslash and n again on the way back. That is exact,
// since the program turns every backslash-n pair into a line break and a
// source line holds no line feed of its own.
#include "translations.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#ifdef _WIN32
#include <direct.h>
#endif

#include <algorithm>
#include <initializer_list>
#include <map>

#include "codepage.h"
#include "po.h"
#include "shown.h"
#include "strfile_writer.h"
#include "strrez/strrez_read.h"

namespace {

const Po_Language kLanguages[] = {
    {"SPN", "es.po", "Spanish", "nplurals=2; plural=(n != 1);"},
    {"FRA", "fr.po", "French", "nplurals=2; plural=(n > 1);"},
    {"GER", "de.po", "German", "nplurals=2; plural=(n != 1);"},
    {"ITL", "it.po", "Italian", "nplurals=2; plural=(n != 1);"},
    {"JPN", "ja.po", "Japanese", "nplurals=1; plural=0;"},
    {"KOR", "ko.po", "Korean", "nplurals=1; plural=0;"},
    {"MAN", "zh_TW.po", "Chinese (Traditional)", "nplurals=1; plural=0;"},
    // The program gives PRT to Portuguese of Brazil and of Portugal alike.
    {"PRT", "pt.po", "Portuguese", "nplurals=2; plural=(n != 1);"},
    {"TAI", "th.po", "Thai", "nplurals=1; plural=0;"},
};
const char kTemplate[] = "engine_loc.pot";
const size_t kMaxTextBytes = STR_MAX_TEXT;

// What a translator needs to know about each text the program shows.
struct Key_Note {
  const char* key;
  const char* where;
  const char* room;  // "{units}" stands for characters or bytes
};
const Key_Note kNotes[] = {
    {"MSG_BUTTON_OK",
     "Where: the OK button of the manual chooser and of the prompts (the only button of a notice, "
     "the left one of a question).",
     "Room: a button 80 dialog units wide; keep the label short."},
    {"MSG_BUTTON_CANCEL",
     "Where: the Cancel button of the manual chooser and of the two-button prompts (the reader "
     "offer and the prompt asking for the disc).",
     "Room: a button 80 dialog units wide; keep the label short."},
    {"MSG_MESSAGE_CHOOSE_MANUAL",
     "Where: the manual chooser's instruction, one centred line above the list of manuals, with "
     "the OK and Cancel buttons below the list.",
     "Room: one line 230 dialog units wide; keep it short."},
    {"MSG_MESSAGE_NODOCINI2",
     "Where: a notice with an OK button, shown when the manuals or their catalogue are missing "
     "from the disc.",
     ""},
    {"MSG_MESSAGE_NEEDACROBAT",
     "Where: the reader offer, shown when no PDF reader is installed: this text, a blank line, "
     "then MSG_MESSAGE_INSTALLNOW, above the OK and Cancel buttons.",
     "Room: this text and MSG_MESSAGE_INSTALLNOW share one prompt of at most 255 {units}: together "
     "at most 253, a line break counting 1."},
    {"MSG_MESSAGE_INSTALLNOW",
     "Where: the question of the reader offer, below MSG_MESSAGE_NEEDACROBAT and a blank line "
     "(OK installs the reader from the disc, Cancel does not).",
     "Room: this text and MSG_MESSAGE_NEEDACROBAT share one prompt of at most 255 {units}: "
     "together at most 253, a line break counting 1."},
    {"MSG_MESSAGE_INSERTCD",
     "Where: the prompt asking for the disc when the PDF reader's installer cannot be started (OK "
     "tries again, Cancel gives up).",
     "Placeholder: ^0 is replaced by the disc's name, \"Installation (v1.5 or greater)\"; keep ^0, "
     "once. Filled in, the text must stay under 256 {units}: at most 227 without the name, a line "
     "break counting 1."},
};

const Po_Language* Language_Of(const std::string& code) {
  for (const Po_Language& l : kLanguages)
    if (code == l.code) return &l;
  return nullptr;
}

const char* Code_Page_Name(int codePage) {
  switch (codePage) {
    case 932: return "Japanese Shift-JIS";
    case 949: return "Korean";
    case 950: return "Traditional Chinese Big5";
    case 874: return "Thai";
    default: return "Western European";
  }
}

// The script whose characters take two bytes in a double-byte code page; NULL for the others.
const char* Double_Byte_Script(int codePage) {
  switch (codePage) {
    case 932: return "Japanese";
    case 949: return "Korean";
    case 950: return "Chinese";
    default: return nullptr;
  }
}

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// Source form to what the user sees: the program's own line-break rule.
std::string Shown(const std::string& source) { return Loc_Expanded(source); }

// What the user sees back to source form.
std::string Source_Form(const std::string& shown) { return Replaced(shown, "\n", "\\n"); }

const Loc_Text* Text_Of(const Loc_Entry& e, const std::string& code) {
  for (const Loc_Text& t : e.texts)
    if (t.code == code) return &t;
  return nullptr;
}

// "name:LINE: text" as "name:LINE: warning: text".
std::string As_Warning(const std::string& message) {
  size_t at = message.find(": ");
  if (at == std::string::npos) return "warning: " + message;
  return message.substr(0, at + 2) + "warning: " + message.substr(at + 2);
}

std::string Base_Name(const std::string& path) {
  size_t slash = path.find_last_of("/\\:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether a source builds as mkloc builds it, with every check of what the
// user sees (a cut text an error when cutsAreErrors, else a warning).
bool Builds(const std::string& name, const char* data, size_t size, bool cutsAreErrors,
            std::vector<Loc_Entry>* entries, Loc_Messages* msgs) {
  if (!Loc_Parse_Source(name, data, size, entries, msgs)) return false;
  bool shown = Loc_Check_Shown(name, *entries, cutsAreErrors, msgs);
  std::string file;
  return Loc_Build(name, *entries, &file, msgs) && shown;
}

// The source must be one mkloc builds: its keys, texts and line numbers are
// what both directions rely on.
bool Source_Ok(const std::string& name, const char* data, size_t size, std::vector<Loc_Entry>* entries,
               Loc_Messages* msgs, bool keepWarnings) {
  Loc_Messages source;
  // A placeholder the program never fills is refused before translators see
  // it; a cut text is a warning, as a translation may mend it.
  bool ok = Builds(name, data, size, false, entries, &source);
  for (const std::string& e : source.errors) msgs->errors.push_back(e);
  if (keepWarnings)
    for (const std::string& w : source.warnings) msgs->warnings.push_back(As_Warning(w));
  if (!ok) msgs->errors.push_back(name + ": mkloc refuses this source; fix it first");
  return ok;
}

// A note as comment lines of at most 76 characters, broken at spaces.
std::string Wrapped(const std::string& note) {
  std::string out;
  size_t at = 0;
  while (note.size() - at > 76) {
    size_t space = note.rfind(' ', at + 76);
    if (space == std::string::npos || space <= at) space = note.find(' ', at + 76);
    if (space == std::string::npos) break;
    out += note.substr(at, space - at) + "\n";
    at = space + 1;
  }
  return out + note.substr(at) + "\n";
}

// The extracted comments of one entry: where it appears, its room, its code page.
std::string Entry_Notes(const Loc_Entry& e, const Po_Language* lang) {
  int codePage = lang ? Loc_Code_Page(lang->code) : 0;
  const char* script = Double_Byte_Script(codePage);
  std::string units = lang && !script ? "characters" : "bytes";
  std::string notes;
  const Key_Note* note = nullptr;
  for (const Key_Note& n : kNotes)
    if (e.key == n.key) note = &n;
  if (note) {
    notes += Wrapped(note->where);
    if (*note->room) notes += Wrapped(Replaced(note->room, "{units}", units));
  } else {
    notes += Wrapped("Where: a text of this disc's own; DOCVIEW.EXE itself does not show it.");
  }
  std::string codePageNote;
  if (lang) {
    codePageNote = "Code page " + std::to_string(codePage) + " (" + Code_Page_Name(codePage) +
                   "): only its characters; at most " + std::to_string(kMaxTextBytes) + " " + units;
    if (script) codePageNote += std::string(" (a ") + script + " character takes 2)";
    codePageNote += ", a line break counting 2.";
  } else {
    codePageNote = "Code page: the language's own (1252 Western European, 932 Japanese, 949 Korean, 950 "
                   "Traditional Chinese, 874 Thai): only its characters; at most " +
                   std::to_string(kMaxTextBytes) + " bytes there, a line break counting 2.";
  }
  return notes + Wrapped(codePageNote);
}

Po_File Export_File(const std::string& sourceName, const std::vector<Loc_Entry>& entries, const std::string& date,
                    const Po_Language* lang) {
  std::string base = Base_Name(sourceName);
  Po_File f;
  Po_Entry header;
  if (lang) {
    std::string tag(lang->file, strlen(lang->file) - 3);
    header.comments = std::string(lang->name) + " (" + tag + ") texts of DOCVIEW.EXE's string file ENGINE.LOC, from " +
                      base + ".\n"
                      "Made by mkloc --export-po; mkloc --import-po merges the translations back.\n"
                      "Translate each msgstr (one left empty shows the English text). A line break\n"
                      "in a text is shown as one; a backslash followed by n and two carets side by\n"
                      "side (^^) cannot be written.\n";
  } else {
    header.comments = "Template of DOCVIEW.EXE's texts (its string file ENGINE.LOC), from " + base + ".\n"
                      "Made by mkloc --export-po, with the translations of each language in its own\n"
                      "file, named as mkloc --import-po reads it:";
    for (const Po_Language& l : kLanguages) header.comments += std::string(" ") + l.file;
    header.comments += ".\n";
  }
  std::string fields = "Project-Id-Version: DocViewer ENGINE.LOC\n"
                       "POT-Creation-Date: " + date + "\n"
                       "PO-Revision-Date: " + date + "\n"
                       "Last-Translator: \n"
                       "Language-Team: \n"
                       "Language: " + (lang ? std::string(lang->file, strlen(lang->file) - 3) : std::string()) + "\n"
                       "MIME-Version: 1.0\n"
                       "Content-Type: text/plain; charset=UTF-8\n"
                       "Content-Transfer-Encoding: 8bit\n";
  if (lang) fields += std::string("Plural-Forms: ") + lang->plural + "\n";
  fields += "X-Generator: mkloc\n";
  header.msgstr.push_back(fields);
  f.entries.push_back(header);
  f.header = 0;

  for (const Loc_Entry& e : entries) {
    const Loc_Text* eng = Text_Of(e, "ENG");
    const Loc_Text* own = lang ? Text_Of(e, lang->code) : nullptr;
    Po_Entry p;
    p.extracted = Entry_Notes(e, lang);
    p.references.push_back(base + ":" + std::to_string(eng->line));
    p.hasContext = true;
    p.context = e.key;
    p.msgid = Shown(eng->utf8);
    p.msgstr.push_back(own ? Shown(own->utf8) : std::string());
    f.entries.push_back(p);
  }
  return f;
}

}  // namespace

const Po_Language* Po_Languages(size_t* count) {
  *count = sizeof kLanguages / sizeof kLanguages[0];
  return kLanguages;
}

bool Loc_Export_Po(const std::string& sourceName, const char* data, size_t size, const std::string& date,
                   std::vector<Po_Output>* files, Loc_Messages* msgs) {
  files->clear();
  std::vector<Loc_Entry> entries;
  if (!Source_Ok(sourceName, data, size, &entries, msgs, true)) return false;
  size_t before = msgs->errors.size();
  for (const Loc_Entry& e : entries) {
    std::string english = Shown(Text_Of(e, "ENG")->utf8);
    for (const Loc_Text& t : e.texts) {
      std::string where = sourceName + ":" + std::to_string(t.line) + ": " + e.key + " " + t.code + " text ";
      if (t.utf8.find('\x04') != std::string::npos) {
        msgs->errors.push_back(where + "holds the control character U+0004, which PO files cannot carry");
        continue;
      }
      // gettext's msgfmt --check refuses a pair that differs here.
      std::string shown = Shown(t.utf8);
      if (t.code == "ENG" || shown.empty()) continue;
      if ((shown.front() == '\n') != (english.front() == '\n') || (shown.back() == '\n') != (english.back() == '\n'))
        msgs->warnings.push_back(As_Warning(where + "begins or ends with a line break where the ENG text does not, "
                                                    "or the other way round; translators' tools (msgfmt --check) "
                                                    "refuse such an entry"));
    }
  }
  if (msgs->errors.size() != before) return false;
  for (const Po_Language& l : kLanguages) files->push_back(Po_Output{l.file, Po_Write(Export_File(sourceName, entries, date, &l))});
  files->push_back(Po_Output{kTemplate, Po_Write(Export_File(sourceName, entries, date, nullptr))});
  return true;
}

namespace {

struct Source_Line {
  std::string text;  // without its line end
  std::string end;   // "\n", "\r\n", or what the last line ends with
};

// The source's lines as Loc_Parse_Source counts them (line 1 after a byte order mark).
void Split_Lines(const char* data, size_t size, std::string* bom, std::vector<Source_Line>* lines) {
  size_t pos = 0;
  if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
    bom->assign(data, 3);
    pos = 3;
  }
  while (pos < size) {
    const char* nl = (const char*)memchr(data + pos, '\n', size - pos);
    size_t end = nl ? (size_t)(nl - data) : size;
    Source_Line l;
    l.text.assign(data + pos, end - pos);
    if (nl) l.end = "\n";
    if (!l.text.empty() && l.text.back() == '\r') {
      l.text.pop_back();
      l.end = "\r" + l.end;
    }
    lines->push_back(l);
    pos = nl ? end + 1 : size;
  }
}

struct Origin {
  std::string file;
  int line = 0;
};

struct Choice {
  std::string text;  // source form
  Origin from;
  bool keep = false;  // skipped in the PO file: the source's line stays as it is
};

// Pieces joined into one message.
std::string Cat(std::initializer_list<std::string> pieces) {
  std::string out;
  for (const std::string& p : pieces) out += p;
  return out;
}

std::string Shown_Key(const std::string& key) {
  std::string out;
  for (char c : key.substr(0, 60)) out += (unsigned char)c < 32 ? '?' : c;
  return out;
}

// The first character of text (source form) that codePage cannot hold, named.
std::string Unheld_Character(int codePage, const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned long cp = 0;
    size_t len = Loc_Utf8_Char((const unsigned char*)text.data() + i, text.size() - i, &cp);
    if (len == 0) break;
    std::string ch = text.substr(i, len), bytes;
    if (!Cp_From_Utf8(codePage, ch, &bytes)) {
      char name[16];
      snprintf(name, sizeof name, "U+%04lX", cp);
      return std::string(name) + (cp >= 32 ? " '" + ch + "'" : std::string());
    }
    i += len;
  }
  return "a character";
}

// Checks a translation against what the program and the source can carry;
// on success *source holds it in source form.
bool Translation_Ok(const std::string& at, const Loc_Entry& e, const Po_Language& lang, const std::string& text,
                    std::string* source, Loc_Messages* msgs) {
  int codePage = Loc_Code_Page(lang.code);
  std::string what = at + e.key + ": ";
  if (text.find("\\n") != std::string::npos) {
    msgs->errors.push_back(what + "the translation holds a backslash followed by n, which the program would show "
                                  "as a line break; write a line break instead");
    return false;
  }
  if (!Loc_Valid_Utf8(text)) {
    msgs->errors.push_back(what + "the translation is not valid UTF-8");
    return false;
  }
  if (text.back() == '\r') {
    msgs->errors.push_back(what + "the translation ends in a carriage return, which a source line cannot keep");
    return false;
  }
  *source = Source_Form(text);
  std::string bytes;
  if (!Cp_From_Utf8(codePage, *source, &bytes)) {
    msgs->errors.push_back(what + Unheld_Character(codePage, *source) + " is not in code page " +
                           std::to_string(codePage) + " (" + Code_Page_Name(codePage) + "), which " + lang.name +
                           " texts use");
    return false;
  }
  bool ok = true;
  if (bytes.size() > kMaxTextBytes) {
    msgs->errors.push_back(what + "the translation is " + std::to_string(bytes.size()) + " bytes in code page " +
                           std::to_string(codePage) + " (a line break counts 2); the program reads at most " +
                           std::to_string(kMaxTextBytes));
    ok = false;
  }
  if (source->find("^^") != std::string::npos) {
    msgs->errors.push_back(what + "the translation holds two carets side by side (^^), the mark that ends a text");
    ok = false;
  }
  std::string want = Loc_Placeholder_Digits(Text_Of(e, "ENG")->utf8), got = Loc_Placeholder_Digits(*source);
  for (char d = '0'; d <= '9'; d++) {
    long wanted = std::count(want.begin(), want.end(), d), have = std::count(got.begin(), got.end(), d);
    if (have < wanted)
      msgs->errors.push_back(what + "the translation drops the placeholder ^" + d + " of the English text");
    else if (have > wanted)
      msgs->errors.push_back(what + "the translation adds the placeholder ^" + d +
                             (wanted ? ", which the English text has fewer times" : ", which the English text does not have"));
    if (have != wanted) ok = false;
  }
  return ok;
}

// A header whose Language names another language than the file's name: a
// translator's tool saved it under the wrong name, say.
void Check_Language(const Po_Input& in, const Po_Language& lang, const Po_File& pf, Loc_Messages* msgs) {
  if (pf.header < 0) return;
  const Po_Entry& h = pf.entries[(size_t)pf.header];
  std::string value;
  if (!Po_Header_Field(h.msgstr[0], "Language", &value) || value.empty()) return;
  std::string given = value.substr(0, value.find_first_of("_-@."));
  for (char& c : given)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  std::string expected(lang.file, strcspn(lang.file, "_."));
  if (given != expected)
    msgs->warnings.push_back(in.name + ":" + std::to_string(h.msgstrLine) + ": warning: the header says Language: " +
                             Shown_Key(value) + ", but the file's name makes it the " + lang.code + " (" + lang.name +
                             ") texts; read as " + lang.name);
}

// Reads one language's file and picks, per key, the translation to merge.
// Refusals go to msgs' errors.
void Choose(const std::string& sourceName, const std::vector<Loc_Entry>& entries, const Po_Input& in,
            const Po_Language& lang, std::map<std::string, Choice>* chosen, Loc_Messages* msgs,
            std::vector<std::string>* notes) {
  Po_File pf;
  if (!Po_Read(in.name, in.bytes.data(), in.bytes.size(), &pf, &msgs->errors)) return;
  Check_Language(in, lang, pf, msgs);
  std::map<std::string, size_t> byKey;
  for (size_t i = 0; i < entries.size(); i++) byKey[entries[i].key] = i;
  std::map<std::string, bool> refused;  // not untranslated: an error names them
  std::map<std::string, bool> listed;   // the file has a live entry for the key
  // A skipped entry leaves the source's text for this language as it is: a
  // translator's doubt, or a file older than the source, loses nothing.
  auto skipped = [&](const Loc_Entry& e) {
    Choice c;
    c.keep = true;
    chosen->insert(std::make_pair(e.key, c));  // a live entry's choice stays
    const Loc_Text* old = Text_Of(e, lang.code);
    return old && !old->utf8.empty() ? std::string("the source's ") + lang.code + " text is kept"
                                     : std::string("English shown");
  };
  for (const Po_Entry& pe : pf.entries) {
    if (pe.obsolete || pe.Is_Header()) continue;
    std::string at = in.name + ":" + std::to_string(pe.msgstrLine) + ": ";
    if (!pe.hasContext) {
      msgs->warnings.push_back(
          Cat({at, "warning: an entry without msgctxt (the key) is not a text of ", sourceName, " (obsolete): not imported"}));
      continue;
    }
    auto k = byKey.find(pe.context);
    if (k == byKey.end()) {
      msgs->warnings.push_back(
          Cat({at, "warning: ", Shown_Key(pe.context), " is not in ", sourceName, " (obsolete): not imported"}));
      continue;
    }
    const Loc_Entry& e = entries[k->second];
    if (pe.msgid != Shown(Text_Of(e, "ENG")->utf8)) {
      msgs->warnings.push_back(Cat({at, "warning: ", e.key, ": its English text is not the one ", sourceName,
                                    " holds now (obsolete): not imported, ", skipped(e)}));
      continue;
    }
    if (pe.hasPlural) {
      msgs->errors.push_back(at + e.key + ": plural forms (msgid_plural), which the program's texts do not have");
      refused[e.key] = true;
      continue;
    }
    if (pe.fuzzy) {
      msgs->warnings.push_back(at + "warning: " + e.key + " is marked fuzzy: skipped, " + skipped(e));
      continue;
    }
    listed[e.key] = true;
    if (pe.msgstr[0].empty()) continue;
    Choice c;
    if (!Translation_Ok(at, e, lang, pe.msgstr[0], &c.text, msgs)) {
      refused[e.key] = true;
      continue;
    }
    c.from.file = in.name;
    c.from.line = pe.msgstrLine;
    (*chosen)[e.key] = c;
  }
  // A key the file leaves empty is untranslated: the user sees the English
  // text. A key the file does not have at all (a file older than the key)
  // keeps the source's text.
  std::string untranslated, absent;
  for (const Loc_Entry& e : entries) {
    if (chosen->count(e.key) || refused.count(e.key)) continue;
    const Loc_Text* old = Text_Of(e, lang.code);
    bool had = old && !old->utf8.empty();
    if (!listed.count(e.key)) {
      skipped(e);
      absent += (absent.empty() ? "" : ", ") + e.key + (had ? std::string(" (the source's ") + lang.code + " text is kept)" : "");
      continue;
    }
    untranslated += (untranslated.empty() ? "" : ", ") + e.key;
    if (had) untranslated += std::string(" (its ") + lang.code + " text in the source is dropped)";
  }
  if (!untranslated.empty()) notes->push_back(in.name + ": untranslated, English shown: " + untranslated);
  if (!absent.empty()) notes->push_back(in.name + ": not in the file: " + absent);
}

// A message of mkloc's checks on the merged source, placed at the PO line
// its text came from where there is one.
std::string Placed(const std::string& message, const std::string& outName, const std::map<int, Origin>& origins,
                   bool warning) {
  std::string prefix = outName + ":";
  size_t digits = prefix.size();
  while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') digits++;
  if (message.compare(0, prefix.size(), prefix) != 0 || digits == prefix.size() || message.compare(digits, 2, ": ") != 0)
    return warning ? As_Warning(message) : message;
  int line = (int)strtol(message.c_str() + prefix.size(), nullptr, 10);
  auto o = origins.find(line);
  std::string place = o != origins.end() ? o->second.file + ":" + std::to_string(o->second.line)
                                         : message.substr(0, digits);
  return place + ": " + (warning ? "warning: " : "") + message.substr(digits + 2);
}

}  // namespace

bool Loc_Import_Po(const std::string& sourceName, const char* data, size_t size,
                   const std::vector<Po_Input>& inputs, const std::string& outName, std::string* merged,
                   Loc_Messages* msgs, std::vector<std::string>* notes) {
  merged->clear();
  std::vector<Loc_Entry> entries;
  if (!Source_Ok(sourceName, data, size, &entries, msgs, false)) return false;
  size_t before = msgs->errors.size();

  std::vector<const Po_Language*> langs;
  std::vector<std::map<std::string, Choice>> chosen(inputs.size());
  for (size_t i = 0; i < inputs.size(); i++) {
    const Po_Language* lang = Language_Of(inputs[i].code);
    langs.push_back(lang);
    if (!lang) {
      msgs->errors.push_back(inputs[i].name + ": no translation language " + inputs[i].code);
      continue;
    }
    Choose(sourceName, entries, inputs[i], *lang, &chosen[i], msgs, notes);
  }
  if (msgs->errors.size() != before) return false;

  // Each input language's line of each entry: replaced where it stands,
  // dropped when untranslated, or inserted after the nearest line of a code
  // before it in the code order.
  std::string bom;
  std::vector<Source_Line> lines;
  Split_Lines(data, size, &bom, &lines);
  std::vector<bool> dropped(lines.size(), false);
  std::vector<Origin> replacedFrom(lines.size());
  struct Inserted {
    std::string text;
    Origin from;
  };
  std::vector<std::vector<Inserted>> after(lines.size());
  const std::vector<std::string> order = Loc_Codes();  // the source's code order
  for (const Loc_Entry& e : entries) {
    // Where each code's line ends up: an original line, or one inserted after one.
    std::map<std::string, size_t> at;
    for (const Loc_Text& t : e.texts) at[t.code] = (size_t)t.line - 1;
    for (const std::string& code : order) {
      size_t input = inputs.size();
      for (size_t i = 0; i < inputs.size(); i++)
        if (inputs[i].code == code) input = i;
      if (input == inputs.size()) continue;  // no file for it: its lines stay
      const Loc_Text* old = Text_Of(e, code);
      auto c = chosen[input].find(e.key);
      if (c != chosen[input].end() && c->second.keep) continue;  // its lines stay
      if (c == chosen[input].end()) {
        if (old && !old->utf8.empty()) {
          dropped[(size_t)old->line - 1] = true;
          at.erase(code);
        }
        continue;
      }
      std::string line = code + ": " + c->second.text;
      if (old) {
        size_t i = (size_t)old->line - 1;
        if (old->utf8 != c->second.text) lines[i].text = line;
        replacedFrom[i] = c->second.from;
        continue;
      }
      size_t anchor = lines.size();
      for (const std::string& earlier : order) {
        if (earlier == code) break;
        auto a = at.find(earlier);
        if (a != at.end()) anchor = a->second;
      }
      after[anchor].push_back(Inserted{line, c->second.from});
      at[code] = anchor;
    }
  }

  std::map<int, Origin> origins;  // merged line -> where its text came from
  int lineNo = 0;
  *merged = bom;
  for (size_t i = 0; i < lines.size(); i++) {
    if (dropped[i]) continue;
    *merged += lines[i].text;
    lineNo++;
    if (!replacedFrom[i].file.empty()) origins[lineNo] = replacedFrom[i];
    if (after[i].empty()) {
      *merged += lines[i].end;
      continue;
    }
    std::string eol = lines[i].end == "\r\n" ? "\r\n" : "\n";
    *merged += eol;
    for (size_t k = 0; k < after[i].size(); k++) {
      *merged += after[i][k].text;
      origins[++lineNo] = after[i][k].from;
      if (k + 1 < after[i].size() || !lines[i].end.empty()) *merged += eol;
    }
  }

  // The last word is mkloc's own: the merged source must build.
  std::vector<Loc_Entry> check;
  Loc_Messages gate;
  // The last word also covers what the user would see: a translation that
  // makes the program cut a prompt is refused here as the build refuses it.
  bool ok = Builds(outName, merged->data(), merged->size(), true, &check, &gate);
  for (const std::string& w : gate.warnings) msgs->warnings.push_back(Placed(w, outName, origins, true));
  for (const std::string& e : gate.errors) msgs->errors.push_back(Placed(e, outName, origins, false));
  if (!ok || msgs->errors.size() != before) {
    merged->clear();
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// The commands.

namespace {

std::string Joined(const std::string& dir, const char* file) {
  if (dir.empty()) return file;
  char last = dir.back();
  if (last == '/' || last == '\\' || last == ':') return dir + file;
#ifdef _WIN32
  return dir + "\\" + file;
#else
  return dir + "/" + file;
#endif
}

bool Make_Folder(const char* dir) {
#ifdef _WIN32
  int made = _mkdir(dir);
#else
  int made = mkdir(dir, 0777);
#endif
  return made == 0 || errno == EEXIST;
}

// When the source was last changed, as PO headers write dates; the same
// source gives the same files.
std::string Source_Date(const char* path) {
  struct stat st;
  time_t when = stat(path, &st) == 0 ? st.st_mtime : 0;
  const struct tm* utc = gmtime(&when);
  char text[32] = "1970-01-01 00:00+0000";
  if (utc) strftime(text, sizeof text, "%Y-%m-%d %H:%M+0000", utc);
  return text;
}

void Print(const Loc_Messages& msgs) {
  for (const std::string& w : msgs.warnings) fprintf(stderr, "%s\n", w.c_str());
  for (const std::string& e : msgs.errors) fprintf(stderr, "%s\n", e.c_str());
}

// Writes beside the target first, so a failed write never leaves a cut source.
bool Replace_File(const std::string& path, const std::string& bytes) {
  std::string part = path + ".mkloc-part";
  if (!Write_Bytes(part, bytes)) {
    remove(part.c_str());
    return false;
  }
  if (rename(part.c_str(), path.c_str()) == 0) return true;
  // Windows' rename does not replace an existing file.
  if (remove(path.c_str()) == 0 && rename(part.c_str(), path.c_str()) == 0) return true;
  fprintf(stderr, "mkloc: cannot replace %s; the merged source is in %s\n", path.c_str(), part.c_str());
  return false;
}

}  // namespace

int Po_Export_Command(const char* sourcePath, const char* dir) {
  std::string source;
  if (Read_Bytes(sourcePath, &source) != 1) {
    fprintf(stderr, "mkloc: cannot read %s\n", sourcePath);
    return 2;
  }
  std::vector<Po_Output> files;
  Loc_Messages msgs;
  bool ok = Loc_Export_Po(sourcePath, source.data(), source.size(), Source_Date(sourcePath), &files, &msgs);
  Print(msgs);
  if (!ok) {
    fprintf(stderr, "mkloc: no PO files written\n");
    return 1;
  }
  if (!Make_Folder(dir)) {
    fprintf(stderr, "mkloc: cannot make the folder %s\n", dir);
    return 2;
  }
  // Translators' files may hold work not merged yet: never written over.
  std::string present;
  for (const Po_Output& f : files) {
    std::string old;
    if (f.file != kTemplate && Read_Bytes(Joined(dir, f.file.c_str()), &old) != 0) present += " " + f.file;
  }
  if (!present.empty()) {
    fprintf(stderr,
            "mkloc: %s already holds%s: they may hold translations not merged yet (mkloc --import-po); "
            "remove them or export into another folder\n",
            dir, present.c_str());
    return 1;
  }
  std::string names;
  for (const Po_Output& f : files) {
    std::string path = Joined(dir, f.file.c_str());
    if (!Write_Bytes(path, f.text)) {
      fprintf(stderr, "mkloc: cannot write %s\n", path.c_str());
      remove(path.c_str());
      return 2;
    }
    names += " " + f.file;
  }
  printf("mkloc: wrote %u files to %s:%s\n", (unsigned)files.size(), dir, names.c_str());
  return 0;
}

int Po_Import_Command(const char* sourcePath, const char* dir, const char* outPath) {
  std::string source;
  if (Read_Bytes(sourcePath, &source) != 1) {
    fprintf(stderr, "mkloc: cannot read %s\n", sourcePath);
    return 2;
  }
  std::vector<Po_Input> inputs;
  std::vector<std::string> kept;
  for (const Po_Language& l : kLanguages) {
    Po_Input in;
    in.code = l.code;
    in.name = Joined(dir, l.file);
    int got = Read_Bytes(in.name, &in.bytes);
    if (got < 0) {
      fprintf(stderr, "mkloc: cannot read %s\n", in.name.c_str());
      return 2;
    }
    if (got == 0) kept.push_back(std::string(l.file) + " (" + l.code + ")");
    else inputs.push_back(in);
  }
  if (inputs.empty()) {
    std::string files;
    for (const Po_Language& l : kLanguages) files += std::string(" ") + l.file;
    fprintf(stderr, "mkloc: %s holds none of the PO files%s\n", dir, files.c_str());
    return 1;
  }
  std::string merged;
  Loc_Messages msgs;
  std::vector<std::string> notes;
  bool ok = Loc_Import_Po(sourcePath, source.data(), source.size(), inputs, outPath, &merged, &msgs, &notes);
  Print(msgs);
  for (const std::string& n : notes) printf("%s\n", n.c_str());
  for (const std::string& k : kept) printf("mkloc: no %s in %s: its texts stay as they are\n", k.c_str(), dir);
  fflush(stdout);  // the lists before the verdict, also when both streams go to one file
  if (!ok) {
    fprintf(stderr, "mkloc: %s not written\n", outPath);
    return 1;
  }
  if (!Replace_File(outPath, merged)) {
    fprintf(stderr, "mkloc: cannot write %s\n", outPath);
    return 2;
  }
  printf("mkloc: wrote %s from %s and %u PO files\n", outPath, sourcePath, (unsigned)inputs.size());
  return 0;
}
