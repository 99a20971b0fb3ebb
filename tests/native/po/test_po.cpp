// mkloc's PO files: the reader against GNU gettext's own reading
// (libgettextpo) on every PO file these tests make, refusals named by file and
// line, the merge into a source, and the whole round trip through the mkloc
// program on the shipped texts with msgfmt --check on every exported file.
#include <gettext-po.h>
#include <gtest/gtest.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "locfile.h"
#include "po.h"
#include "strfile_writer.h"
#include "temp_folder.h"
#include "translations.h"

namespace {

std::string Read_All(const std::string& path) {
  std::string s;
  Read_Bytes(path, &s);  // "" when it cannot be read
  return s;
}

std::string Source_Path() { return std::string(DV_SOURCE_DIR) + "/disc/engine_loc.txt"; }

// -------------------------------------------------------------------------
// Both readers' view of a file, in the terms gettext's library gives.

struct Reading {
  std::vector<std::string> errors;
  std::vector<std::string> entries;  // one line of fields per entry
};

std::string Field(const char* name, const char* value) {
  std::string out = std::string(" ") + name + "=";
  if (!value) return out + "(none)";
  out += "\"";
  for (const char* p = value; *p; p++) {
    unsigned char c = (unsigned char)*p;
    if (c < 32 || c == '"' || c == '\\') {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

// gettext keeps the carriage return of a CRLF comment line; mkloc drops it.
std::string Without_Cr(const char* text) {
  std::string s = text ? text : "";
  std::string out;
  for (size_t i = 0; i < s.size(); i++)
    if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out += s[i];
  return out;
}

}  // namespace

// gettext's library keeps some of what it allocates while reading; the leak
// check is for mkloc's code.
extern "C" const char* __lsan_default_suppressions() { return "leak:libgettextpo\n"; }

namespace {

std::vector<std::string>* g_gettextErrors;
jmp_buf g_fatal;

void Gettext_Error(int severity, po_message_t, const char* file, size_t line, size_t, int, const char* text) {
  if (severity != PO_SEVERITY_WARNING)
    g_gettextErrors->push_back(std::string(file ? file : "") + ":" + std::to_string((long)line) + ": " + text);
  if (severity == PO_SEVERITY_FATAL_ERROR) longjmp(g_fatal, 1);
}

void Gettext_Error2(int severity, po_message_t, const char* file, size_t line, size_t, int, const char* text,
                    po_message_t, const char*, size_t, size_t, int, const char*) {
  Gettext_Error(severity, nullptr, file, line, 0, 0, text);
}

Reading Gettext_Reading(const std::string& path) {
  Reading r;
  g_gettextErrors = &r.errors;
  static const struct po_xerror_handler kHandler = {Gettext_Error, Gettext_Error2};
  po_file_t file = nullptr;
  if (setjmp(g_fatal) == 0) file = po_file_read(path.c_str(), &kHandler);
  if (!file) {
    if (r.errors.empty()) r.errors.push_back("no file");
    return r;
  }
  for (const char* const* domain = po_file_domains(file); *domain; domain++) {
    po_message_iterator_t it = po_message_iterator(file, *domain);
    while (po_message_t m = po_next_message(it)) {
      std::string line = Field("ctxt", po_message_msgctxt(m)) + Field("id", po_message_msgid(m)) +
                         Field("plural", po_message_msgid_plural(m));
      if (po_message_msgid_plural(m)) {
        for (int k = 0; po_message_msgstr_plural(m, k); k++) line += Field("str[]", po_message_msgstr_plural(m, k));
      } else {
        line += Field("str", po_message_msgstr(m));
      }
      line += " fuzzy=" + std::to_string(po_message_is_fuzzy(m)) + " obsolete=" +
              std::to_string(po_message_is_obsolete(m)) + " c-format=" +
              std::to_string(po_message_is_format(m, "c-format"));
      line += Field("prevctxt", po_message_prev_msgctxt(m)) + Field("previd", po_message_prev_msgid(m)) +
              Field("prevplural", po_message_prev_msgid_plural(m));
      line += Field("comments", Without_Cr(po_message_comments(m)).c_str()) +
              Field("extracted", Without_Cr(po_message_extracted_comments(m)).c_str());
      for (int k = 0; po_filepos_t pos = po_message_filepos(m, k); k++) {
        std::string ref = po_filepos_file(pos);
        if (po_filepos_start_line(pos) != (size_t)-1) ref += ":" + std::to_string(po_filepos_start_line(pos));
        line += Field("ref", ref.c_str());
      }
      r.entries.push_back(line);
    }
    po_message_iterator_free(it);
  }
  po_file_free(file);
  return r;
}

const char* Or_None(bool has, const std::string& s) { return has ? s.c_str() : nullptr; }

Reading Our_Reading(const std::string& name, const std::string& bytes, Po_File* out = nullptr) {
  Reading r;
  Po_File f;
  if (!Po_Read(name, bytes.data(), bytes.size(), &f, &r.errors)) return r;
  for (const Po_Entry& e : f.entries) {
    std::string line = Field("ctxt", Or_None(e.hasContext, e.context)) + Field("id", e.msgid.c_str()) +
                       Field("plural", Or_None(e.hasPlural, e.msgidPlural));
    for (const std::string& s : e.msgstr) line += Field(e.hasPlural ? "str[]" : "str", s.c_str());
    bool cFormat = false;
    for (const std::string& flag : e.flags) cFormat |= flag == "c-format";
    line += " fuzzy=" + std::to_string((int)e.fuzzy) + " obsolete=" + std::to_string((int)e.obsolete) +
            " c-format=" + std::to_string((int)cFormat);
    line += Field("prevctxt", Or_None(e.hasPrevContext, e.prevContext)) +
            Field("previd", Or_None(e.hasPrevMsgid, e.prevMsgid)) +
            Field("prevplural", Or_None(e.hasPrevPlural, e.prevMsgidPlural));
    line += Field("comments", e.comments.c_str()) + Field("extracted", e.extracted.c_str());
    for (const std::string& ref : e.references) line += Field("ref", ref.c_str());
    r.entries.push_back(line);
  }
  if (out) *out = f;
  return r;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

// Writes bytes as a PO file and checks that mkloc reads it as gettext does,
// and that mkloc's writer gives gettext the same entries again. (gettext
// refuses a byte order mark, which Windows editors write: it is given the
// file without one.)
void Expect_Read_As_Gettext(const Temp_Folder& dir, const std::string& label, const std::string& bytes) {
  std::string forGettext = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  std::string path = dir.File("check.po");
  ASSERT_EQ(1, Write_Bytes(path, forGettext));
  Reading theirs = Gettext_Reading(path);
  Po_File file;
  Reading ours = Our_Reading("check.po", bytes, &file);
  ASSERT_TRUE(theirs.errors.empty()) << label << ": gettext refuses it:\n" << Joined(theirs.errors);
  ASSERT_TRUE(ours.errors.empty()) << label << ": mkloc refuses it:\n" << Joined(ours.errors);
  EXPECT_EQ(Joined(theirs.entries), Joined(ours.entries)) << label;

  ASSERT_EQ(1, Write_Bytes(path, Po_Write(file)));
  Reading rewritten = Gettext_Reading(path);
  EXPECT_TRUE(rewritten.errors.empty()) << label << " as mkloc writes it:\n" << Joined(rewritten.errors);
  EXPECT_EQ(Joined(ours.entries), Joined(rewritten.entries)) << label << " as mkloc writes it";
}

const char kHeader[] =
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"Language: de\\n\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\n";

// -------------------------------------------------------------------------
// The reader.

TEST(PoReader, ReadsWhatTranslatorsToolsWriteAsGettextDoes) {
  Temp_Folder dir("po_reader_");
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"every kind of comment, previous strings, flags",
       std::string(kHeader) +
           "# translator's note\n"
           "#\n"
           "#  indented note\n"
           "#. extracted\n"
           "#.no space\n"
           "#: a.c:1 b.c:22\n"
           "#: c.c\n"
           "#, fuzzy, c-format\n"
           "#| msgctxt \"OLD\"\n"
           "#| msgid \"old\"\n"
           "#| \"er\"\n"
           "msgctxt \"K\"\n"
           "msgid \"text\"\n"
           "msgstr \"Text\"\n"},
      {"escapes and continued strings",
       std::string(kHeader) +
           "msgid \"tab\\tquote\\\" backslash\\\\ \\a\\b\\f\\v\\r octal \\101\\0101\\7 hex \\x41\\x4a4b\"\n"
           "msgstr \"\"\n"
           "\"line one\\n\"\n"
           "\"line two\"\n"
           "  \" and more\"\n"},
      {"plural forms and obsolete entries",
       std::string(kHeader) +
           "msgid \"file\"\n"
           "msgid_plural \"files\"\n"
           "msgstr[0] \"Datei\"\n"
           "msgstr [ 1 ] \"Dateien\"\n"
           "\n"
           "#~ msgid \"gone\"\n"
           "#~ msgstr \"\"\n"
           "#~ \"weg\"\n"
           "\n"
           "#, fuzzy\n"
           "#~| msgid \"older\"\n"
           "#~ msgctxt \"K\"\n"
           "#~ msgid \"gone too\"\n"
           "#~ msgstr \"auch weg\"\n"},
      {"layout: keywords on one line, comments after strings, a joined line",
       std::string(kHeader) +
           "msgid \"a\" msgstr \"b\" # goes with the next entry\n"
           "\tmsgctxt \"c\"\tmsgid \"d\\\n"
           "e\"\n"
           "msgstr \"\"\n"},
      {"CRLF line ends", "# note\r\nmsgid \"\"\r\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\r\n\r\n"
                         "#. where\r\n#, fuzzy\r\nmsgctxt \"K\"\r\nmsgid \"a\"\r\nmsgstr \"\"\r\n\"b\\n\"\r\n\"c\"\r\n"},
      {"byte order mark", "\xEF\xBB\xBF" + std::string(kHeader) + "msgid \"\xC3\xA9t\xC3\xA9\"\nmsgstr \"\xE5\xA4\x8F\"\n"},
      {"UTF-8 beyond the BMP, no header", "msgid \"\xF0\x9F\x98\x80\"\nmsgstr \"\xE2\x82\xAC\"\n"},
      {"empty file", ""},
      {"only comments", "# nothing\n#. here\n"},
  };
  for (const Case& c : cases) Expect_Read_As_Gettext(dir, c.name, c.text);
}

TEST(PoReader, RefusesBrokenFilesNamingTheLine) {
  Temp_Folder dir("po_broken_");
  struct Case {
    const char* name;
    std::string text;
    const char* error;
    bool gettextRefuses;  // false where mkloc is stricter, on purpose
  } cases[] = {
      {"unterminated string", "msgid \"a\nmsgstr \"b\"\n", "x.po:1: end of line inside a string (a closing \" is missing)",
       true},
      {"end of file in a string", "msgid \"a\"\nmsgstr \"b", "x.po:2: end of file inside a string (a closing \" is missing)",
       true},
      {"unknown escape", "msgid \"a\"\nmsgstr \"\\q\"\n",
       "x.po:2: invalid escape \\q (known: \\n \\t \\\" \\\\ \\a \\b \\f \\r \\v, octal, \\x hex)", true},
      {"hex escape without digits", "msgid \"a\"\nmsgstr \"\\xg\"\n", "x.po:2: invalid escape \\x: a hex digit must follow",
       true},
      {"unknown keyword", "msgid \"a\"\nmsgstring \"b\"\n", "x.po:2: unknown keyword \"msgstring\"", true},
      {"missing msgstr", "msgid \"a\"\n\nmsgid \"b\"\nmsgstr \"\"\n", "x.po:1: missing msgstr", true},
      {"comment inside an entry", "msgid \"a\"\n# note\nmsgstr \"b\"\n",
       "x.po:2: a comment line inside an entry: comments go before its msgctxt or msgid", true},
      {"msgstr alone", "\nmsgstr \"b\"\n", "x.po:2: msgstr without a msgid before it", true},
      {"msgstr[0] without msgid_plural", "msgid \"a\"\nmsgstr[0] \"b\"\n",
       "x.po:2: msgstr[N] without a msgid_plural before it", true},
      {"plural forms out of order", "msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[1] \"b\"\n",
       "x.po:3: msgstr[1] where msgstr[0] belongs", true},
      {"half obsolete", "msgid \"a\"\n#~ msgstr \"b\"\n",
       "x.po:2: inconsistent use of #~: part of the entry is marked obsolete, part is not", true},
      {"duplicate entry", "msgctxt \"K\"\nmsgid \"a\"\nmsgstr \"b\"\n\n#~ msgctxt \"K\"\n#~ msgid \"a\"\n#~ msgstr \"c\"\n",
       "x.po:6: a second entry for the same msgctxt and msgid (first at line 2)", true},
      {"not UTF-8", std::string(kHeader) + "msgid \"a\"\nmsgstr \"caf\xE9\"\n", "x.po:7: a string that is not valid UTF-8",
       true},
      {"EOT", "msgid \"a\\004\"\nmsgstr \"b\"\n",
       "x.po:1: the control character \\004 (EOT) in a string, which gettext refuses", true},
      {"stray character", "msgid \"a\"\nmsgstr \"b\"\n}\n", "x.po:3: syntax error: unexpected '}'", true},
      // gettext converts other charsets; mkloc asks for UTF-8.
      {"Latin-1 file",
       "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\nmsgid \"a\"\nmsgstr \"\xE9\"\n",
       "x.po:2: the header gives the charset \"ISO-8859-1\"; mkloc reads PO files in UTF-8 only (save the file as UTF-8, "
       "charset=UTF-8)",
       false},
      // gettext silently cuts a string at an escaped zero byte.
      {"escaped zero byte", "msgid \"a\"\nmsgstr \"b\\0c\"\n",
       "x.po:2: a zero byte (\\0) in a string; gettext would cut the string there", false},
      {"UTF-16 file", std::string("\0m\0s\0g", 6), "x.po:1: a zero byte in the file (is it UTF-16? save it as UTF-8)",
       true},
      // Several domains in one file: no translators' tool writes that for one language.
      {"domain line", "domain \"other\"\nmsgid \"a\"\nmsgstr \"b\"\n",
       "x.po:1: \"domain\" lines are not supported: a file holds the texts of one language", false},
  };
  for (const Case& c : cases) {
    Reading ours = Our_Reading("x.po", c.text);
    ASSERT_EQ(1u, ours.errors.size()) << c.name << ":\n" << Joined(ours.errors);
    EXPECT_EQ(c.error, ours.errors[0]) << c.name;
    std::string path = dir.File("x.po");
    ASSERT_EQ(1, Write_Bytes(path, c.text));
    Reading theirs = Gettext_Reading(path);
    EXPECT_EQ(c.gettextRefuses, !theirs.errors.empty()) << c.name << ":\n" << Joined(theirs.errors);
  }
}

// -------------------------------------------------------------------------
// Export and import in memory, on the shipped texts.

struct Exported {
  std::string source;
  std::vector<Po_Output> files;
  const std::string& Text(const std::string& file) const {
    for (const Po_Output& f : files)
      if (f.file == file) return f.text;
    static const std::string none;
    ADD_FAILURE() << "no " << file;
    return none;
  }
};

Exported Export_Shipped() {
  Exported e;
  e.source = Read_All(Source_Path());
  Loc_Messages msgs;
  EXPECT_TRUE(Loc_Export_Po("engine_loc.txt", e.source.data(), e.source.size(), "2024-05-01 12:00+0000", &e.files,
                            &msgs))
      << Joined(msgs.errors);
  EXPECT_TRUE(msgs.warnings.empty()) << Joined(msgs.warnings);
  return e;
}

struct Imported {
  bool ok = false;
  std::string merged;
  Loc_Messages msgs;
  std::vector<std::string> notes;
};

Imported Import(const std::string& source, const std::vector<Po_Input>& inputs) {
  Imported r;
  r.ok = Loc_Import_Po("engine_loc.txt", source.data(), source.size(), inputs, "new.txt", &r.merged, &r.msgs, &r.notes);
  return r;
}

std::vector<Po_Input> All_Inputs(const Exported& e) {
  std::vector<Po_Input> inputs;
  size_t count;
  const Po_Language* langs = Po_Languages(&count);
  for (size_t i = 0; i < count; i++) inputs.push_back(Po_Input{langs[i].code, langs[i].file, e.Text(langs[i].file)});
  return inputs;
}

// The line of the msgstr keyword of the entry that holds text at its position.
int Msgstr_Line(const std::string& file, size_t at) {
  int line = 1;
  int msgstr = 0;
  for (size_t i = 0; i < at && i < file.size(); i++) {
    if (i == 0 || file[i - 1] == '\n') {
      if (file.compare(i, 6, "msgstr") == 0) msgstr = line;
    }
    if (file[i] == '\n') line++;
  }
  return msgstr;
}

TEST(PoImport, RefusesEachTranslationTheProgramCouldNotShow) {
  Exported shipped = Export_Shipped();
  Temp_Folder dir("po_refuse_");
  std::string longJapanese;
  for (int i = 0; i < 256; i++) longJapanese += "\xE4\xB8\x80";  // 一: 2 bytes each in 932
  struct Case {
    const char* file;
    std::string from, to;
    const char* error;  // after "FILE:LINE: ", LINE that of the changed entry's msgstr
    bool gettextReads;
  } cases[] = {
      {"de.po", "msgstr \"Abbrechen\"", "msgstr \"\xEC\xB7\xA8\xEC\x86\x8C\"",
       "MSG_BUTTON_CANCEL: U+CDE8 '\xEC\xB7\xA8' is not in code page 1252 (Western European), which German texts use", true},
      {"ko.po", "msgstr \"\xEC\xB7\xA8\xEC\x86\x8C\"", "msgstr \"\xE0\xB8\x81\"",
       "MSG_BUTTON_CANCEL: U+0E01 '\xE0\xB8\x81' is not in code page 949 (Korean), which Korean texts use", true},
      {"de.po", "msgstr \"Die Handb", "msgstr \"" + std::string(511 - 81, 'x') + "Die Handb",
       "MSG_MESSAGE_NODOCINI2: the translation is 511 bytes in code page 1252 (a line break counts 2); the program reads "
       "at most 510",
       true},
      {"ja.po", "msgstr \"\xE3\x82\xAD\xE3\x83\xA3", "msgstr \"" + longJapanese + "\xE3\x82\xAD\xE3\x83\xA3",
       "MSG_BUTTON_CANCEL: the translation is 522 bytes in code page 932 (a line break counts 2); the program reads at "
       "most 510",
       true},
      {"fr.po", "Ins\xC3\xA9rez le disque \\\"^0\\\" et", "Ins\xC3\xA9rez le disque et",
       "MSG_MESSAGE_INSERTCD: the translation drops the placeholder ^0 of the English text", true},
      {"es.po", "msgstr \"Cancelar\"", "msgstr \"Cancelar ^1\"",
       "MSG_BUTTON_CANCEL: the translation adds the placeholder ^1, which the English text does not have", true},
      {"it.po", "msgstr \"Annulla\"", "msgstr \"Ann\\\\nulla\"",
       "MSG_BUTTON_CANCEL: the translation holds a backslash followed by n, which the program would show as a line "
       "break; write a line break instead",
       true},
      {"pt.po", "msgstr \"Cancelar\"", "msgstr \"Cancelar^^\"",
       "MSG_BUTTON_CANCEL: the translation holds two carets side by side (^^), the mark that ends a text", true},
      {"de.po", "msgstr \"OK\"", "msgstr \"OK\\r\"",
       "MSG_BUTTON_OK: the translation ends in a carriage return, which a source line cannot keep", true},
      // mkloc's own checks on the merged source, placed back at the PO line:
      // 表 is 95 5C in Shift-JIS, so with an n after it the program shows a line break;
      {"ja.po", "msgstr \"\xE3\x82\xAD\xE3\x83\xA3", "msgstr \"\xE8\xA1\xA8n\xE3\x82\xAD\xE3\x83\xA3",
       "MSG_BUTTON_CANCEL JPN text would show its line breaks differently: a character's bytes in code page 932 form "
       "\"\\n\"",
       true},
      // タ is 83 5E: with a digit after it, a placeholder.
      {"ja.po", "msgstr \"\xE3\x82\xAD\xE3\x83\xA3", "msgstr \"\xE3\x82\xBF" "1\xE3\x82\xAD\xE3\x83\xA3",
       "MSG_BUTTON_CANCEL JPN text would show its placeholders differently: a character's bytes in code page 932 form "
       "\"^\" and a digit",
       true},
      // ... and what the user would see: a need-reader text that makes the offer pass 255 bytes.
      {"de.po", "msgstr \"M\xC3\xB6" "chten Sie", "msgstr \"Bitte, " + std::string(100, 'x') + " M\xC3\xB6" "chten Sie",
       "GER: the reader offer (need-reader text, blank line, install question) is 270 bytes; the prompt shows 255 "
       "and cuts it after \"\xE2\x80\xA6 den PDF-Reader jetz\"",
       true},
      {"th.po", "msgid \"OK\"\nmsgstr \"", "msgid \"OK\"\nmsgid_plural \"OKs\"\nmsgstr[0] \"",
       "MSG_BUTTON_OK: plural forms (msgid_plural), which the program's texts do not have", true},
      {"zh_TW.po", "charset=UTF-8", "charset=Big5",
       "the header gives the charset \"Big5\"; mkloc reads PO files in UTF-8 only (save the file as UTF-8, "
       "charset=UTF-8)",
       false},
      {"de.po", "msgstr \"OK\"", "msgstr \"OK", "end of line inside a string (a closing \" is missing)", false},
  };
  for (const Case& c : cases) {
    std::vector<Po_Input> inputs = All_Inputs(shipped);
    Po_Input* in = nullptr;
    for (Po_Input& i : inputs)
      if (i.name == c.file) in = &i;
    ASSERT_NE(nullptr, in) << c.file;
    size_t at = in->bytes.find(c.from);
    ASSERT_NE(std::string::npos, at) << c.file << ": " << c.from;
    in->bytes.replace(at, c.from.size(), c.to);
    int line = Msgstr_Line(in->bytes, at + c.to.size());
    if (c.gettextReads) Expect_Read_As_Gettext(dir, c.error, in->bytes);

    Imported r = Import(shipped.source, inputs);
    EXPECT_FALSE(r.ok) << c.error;
    EXPECT_TRUE(r.merged.empty()) << c.error;
    // The first error names the problem; mkloc's checks may add what follows from it, at the same line.
    std::string place = std::string(c.file) + ":" + std::to_string(line) + ": ";
    ASSERT_FALSE(r.msgs.errors.empty()) << c.error;
    EXPECT_EQ(place + c.error, r.msgs.errors[0]);
    for (const std::string& e : r.msgs.errors) EXPECT_EQ(0u, e.find(place)) << e;
  }
}

TEST(PoImport, SkipsStaleAndFuzzyEntriesWithAWarningAndListsTheUntranslated) {
  Exported shipped = Export_Shipped();
  Temp_Folder dir("po_stale_");
  std::vector<Po_Input> inputs = All_Inputs(shipped);
  Po_Input& de = inputs[2];
  ASSERT_EQ("de.po", de.name);
  struct Edit {
    const char* from;
    const char* to;
  } edits[] = {
      {"msgctxt \"MSG_BUTTON_OK\"", "msgctxt \"MSG_BUTTON_GONE\""},
      {"msgid \"Cancel\"", "msgid \"Cancel it\""},
      {"msgctxt \"MSG_MESSAGE_NODOCINI2\"", "#, fuzzy\nmsgctxt \"MSG_MESSAGE_NODOCINI2\""},
      {"msgstr \"M\xC3\xB6" "chten Sie den PDF-Reader jetzt installieren?\"", "msgstr \"\""},
      {"Language: de", "Language: fr_FR"},
  };
  for (const Edit& e : edits) {
    size_t at = de.bytes.find(e.from);
    ASSERT_NE(std::string::npos, at) << e.from;
    de.bytes.replace(at, strlen(e.from), e.to);
  }
  de.bytes += "\nmsgid \"no key\"\nmsgstr \"kein Schl\xC3\xBCssel\"\n\n#~ msgctxt \"MSG_OLD\"\n#~ msgid \"x\"\n#~ msgstr \"y\"\n";
  Expect_Read_As_Gettext(dir, "stale de.po", de.bytes);

  Imported r = Import(shipped.source, inputs);
  ASSERT_TRUE(r.ok) << Joined(r.msgs.errors);
  auto line_of = [&](const char* text) { return std::to_string(Msgstr_Line(de.bytes, de.bytes.find(text) + 1)); };
  std::vector<std::string> want = {
      "de.po:" + line_of("msgstr \"\"\n\"Project") + ": warning: the header says Language: fr_FR, but the file's name "
                                                      "makes it the GER (German) texts; read as German",
      "de.po:" + line_of("msgstr \"OK\"") + ": warning: MSG_BUTTON_GONE is not in engine_loc.txt (obsolete): not imported",
      "de.po:" + line_of("msgstr \"Abbrechen\"") + ": warning: MSG_BUTTON_CANCEL: its English text is not the one "
                                                   "engine_loc.txt holds now (obsolete): not imported, the source's GER text is kept",
      "de.po:" + line_of("msgstr \"Die Handb") + ": warning: MSG_MESSAGE_NODOCINI2 is marked fuzzy: skipped, the "
                                                 "source's GER text is kept",
      "de.po:" + line_of("msgstr \"kein") + ": warning: an entry without msgctxt (the key) is not a text of "
                                            "engine_loc.txt (obsolete): not imported",
  };
  EXPECT_EQ(Joined(want), Joined(r.msgs.warnings));
  // A skipped entry, or one the file lacks (the renamed OK), keeps the
  // source's text; only the emptied one falls back to English.
  EXPECT_EQ("de.po: untranslated, English shown: MSG_MESSAGE_INSTALLNOW (its GER text in the source is dropped)\n"
            "de.po: not in the file: MSG_BUTTON_OK (the source's GER text is kept)\n",
            Joined(r.notes));

  // The source without the emptied GER line, and nothing else changed.
  std::string want_source = shipped.source;
  for (const char* line : {"GER: M\xC3\xB6" "chten Sie den PDF-Reader jetzt installieren?\n"}) {
    size_t at = want_source.find(line);
    ASSERT_NE(std::string::npos, at) << line;
    want_source.erase(at, strlen(line));
  }
  EXPECT_EQ(want_source, r.merged);
}

TEST(PoImport, MergesIntoTheSourceKeepingItsLayout) {
  // A byte order mark, CRLF lines, comments, a language listed before
  // English, an empty text, a last line without a line end.
  const std::string source =
      "\xEF\xBB\xBF# Texts\r\n"
      "\r\n"
      "[MSG_A]\r\n"
      "ENG: Alpha\r\n"
      "TAI: x\r\n"
      "# a comment inside\r\n"
      "\r\n"
      "[MSG_B]\n"
      "FRA: ancien\n"
      "ENG: Line\\nbreak\n"
      "GER:\n"
      "[MSG_MESSAGE_INSERTCD]\n"
      "ENG: c ^0";
  auto po = [](const char* language, const std::string& entries) {
    return "msgid \"\"\nmsgstr \"\"\n\"Language: " + std::string(language) +
           "\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries;
  };
  std::vector<Po_Input> inputs = {
      {"FRA", "fr.po",
       po("fr", "msgctxt \"MSG_A\"\nmsgid \"Alpha\"\nmsgstr \"Alpha fr\"\n\n"
          "msgctxt \"MSG_B\"\nmsgid \"\"\n\"Line\\n\"\n\"break\"\nmsgstr \"Ligne\\nbreak\"\n")},
      {"GER", "de.po",
       po("de", "msgctxt \"MSG_A\"\nmsgid \"Alpha\"\nmsgstr \"Alpha de\"\n\n"
          "msgctxt \"MSG_B\"\nmsgid \"Line\\nbreak\"\nmsgstr \"\"\n\n"
          "msgctxt \"MSG_MESSAGE_INSERTCD\"\nmsgid \"c ^0\"\nmsgstr \"c de ^0\"\n")},
      {"SPN", "es.po", po("es", "msgctxt \"MSG_A\"\nmsgid \"Alpha\"\nmsgstr \"\"\n")},
      {"TAI", "th.po", po("th", "")},
  };
  Temp_Folder dir("po_merge_");
  for (const Po_Input& in : inputs) Expect_Read_As_Gettext(dir, in.name, in.bytes);

  Imported r = Import(source, inputs);
  ASSERT_TRUE(r.ok) << Joined(r.msgs.errors);
  EXPECT_TRUE(r.msgs.warnings.empty()) << Joined(r.msgs.warnings);
  EXPECT_EQ("\xEF\xBB\xBF# Texts\r\n"
            "\r\n"
            "[MSG_A]\r\n"
            "ENG: Alpha\r\n"
            "FRA: Alpha fr\r\n"
            "GER: Alpha de\r\n"
            "TAI: x\r\n"
            "# a comment inside\r\n"
            "\r\n"
            "[MSG_B]\n"
            "FRA: Ligne\\nbreak\n"
            "ENG: Line\\nbreak\n"
            "GER:\n"
            "[MSG_MESSAGE_INSERTCD]\n"
            "ENG: c ^0\n"
            "GER: c de ^0",
            r.merged);
  EXPECT_EQ("fr.po: not in the file: MSG_MESSAGE_INSERTCD\n"
            "de.po: untranslated, English shown: MSG_B\n"
            "es.po: untranslated, English shown: MSG_A\n"
            "es.po: not in the file: MSG_B, MSG_MESSAGE_INSERTCD\n"
            "th.po: not in the file: MSG_A (the source's TAI text is kept), MSG_B, MSG_MESSAGE_INSERTCD\n",
            Joined(r.notes));

  // A refused source is named before any PO file is read.
  Imported refused = Import("[MSG_A]\nFRA: x\n", inputs);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ("engine_loc.txt:1: MSG_A has no ENG text\nengine_loc.txt: mkloc refuses this source; fix it first\n",
            Joined(refused.msgs.errors));
}

// -------------------------------------------------------------------------
// The mkloc program, as an author runs it.

struct Run_Result {
  int status;
  std::string out, err;
};

Run_Result Run_Command(const std::string& command) {
  Temp_Folder logs("po_run_");
  std::string cmd = command + " >" + logs.File("out") + " 2>" + logs.File("err");
  int raw = system(cmd.c_str());
  return Run_Result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read_All(logs.File("out")), Read_All(logs.File("err"))};
}

std::string Mkloc(const std::string& args) { return std::string(DV_MKLOC) + " " + args; }

const char* const kFiles[] = {"es.po", "fr.po", "de.po", "it.po", "ja.po", "ko.po", "zh_TW.po", "pt.po", "th.po"};

TEST(PoProgram, ExportCheckImportGivesTheSameStringFile) {
  Temp_Folder dir("po_trip_");
  std::string po = dir.File("po");
  Run_Result exported = Run_Command(Mkloc("--export-po " + Source_Path() + " " + po));
  ASSERT_EQ(0, exported.status) << exported.err;
  EXPECT_EQ("mkloc: wrote 10 files to " + po + ": es.po fr.po de.po it.po ja.po ko.po zh_TW.po pt.po th.po engine_loc.pot\n",
            exported.out);
  EXPECT_EQ("", exported.err);

  struct Header {
    const char* file;
    const char* language;
    const char* plural;
  } headers[] = {
      {"es.po", "es", "nplurals=2; plural=(n != 1);"}, {"fr.po", "fr", "nplurals=2; plural=(n > 1);"},
      {"de.po", "de", "nplurals=2; plural=(n != 1);"}, {"it.po", "it", "nplurals=2; plural=(n != 1);"},
      {"ja.po", "ja", "nplurals=1; plural=0;"},         {"ko.po", "ko", "nplurals=1; plural=0;"},
      {"zh_TW.po", "zh_TW", "nplurals=1; plural=0;"},   {"pt.po", "pt", "nplurals=2; plural=(n != 1);"},
      {"th.po", "th", "nplurals=1; plural=0;"},         {"engine_loc.pot", "", nullptr},
  };
  for (const Header& h : headers) {
    std::string path = po + "/" + h.file;
    Run_Result check = Run_Command("msgfmt --check -o /dev/null " + path);
    EXPECT_EQ(0, check.status) << h.file << "\n" << check.err;
    // A template's Language stays empty, which msgfmt notes (as for any template).
    std::string expected = h.plural ? "" : path + ":5: warning: header field 'Language' still has the initial default value\n";
    EXPECT_EQ(expected, check.err) << h.file;

    std::string text = Read_All(path);
    Expect_Read_As_Gettext(dir, h.file, text);
    Po_File file;
    std::vector<std::string> errors;
    ASSERT_TRUE(Po_Read(h.file, text.data(), text.size(), &file, &errors));
    ASSERT_EQ(0, file.header);
    std::string value;
    const std::string& header = file.entries[0].msgstr[0];
    EXPECT_TRUE(Po_Header_Field(header, "Language", &value) && value == h.language) << h.file;
    EXPECT_TRUE(Po_Header_Field(header, "Content-Type", &value) && value == "text/plain; charset=UTF-8") << h.file;
    EXPECT_EQ(h.plural != nullptr, Po_Header_Field(header, "Plural-Forms", &value)) << h.file;
    if (h.plural) EXPECT_EQ(h.plural, value) << h.file;
    EXPECT_EQ(8u, file.entries.size()) << h.file;  // the header and the seven texts
  }

  // One entry as a translator sees it.
  std::string de = Read_All(po + "/de.po");
  EXPECT_NE(std::string::npos,
            de.find("#. Where: the prompt asking for the disc when the PDF reader's installer cannot\n"
                    "#. be started (OK tries again, Cancel gives up).\n"
                    "#. Placeholder: ^0 is replaced by the disc's name, \"Installation (v1.5 or\n"
                    "#. greater)\"; keep ^0, once. Filled in, the text must stay under 256\n"
                    "#. characters: at most 227 without the name, a line break counting 1.\n"
                    "#. Code page 1252 (Western European): only its characters; at most 510\n"
                    "#. characters, a line break counting 2.\n"
                    "#: engine_loc.txt:93\n"
                    "msgctxt \"MSG_MESSAGE_INSERTCD\"\n"
                    "msgid \"\"\n"
                    "\"The PDF reader's installer could not be started.\\n\"\n"
                    "\"Insert the disc \\\"^0\\\" and press OK to try again.\"\n"
                    "msgstr \"\"\n"
                    "\"Das Installationsprogramm des PDF-Readers konnte nicht gestartet werden.\\n\"\n"))
      << de;

  std::string merged = dir.File("new.txt");
  Run_Result imported = Run_Command(Mkloc("--import-po " + Source_Path() + " " + po + " -o " + merged));
  ASSERT_EQ(0, imported.status) << imported.err;
  EXPECT_EQ("", imported.err);
  EXPECT_EQ(Read_All(Source_Path()), Read_All(merged));
  ASSERT_EQ(0, Run_Command(Mkloc(Source_Path() + " " + dir.File("A.LOC"))).status);
  ASSERT_EQ(0, Run_Command(Mkloc(merged + " " + dir.File("B.LOC"))).status);
  EXPECT_EQ(Read_All(dir.File("A.LOC")), Read_All(dir.File("B.LOC")));

  // Translators' files in the folder are never written over.
  Run_Result again = Run_Command(Mkloc("--export-po " + Source_Path() + " " + po));
  EXPECT_EQ(1, again.status);
  EXPECT_NE(std::string::npos, again.err.find("already holds es.po fr.po de.po it.po ja.po ko.po zh_TW.po pt.po th.po"))
      << again.err;
}

TEST(PoProgram, ImportRefusesOrKeepsWhatIsNotThere) {
  Temp_Folder dir("po_partial_");
  std::string po = dir.File("po");
  ASSERT_EQ(0, Run_Command(Mkloc("--export-po " + Source_Path() + " " + po)).status);
  for (const char* f : kFiles)
    if (strcmp(f, "de.po") != 0) remove((po + "/" + f).c_str());

  // One broken text: nothing written, not even over an old file.
  std::string de = Read_All(po + "/de.po");
  std::string good = de;
  size_t at = de.find("msgstr \"Abbrechen\"");
  ASSERT_NE(std::string::npos, at);
  de.replace(at, 18, "msgstr \"Abbrechen ^0\"");
  ASSERT_EQ(1, Write_Bytes(po + "/de.po", de));
  std::string merged = dir.File("new.txt");
  ASSERT_EQ(1, Write_Bytes(merged, "old"));
  Run_Result refused = Run_Command(Mkloc("--import-po " + Source_Path() + " " + po + " -o " + merged));
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ(po + "/de.po:" + std::to_string(Msgstr_Line(de, at + 1)) +
                ": MSG_BUTTON_CANCEL: the translation adds the placeholder ^0, which the English text does not have\n"
                "mkloc: " + merged + " not written\n",
            refused.err);
  EXPECT_EQ("old", Read_All(merged));

  // Only de.po: the other languages keep their texts, and say so.
  ASSERT_EQ(1, Write_Bytes(po + "/de.po", good));
  Run_Result partial = Run_Command(Mkloc("--import-po " + Source_Path() + " " + po + " -o " + merged));
  ASSERT_EQ(0, partial.status) << partial.err;
  EXPECT_NE(std::string::npos, partial.out.find("mkloc: no ja.po (JPN) in " + po + ": its texts stay as they are\n"))
      << partial.out;
  EXPECT_EQ(Read_All(Source_Path()), Read_All(merged));

  remove((po + "/de.po").c_str());
  Run_Result none = Run_Command(Mkloc("--import-po " + Source_Path() + " " + po + " -o " + merged));
  EXPECT_EQ(1, none.status);
  EXPECT_NE(std::string::npos, none.err.find("holds none of the PO files")) << none.err;

  EXPECT_EQ(2, Run_Command(Mkloc("--import-po " + dir.File("missing.txt") + " " + po + " -o " + merged)).status);
  EXPECT_EQ(2, Run_Command(Mkloc("--import-po " + Source_Path() + " " + po + " " + merged)).status);  // no -o: usage
}

TEST(PoProgram, ExportGivesEveryLanguageAFileEvenWithoutTexts) {
  Temp_Folder dir("po_english_");
  std::string source = dir.File("english.txt");
  // A placeholder the program never fills is refused before translators see it.
  ASSERT_EQ(1, Write_Bytes(source, "[MSG_BUTTON_OK]\nENG: OK\n\n[MSG_OWN]\nENG: Disc ^0, part ^1\n"));
  Run_Result refused = Run_Command(Mkloc("--export-po " + source + " " + dir.File("refused")));
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.err.find(source + ":5: MSG_OWN ENG text holds ^0")) << refused.err;
  ASSERT_EQ(1, Write_Bytes(source, "[MSG_BUTTON_OK]\nENG: OK\n\n[MSG_OWN]\nENG: Disc, part\n"));
  Run_Result exported = Run_Command(Mkloc("--export-po " + source + " " + dir.File("po")));
  ASSERT_EQ(0, exported.status) << exported.err;
  for (const char* f : kFiles) {
    std::string text = Read_All(dir.File("po") + "/" + f);
    Expect_Read_As_Gettext(dir, f, text);
    Po_File file;
    std::vector<std::string> errors;
    ASSERT_TRUE(Po_Read(f, text.data(), text.size(), &file, &errors));
    ASSERT_EQ(3u, file.entries.size()) << f;
    for (size_t i = 1; i < file.entries.size(); i++) EXPECT_EQ("", file.entries[i].msgstr[0]) << f;
    EXPECT_EQ("Where: a text of this disc's own; DOCVIEW.EXE itself does not show it.\n",
              file.entries[2].extracted.substr(0, file.entries[2].extracted.find("Code page")));
  }
}

}  // namespace
