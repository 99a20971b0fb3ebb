// mkloc's core: source parsing, building, and reading a string file back
// through the program's own reading code (strrez_read.h; see locfile.h).
#include "locfile.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <memory>

#include "codepage.h"
#include "strfile_writer.h"
#include "strrez/strrez_read.h"

namespace {

const size_t kMaxTextBytes = STR_MAX_TEXT;
const size_t kMaxTokenBytes = STR_MAX_TOKEN;

struct Code_Row {
  const char* code;
  int codePage;
};
const Code_Row kCodes[] = {
    {"ENG", 1252}, {"SPN", 1252}, {"FRA", 1252}, {"GER", 1252}, {"ITL", 1252},
    {"JPN", 932},  {"KOR", 949},  {"MAN", 950},  {"PRT", 1252}, {"TAI", 874},
};

std::string Line_Prefix(const std::string& name, int line) {
  return name + ":" + std::to_string(line) + ": ";
}

std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127) {
      out += (char)c;
    } else {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

bool All_Digits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Checks that the program reads these code-page bytes as the author's text:
// end mark, zero byte, length, and that line breaks and placeholders fall
// where the author put them (a double-byte character may end in a backslash
// or a caret). utf8 is the author's text. Problems go to errors.
void Text_Problems(int codePage, const std::string& utf8, const std::string& bytes,
                   const std::string& what, std::vector<std::string>* errors) {
  if (bytes.find('\0') != std::string::npos)
    errors->push_back(what + "holds a zero byte; the program would cut the text there");
  if (bytes.find("^^") != std::string::npos)
    errors->push_back(what + "holds two carets side by side, the mark that ends a text");
  if (bytes.size() > kMaxTextBytes) {
    errors->push_back(what + "is " + std::to_string(bytes.size()) + " bytes in code page " +
                      std::to_string(codePage) + "; the program reads at most " +
                      std::to_string(kMaxTextBytes));
    return;
  }
  std::string expanded = Loc_Expanded(bytes);
  // Line feeds are ASCII in every one of these code pages, so the counts
  // differ exactly when a character's bytes start or swallow a "\n".
  std::string meant = Loc_Expanded(utf8);
  if (std::count(meant.begin(), meant.end(), '\n') != std::count(expanded.begin(), expanded.end(), '\n'))
    errors->push_back(what + "would show its line breaks differently: a character's bytes "
                      "in code page " + std::to_string(codePage) + " form \"\\n\"");
  if (Loc_Placeholder_Digits(bytes) != Loc_Placeholder_Digits(utf8))
    errors->push_back(what + "would show its placeholders differently: a character's bytes "
                      "in code page " + std::to_string(codePage) + " form \"^\" and a digit");
}

// Names the first character of a UTF-8 text that the code page cannot hold:
// each character is converted on its own, so the name does not depend on how
// the converter reports a failure.
std::string Unrepresentable(int codePage, const std::string& utf8) {
  std::string first;
  unsigned long firstCode = 0;
  int others = 0;
  for (size_t i = 0; i < utf8.size();) {
    unsigned long code = 0;
    size_t n = Loc_Utf8_Char((const unsigned char*)utf8.data() + i, utf8.size() - i, &code);
    if (n == 0) break;  // the text was found valid UTF-8 before
    std::string ch = utf8.substr(i, n), bytes;
    i += n;
    if (Cp_From_Utf8(codePage, ch, &bytes)) continue;
    if (!first.empty()) {
      others++;
      continue;
    }
    first = ch;
    firstCode = code;
  }
  std::string cp = std::to_string(codePage);
  if (first.empty()) return "holds characters that code page " + cp + " cannot represent";
  char code[16];
  snprintf(code, sizeof code, "U+%04lX", firstCode);
  bool visible = firstCode >= 0x20 && !(firstCode >= 0x7F && firstCode < 0xA0);
  std::string message = "holds " + std::string(code) + (visible ? " '" + first + "'" : "");
  if (others) message += " (and " + std::to_string(others) + " more such character" + (others > 1 ? "s" : "") + ")";
  return message + ", which code page " + cp + " cannot represent";
}

bool Key_Char_Ok(unsigned char c) { return c > 32 && c < 127 && !(c >= 'a' && c <= 'z'); }

}  // namespace

std::vector<std::string> Loc_Codes() {
  std::vector<std::string> codes;
  for (const Code_Row& row : kCodes) codes.push_back(row.code);
  return codes;
}

int Loc_Code_Page(const std::string& code) {
  for (const Code_Row& row : kCodes)
    if (code == row.code) return row.codePage;
  return 0;
}

std::string Loc_Expanded(const std::string& text) {
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  Str_Expand_Newlines(buf.data());
  return buf.data();
}

size_t Loc_Utf8_Char(const unsigned char* s, size_t n, unsigned long* codePoint) {
  if (n == 0) return 0;
  unsigned char c = s[0];
  size_t len;
  unsigned long cp;
  if (c < 0x80) { len = 1; cp = c; }
  else if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1Fu; }
  else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0Fu; }
  else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07u; }
  else return 0;
  if (len > n) return 0;
  for (size_t k = 1; k < len; k++) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[k] & 0x3Fu);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  if (codePoint) *codePoint = cp;
  return len;
}

bool Loc_Valid_Utf8(const std::string& s) {
  for (size_t i = 0, n; i < s.size(); i += n)
    if ((n = Loc_Utf8_Char((const unsigned char*)s.data() + i, s.size() - i, nullptr)) == 0) return false;
  return true;
}

std::string Loc_Placeholder_Digits(const std::string& text) {
  std::string digits;
  for (const char* p = Str_Next_Placeholder(text.c_str()); p; p = Str_Next_Placeholder(p + 2))
    digits += p[1];
  return digits;
}

const Loc_Text* Loc_Meant_Text(const Loc_Entry& e, const std::string& code) {
  const Loc_Text* own = nullptr;
  const Loc_Text* eng = nullptr;
  for (const Loc_Text& t : e.texts) {
    if (t.code == code && !own) own = &t;
    if (t.code == "ENG" && !eng) eng = &t;
  }
  return own && !own->bytes.empty() ? own : eng;
}

bool Loc_Parse_Source(const std::string& name, const char* data, size_t size,
                      std::vector<Loc_Entry>* entries, Loc_Messages* msgs) {
  entries->clear();
  size_t before = msgs->errors.size();
  std::map<std::string, int> keyLines;
  size_t pos = 0;
  int line = 0;
  if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) pos = 3;  // editors' byte order mark
  while (pos < size) {
    line++;
    const char* nl = (const char*)memchr(data + pos, '\n', size - pos);
    size_t end = nl ? (size_t)(nl - data) : size;
    std::string text(data + pos, end - pos);
    pos = nl ? end + 1 : size;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::string where = Line_Prefix(name, line);

    size_t firstNonBlank = text.find_first_not_of(" \t");
    if (firstNonBlank == std::string::npos || text[0] == '#') continue;

    if (text[0] == '[') {
      size_t last = text.find_last_not_of(" \t");
      if (text[last] != ']') {
        msgs->errors.push_back(where + "a key line must end with \"]\"");
        continue;
      }
      Loc_Entry e;
      e.key = text.substr(1, last - 1);
      e.line = line;
      bool ok = true;
      if (e.key.empty()) {
        msgs->errors.push_back(where + "empty key");
        ok = false;
      } else if (e.key.size() > kMaxTokenBytes) {
        msgs->errors.push_back(where + "key is " + std::to_string(e.key.size()) +
                               " characters; the program reads at most " +
                               std::to_string(kMaxTokenBytes));
        ok = false;
      } else {
        for (unsigned char c : e.key) {
          if (Key_Char_Ok(c)) continue;
          msgs->errors.push_back(where + "key \"" + Printable(e.key) + "\" " +
                                 (c >= 'a' && c <= 'z' ? "has lower-case letters; keys are upper case"
                                                       : "may hold only visible ASCII characters, no spaces"));
          ok = false;
          break;
        }
      }
      if (ok && keyLines.count(e.key)) {
        msgs->errors.push_back(where + "duplicate key " + e.key + " (first at line " +
                               std::to_string(keyLines[e.key]) + ")");
        ok = false;
      }
      if (ok) keyLines[e.key] = line;
      // A refused key still opens an entry, so its texts are not blamed on the previous one.
      entries->push_back(e);
      if (!ok) entries->back().key.clear();
      continue;
    }

    if (text.size() < 4 || text[3] != ':' || (text.size() > 4 && text[4] != ' ')) {
      msgs->errors.push_back(where + "expected \"[KEY]\", \"CODE: text\", a comment or a blank line");
      continue;
    }
    Loc_Text t;
    t.code = text.substr(0, 3);
    t.utf8 = text.size() > 5 ? text.substr(5) : std::string();
    t.line = line;
    int codePage = Loc_Code_Page(t.code);
    if (!codePage) {
      msgs->errors.push_back(where + "unknown language code \"" + Printable(t.code) +
                             "\" (known: ENG SPN FRA GER ITL JPN KOR MAN PRT TAI)");
      continue;
    }
    if (entries->empty()) {
      msgs->errors.push_back(where + t.code + " text before the first [KEY]");
      continue;
    }
    Loc_Entry& e = entries->back();
    if (e.key.empty()) continue;  // its key was refused already
    bool duplicate = false;
    for (const Loc_Text& other : e.texts)
      if (other.code == t.code) {
        msgs->errors.push_back(where + e.key + " has a second " + t.code + " text (first at line " +
                               std::to_string(other.line) + ")");
        duplicate = true;
      }
    if (duplicate) continue;
    std::string what = where + e.key + " " + t.code + " text ";
    if (t.utf8.find('\0') != std::string::npos) {
      msgs->errors.push_back(what + "holds a zero byte; the program would cut the text there");
      continue;
    }
    if (!Loc_Valid_Utf8(t.utf8)) {
      msgs->errors.push_back(what + "is not valid UTF-8");
      continue;
    }
    if (!Cp_From_Utf8(codePage, t.utf8, &t.bytes)) {
      msgs->errors.push_back(what + Unrepresentable(codePage, t.utf8));
      continue;
    }
    if (t.code == "ENG" && t.bytes.empty()) {
      // Every language without a text of its own falls back to this one.
      msgs->errors.push_back(what + "is empty");
      continue;
    }
    Text_Problems(codePage, t.utf8, t.bytes, what, &msgs->errors);
    e.texts.push_back(t);
  }

  for (const Loc_Entry& e : *entries) {
    if (e.key.empty()) continue;
    bool hasEng = false;
    for (const Loc_Text& t : e.texts) hasEng |= t.code == "ENG";
    if (!hasEng) msgs->errors.push_back(Line_Prefix(name, e.line) + e.key + " has no ENG text");
  }
  if (entries->empty() && msgs->errors.size() == before)
    msgs->errors.push_back(name + ": no [KEY] entries");
  return msgs->errors.size() == before;
}

bool Loc_Build(const std::string& name, const std::vector<Loc_Entry>& entries,
               std::string* file, Loc_Messages* msgs) {
  file->clear();
  size_t n = entries.size();
  if (n == 0) {
    msgs->errors.push_back(name + ": no [KEY] entries");
    return false;
  }
  // A key is found at its first occurrence anywhere in the index. Keys inside
  // other keys go first; so do keys that could be read inside a language code
  // or a number, which every entry holds.
  std::vector<int> early(n, 0);
  for (size_t i = 0; i < n; i++) {
    early[i] = All_Digits(entries[i].key);
    for (const Code_Row& row : kCodes)
      if (strstr(row.code, entries[i].key.c_str())) early[i] = 1;
  }
  std::vector<bool> placed(n, false);
  std::vector<size_t> order;
  while (order.size() < n) {
    size_t best = n;
    for (size_t i = 0; i < n; i++) {
      if (placed[i]) continue;
      bool ready = true;
      for (size_t j = 0; j < n && ready; j++)
        if (!placed[j] && j != i && entries[i].key.find(entries[j].key) != std::string::npos) ready = false;
      if (ready && (best == n || early[i] > early[best])) best = i;
    }
    if (best == n) {  // only with duplicate keys, which the parser refuses
      msgs->errors.push_back(name + ": keys cannot be ordered (duplicates?)");
      return false;
    }
    placed[best] = true;
    order.push_back(best);
  }

  StrFile f;
  std::map<std::string, long> shared;  // identical texts are stored once
  std::vector<Loc_Entry> expected;
  for (size_t i : order) {
    const Loc_Entry& src = entries[i];
    Loc_Entry e;
    e.key = src.key;
    e.line = src.line;
    for (int pass = 0; pass < 2; pass++)
      for (const Loc_Text& t : src.texts)
        if ((pass == 0) == (t.code == "ENG")) e.texts.push_back(t);
    f.Key(e.key);
    for (Loc_Text& t : e.texts) {
      auto it = shared.find(t.bytes);
      if (it != shared.end()) {
        t.offset = it->second;
        f.Pair(t.code, t.offset);
      } else {
        t.offset = f.Next_Offset();
        shared[t.bytes] = t.offset;
        f.Text(t.code, t.bytes);
      }
    }
    expected.push_back(e);
  }
  if (f.Text_Base() - 8 > 999999) {
    msgs->errors.push_back(name + ": the index is too large for the six-digit header");
    return false;
  }
  std::string bytes = f.Bytes();

  // Trust nothing: read the file as the program will and compare every text.
  std::vector<Loc_Entry> back;
  Loc_Messages readMsgs;
  bool ok = Loc_Read(name, bytes.data(), bytes.size(), &back, &readMsgs);
  if (ok && back.size() != expected.size()) ok = false;
  for (size_t i = 0; ok && i < back.size(); i++) {
    if (back[i].key != expected[i].key || back[i].texts.size() != expected[i].texts.size()) {
      ok = false;
      break;
    }
    for (size_t k = 0; k < back[i].texts.size(); k++)
      if (back[i].texts[k].code != expected[i].texts[k].code ||
          back[i].texts[k].bytes != expected[i].texts[k].bytes)
        ok = false;
  }
  if (!ok) {
    for (const std::string& e : readMsgs.errors) msgs->errors.push_back(e);
    msgs->errors.push_back(name + ": refusing to write a string file the program would misread");
    return false;
  }
  *file = bytes;
  return true;
}

namespace {

const char* Token_Name(int which) {
  switch (which) {
    case STR_WALK_KEY: return "key";
    case STR_WALK_COUNT: return "count";
    case STR_WALK_CODE: return "language code";
    default: return "offset";
  }
}

// Why the walk of the index stopped at a token; key is the entry's key so far.
std::string Token_Problem(const Str_Walk& w, const std::string& key) {
  const char* what = Token_Name(w.stopToken);
  std::string k = Printable(w.stopToken == STR_WALK_KEY ? key.substr(0, 40) : key);
  switch (w.stop) {
    case STR_TOKEN_UNENDED:
      return "the index ends inside the entry " + k + " (" + what + ")";
    case STR_TOKEN_LONG:
      return "entry " + k + ": " + what + " longer than " + std::to_string(kMaxTokenBytes) + " characters";
    default:
      if (w.stopToken == STR_WALK_CODE)
        return "entry " + k + ": the count says " + std::to_string(w.pairs) + " pairs, but the entry ends after " +
               std::to_string(w.pairsRead) + " (the program stops at the line break)";
      return "entry " + k + ": a line break where the " + what + " should stand; the program stops reading the entry there";
  }
}

}  // namespace

bool Loc_Read(const std::string& name, const char* data, size_t size,
              std::vector<Loc_Entry>* entries, Loc_Messages* msgs) {
  Byte_Source src;
  Bytes_From_Memory(&src, data, size);
  return Loc_Read(name, &src, entries, msgs);
}

bool Loc_Read(const std::string& name, Byte_Source* src, std::vector<Loc_Entry>* entries,
              Loc_Messages* msgs) {
  entries->clear();
  size_t before = msgs->errors.size();
  std::string at = name + ": ";
  std::vector<std::string>& errors = msgs->errors;
  long size = Bytes_Length(src);
  if (size < 0 || Bytes_Seek(src, 0) != 0) {
    errors.push_back(at + "its length cannot be found");
    return false;
  }

  // The block loads as the program loads it, or fails for the program's reason.
  Str_Index index;
  if (!Str_Load_Index(src, &index)) {
    char header[STR_HEADER_BYTES] = {};
    size_t got = Bytes_Seek(src, 0) == 0 ? Bytes_Read(src, header, sizeof header) : 0;
    switch (index.why) {
      case STR_LOAD_SHORT_HEADER:
        errors.push_back(at + "shorter than the six-byte header");
        break;
      case STR_LOAD_NEGATIVE:
        errors.push_back(at + "the header \"" + Printable(std::string(header, got)) + "\" is negative");
        break;
      case STR_LOAD_NO_MEMORY:
        errors.push_back(at + "the block of " + std::to_string(index.block) + " bytes cannot be read into memory");
        break;
      default:
        errors.push_back(at + "the file is " + std::to_string(size) + " bytes; its header asks the program to read " +
                         std::to_string(index.block) + ", so it would not load");
    }
    return false;
  }
  std::unique_ptr<char, void (*)(void*)> hold(index.text, free);
  if (index.header == 0)
    msgs->warnings.push_back(at + "the header reads as 0, which stands for a " + std::to_string(STR_DEFAULT_BLOCK) +
                             "-byte block");
  long base = index.textBase;
  const char* zero = (const char*)memchr(index.text, '\0', (size_t)base);
  if (zero != nullptr)
    errors.push_back(at + "zero byte in the index at byte " + std::to_string(zero - index.text) +
                     "; the program searches only up to it");

  // Walk the entries with the program's token reader: a key, a count and
  // count (code, offset) pairs, each token followed by one space.
  Str_Walk w;
  Str_Walk_Start(&w, index.text, (size_t)base);
  bool broken = false;
  while (!broken && Str_Walk_Entry(&w)) {
    Loc_Entry e;
    e.key = w.key;
    e.keyPos = (long)w.keyPos;
    std::string count = w.count;
    if (count.empty()) {
      errors.push_back(at + "entry " + Printable(e.key) + ": empty count (two spaces in a row) at byte " +
                       std::to_string(w.pos - 1));
      break;
    }
    if (!All_Digits(count)) {
      errors.push_back(at + "entry " + Printable(e.key) + ": count \"" + Printable(count) + "\" is not a number");
      break;
    }
    char code[STR_MAX_TOKEN + 1], offset[STR_MAX_TOKEN + 1];
    while (Str_Walk_Pair(&w, code, sizeof code, offset, sizeof offset)) {
      size_t offsetSpace = w.pos - 1;
      size_t codeSpace = offsetSpace - strlen(offset) - 1;
      std::string problem;
      if (!*code)
        problem = "empty language code (two spaces in a row) at byte " + std::to_string(codeSpace);
      else if (!*offset)
        problem = "empty offset (two spaces in a row) at byte " + std::to_string(offsetSpace);
      else if (!All_Digits(offset))
        problem = "offset \"" + Printable(offset) + "\" is not a number";
      if (!problem.empty()) {
        std::string message = at;
        message += "entry " + Printable(e.key) + ": ";
        message += problem;
        errors.push_back(message);
        broken = true;
        break;
      }
      Loc_Text t;
      t.code = code;
      t.offset = Str_Read_Number(offset, strlen(offset));
      e.texts.push_back(t);
    }
    if (!broken && w.stop == STR_TOKEN_OK) entries->push_back(e);
  }
  if (!broken && w.stop != STR_TOKEN_OK) errors.push_back(at + Token_Problem(w, w.key));

  std::map<std::string, long> seen;
  for (Loc_Entry& e : *entries) {
    size_t entryErrors = errors.size();
    std::string what = at + e.key + ": ";
    bool lower = false;
    for (unsigned char c : e.key)
      if (c >= 'a' && c <= 'z') {
        errors.push_back(what + "lower-case letters in the key; the program looks keys up upper-cased");
        lower = true;
        break;
      }
    Str_Pick pick;
    Str_Find_Pick(index.text, (size_t)base, e.key.c_str(), "ENG", &pick);
    auto dup = seen.find(e.key);
    if (dup != seen.end()) {
      errors.push_back(what + "duplicate key (first at byte " + std::to_string(dup->second) + ")");
    } else {
      seen[e.key] = e.keyPos;
      if (pick.at != e.keyPos)
        errors.push_back(what + "the program would find this key first at byte " + std::to_string(pick.at) +
                         ", inside another entry, and read that entry instead");
    }
    if (e.texts.empty() || e.texts[0].code != "ENG") {
      bool hasEng = false;
      for (const Loc_Text& t : e.texts) hasEng |= t.code == "ENG";
      errors.push_back(what + (hasEng ? "the ENG pair is not listed first, so an empty text does not fall back to it"
                                      : "no ENG text"));
    }
    for (size_t k = 0; k < e.texts.size(); k++) {
      Loc_Text& t = e.texts[k];
      std::string textWhat = what + t.code + " text at offset " + std::to_string(t.offset) + " ";
      for (size_t j = 0; j < k; j++)
        if (e.texts[j].code == t.code) {
          errors.push_back(what + t.code + " is listed twice");
          break;
        }
      int codePage = Loc_Code_Page(t.code);
      if (!codePage)
        msgs->warnings.push_back(what + "language code \"" + Printable(t.code) + "\" is not one the program uses");
      char text[STR_TEXT_AREA];
      size_t length = 0;
      if (!Str_Read_At(src, base, t.offset, text, &length)) {
        errors.push_back(textWhat + "is not closed by \"^^\" within " + std::to_string(kMaxTextBytes) +
                         " bytes (or lies beyond the end of the file)");
        t.bytes.clear();
        continue;
      }
      t.bytes.assign(text, length);
      if (t.code == "ENG" && t.bytes.empty()) errors.push_back(textWhat + "is empty");
      if (!codePage) continue;
      if (!Cp_To_Utf8(codePage, t.bytes, &t.utf8)) {
        errors.push_back(textWhat + "is not valid in code page " + std::to_string(codePage));
        continue;
      }
      Text_Problems(codePage, t.utf8, t.bytes, textWhat, &errors);
    }

    // Trust nothing: what the program's lookup delivers in every language must
    // be the text the entry means. Only for entries without a problem named
    // above, each of which already says why the two differ.
    if (lower || errors.size() != entryErrors) continue;
    for (const Code_Row& row : kCodes) {
      const Loc_Text* meant = Loc_Meant_Text(e, row.code);
      std::string want = meant ? Loc_Expanded(meant->bytes) : std::string();
      char got[STR_TEXT_AREA];
      Str_Find_Pick(index.text, (size_t)base, e.key.c_str(), row.code, &pick);
      Str_Read_Picked(src, base, &pick, got);
      if (want != got)
        errors.push_back(what + "in " + row.code + " the program would deliver \"" + Printable(got) +
                         "\" instead of \"" + Printable(want) + "\"");
    }
  }
  if (entries->empty() && errors.size() == before) errors.push_back(at + "no entries in the index");
  return errors.size() == before;
}

bool Loc_Dump(const std::string& name, const std::vector<Loc_Entry>& entries,
              std::string* source, Loc_Messages* msgs) {
  size_t before = msgs->errors.size();
  *source = "# Texts of " + name + ", dumped by mkloc --dump\n";
  for (const Loc_Entry& e : entries) {
    *source += "\n[" + e.key + "]\n";
    for (const Loc_Text& t : e.texts) {
      std::string utf8;
      int codePage = Loc_Code_Page(t.code);
      if (!codePage || !Cp_To_Utf8(codePage, t.bytes, &utf8) || utf8.find_first_of(std::string("\n\r\0", 3)) != std::string::npos) {
        msgs->errors.push_back(name + ": " + e.key + ": the " + Printable(t.code) +
                               " text cannot be shown as a source line");
        continue;
      }
      *source += t.code + ": " + utf8 + "\n";
    }
  }
  return msgs->errors.size() == before;
}
