// mkloc's core: source parsing, building, and reading a string file back with
// the same rules as the program's String store (see locfile.h).
#include "locfile.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "codepage.h"
#include "strfile_writer.h"

namespace {

// The reader gives up once it has stored more than 512 bytes, closing carets included.
const size_t kMaxTextBytes = 510;
// Callers hold looked-up texts in 256-byte buffers.
const size_t kShownTextBytes = 255;
// The longest token the lookup reads.
const size_t kMaxTokenBytes = 255;
// A header of 0 stands for this block size.
const long kDefaultBlock = 30000;

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

// The header rule: white space, one optional sign, decimal digits, within the
// given bytes. Saturates instead of overflowing.
long Read_Number(const char* p, size_t n) {
  size_t i = 0;
  while (i < n && (p[i] == ' ' || (p[i] >= 9 && p[i] <= 13))) i++;
  bool negative = false;
  if (i < n && (p[i] == '+' || p[i] == '-')) negative = p[i++] == '-';
  long value = 0;
  for (; i < n && p[i] >= '0' && p[i] <= '9'; i++) {
    if (value < 100000000L) value = value * 10 + (p[i] - '0');
  }
  return negative ? -value : value;
}

bool All_Digits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool Valid_Utf8(const std::string& s) {
  size_t i = 0, n = s.size();
  while (i < n) {
    unsigned char c = (unsigned char)s[i];
    size_t len;
    unsigned long cp;
    if (c < 0x80) { i++; continue; }
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
    else return false;
    if (i + len > n) return false;
    for (size_t k = 1; k < len; k++) {
      unsigned char t = (unsigned char)s[i + k];
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

// Checks that the program reads these code-page bytes as the author's text:
// end mark, zero byte, length, and that line breaks and placeholders fall
// where the author put them (a double-byte character may end in a backslash
// or a caret). utf8 is the author's text. Problems go to errors.
void Text_Problems(int codePage, const std::string& utf8, const std::string& bytes,
                   const std::string& what, std::vector<std::string>* errors,
                   std::vector<std::string>* warnings) {
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
  std::string expanded = bytes;
  Loc_Expand_Newlines(&expanded);
  // Line feeds are ASCII in every one of these code pages, so the counts
  // differ exactly when a character's bytes start or swallow a "\n".
  std::string meant = utf8;
  Loc_Expand_Newlines(&meant);
  if (std::count(meant.begin(), meant.end(), '\n') != std::count(expanded.begin(), expanded.end(), '\n'))
    errors->push_back(what + "would show its line breaks differently: a character's bytes "
                      "in code page " + std::to_string(codePage) + " form \"\\n\"");
  if (Loc_Placeholders(bytes) != Loc_Placeholders(utf8))
    errors->push_back(what + "would show its placeholders differently: a character's bytes "
                      "in code page " + std::to_string(codePage) + " form \"^\" and a digit");
  if (expanded.size() > kShownTextBytes)
    warnings->push_back(what + "is " + std::to_string(expanded.size()) +
                        " bytes; the program shows at most " + std::to_string(kShownTextBytes));
}

// Every text of an entry must fill the same placeholders as its ENG text:
// the program passes as many arguments as the English text expects.
void Placeholder_Agreement(const Loc_Entry& e, const std::string& prefixFor0,
                           const std::string& name, std::vector<std::string>* errors) {
  const Loc_Text* eng = nullptr;
  for (const Loc_Text& t : e.texts)
    if (t.code == "ENG") eng = &t;
  if (!eng) return;
  std::string want = Loc_Placeholders(eng->bytes);
  std::sort(want.begin(), want.end());
  for (const Loc_Text& t : e.texts) {
    if (&t == eng || t.bytes.empty()) continue;  // an empty text shows the English one
    std::string got = Loc_Placeholders(t.bytes);
    std::sort(got.begin(), got.end());
    if (got != want) {
      std::string where = t.line ? Line_Prefix(name, t.line) : prefixFor0;
      errors->push_back(where + e.key + " " + t.code + " text has placeholders \"" + got +
                        "\" but the ENG text has \"" + want + "\"");
    }
  }
}

bool Key_Char_Ok(unsigned char c) { return c > 32 && c < 127 && !(c >= 'a' && c <= 'z'); }

}  // namespace

int Loc_Code_Page(const std::string& code) {
  for (const Code_Row& row : kCodes)
    if (code == row.code) return row.codePage;
  return 0;
}

void Loc_Expand_Newlines(std::string* text) {
  // As the program does it: after a backslash that starts no line break the
  // search goes on from the next character, so "\\\n" still gives one.
  size_t i = 0;
  while ((i = text->find('\\', i)) != std::string::npos) {
    if (i + 1 < text->size() && (*text)[i + 1] == 'n') {
      (*text)[i] = '\n';
      text->erase(i + 1, 1);
    }
    i++;
  }
}

std::string Loc_Placeholders(const std::string& text) {
  std::string digits;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') {
      digits += text[i + 1];
      i++;
    }
  }
  return digits;
}

int Loc_Read_Text(const std::string& file, long pos, std::string* out) {
  out->clear();
  bool caret1 = false, caret2 = false;  // the two bytes fetched before this one
  for (;;) {
    int c = (pos >= 0 && (size_t)pos < file.size()) ? (unsigned char)file[(size_t)pos++] : -1;
    if (caret1 && caret2 && c != '^') {  // the end of the file counts as a non-caret
      out->resize(out->size() - 2);
      return 1;
    }
    if (c < 0) return 0;
    out->push_back((char)c);
    if (out->size() > kMaxTextBytes + 2) return 0;
    caret2 = caret1;
    caret1 = c == '^';
  }
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
    if (!Valid_Utf8(t.utf8)) {
      msgs->errors.push_back(what + "is not valid UTF-8");
      continue;
    }
    if (!Cp_From_Utf8(codePage, t.utf8, &t.bytes)) {
      msgs->errors.push_back(what + "holds characters that code page " + std::to_string(codePage) +
                             " cannot represent");
      continue;
    }
    if (t.code == "ENG" && t.bytes.empty()) {
      // Every language without a text of its own falls back to this one.
      msgs->errors.push_back(what + "is empty");
      continue;
    }
    Text_Problems(codePage, t.utf8, t.bytes, what, &msgs->errors, &msgs->warnings);
    e.texts.push_back(t);
  }

  for (const Loc_Entry& e : *entries) {
    if (e.key.empty()) continue;
    bool hasEng = false;
    for (const Loc_Text& t : e.texts) hasEng |= t.code == "ENG";
    if (!hasEng) msgs->errors.push_back(Line_Prefix(name, e.line) + e.key + " has no ENG text");
    Placeholder_Agreement(e, "", name, &msgs->errors);
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

bool Loc_Read(const std::string& name, const char* data, size_t size,
              std::vector<Loc_Entry>* entries, Loc_Messages* msgs) {
  entries->clear();
  size_t before = msgs->errors.size();
  std::string at = name + ": ";
  std::vector<std::string>& errors = msgs->errors;
  if (size < 6) {
    errors.push_back(at + "shorter than the six-byte header");
    return false;
  }
  long headerN = Read_Number(data, 6);
  if (headerN < 0) {
    errors.push_back(at + "the header \"" + Printable(std::string(data, 6)) + "\" is negative");
    return false;
  }
  long block = headerN == 0 ? kDefaultBlock : headerN + 10;
  if (headerN == 0)
    msgs->warnings.push_back(at + "the header reads as 0, which stands for a 30000-byte block");
  if ((long)size < block) {
    errors.push_back(at + "the file is " + std::to_string(size) + " bytes; its header asks the program to read " +
                     std::to_string(block) + ", so it would not load");
    return false;
  }
  std::string file(data, size);
  long base = block - 2;
  std::string index = file.substr(0, (size_t)base);
  size_t zero = index.find('\0');
  if (zero != std::string::npos) {
    errors.push_back(at + "zero byte in the index at byte " + std::to_string(zero) +
                     "; the program searches only up to it");
    index.resize(zero);
  }

  // Walk the entries: a key, a count and count (code, offset) pairs, each
  // token followed by one space; anything up to the next visible byte
  // (a line break) belongs to no entry.
  size_t pos = 6;
  auto token = [&](std::string* tok, const char* what, const std::string& key) -> bool {
    size_t sp = index.find(' ', pos);
    if (sp == std::string::npos) {
      errors.push_back(at + "the index ends inside the entry " + Printable(key) + " (" + what + ")");
      return false;
    }
    *tok = index.substr(pos, sp - pos);
    pos = sp + 1;
    if (tok->empty()) {
      errors.push_back(at + "entry " + Printable(key) + ": empty " + what + " (two spaces in a row) at byte " +
                       std::to_string(sp));
      return false;
    }
    if (tok->size() > kMaxTokenBytes) {
      errors.push_back(at + "entry " + Printable(key) + ": " + what + " longer than " +
                       std::to_string(kMaxTokenBytes) + " characters");
      return false;
    }
    return true;
  };
  std::map<std::string, long> seen;
  for (;;) {
    while (pos < index.size() && (unsigned char)index[pos] <= 32) pos++;
    if (pos >= index.size()) break;
    Loc_Entry e;
    e.keyPos = (long)pos;
    if (!token(&e.key, "key", index.substr(pos, 40))) break;
    std::string count;
    if (!token(&count, "count", e.key)) break;
    if (!All_Digits(count)) {
      errors.push_back(at + "entry " + Printable(e.key) + ": count \"" + Printable(count) + "\" is not a number");
      break;
    }
    long pairs = Read_Number(count.data(), count.size());
    bool broken = false;
    for (long k = 0; k < pairs; k++) {
      Loc_Text t;
      std::string offset;
      if (!token(&t.code, "language code", e.key) || !token(&offset, "offset", e.key)) {
        broken = true;
        break;
      }
      if (!All_Digits(offset)) {
        errors.push_back(at + "entry " + Printable(e.key) + ": offset \"" + Printable(offset) + "\" is not a number");
        broken = true;
        break;
      }
      t.offset = Read_Number(offset.data(), offset.size());
      e.texts.push_back(t);
    }
    if (broken) break;
    entries->push_back(e);
  }

  for (Loc_Entry& e : *entries) {
    std::string what = at + e.key + ": ";
    for (unsigned char c : e.key)
      if (c >= 'a' && c <= 'z') {
        errors.push_back(what + "lower-case letters in the key; the program looks keys up upper-cased");
        break;
      }
    size_t first = index.find(e.key);
    auto dup = seen.find(e.key);
    if (dup != seen.end()) {
      errors.push_back(what + "duplicate key (first at byte " + std::to_string(dup->second) + ")");
    } else {
      seen[e.key] = e.keyPos;
      if (first != (size_t)e.keyPos)
        errors.push_back(what + "the program would find this key first at byte " + std::to_string(first) +
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
      if (!Loc_Read_Text(file, base + t.offset, &t.bytes)) {
        errors.push_back(textWhat + "is not closed by \"^^\" within " + std::to_string(kMaxTextBytes) +
                         " bytes (or lies beyond the end of the file)");
        t.bytes.clear();
        continue;
      }
      if (t.code == "ENG" && t.bytes.empty()) errors.push_back(textWhat + "is empty");
      if (!codePage) continue;
      if (!Cp_To_Utf8(codePage, t.bytes, &t.utf8)) {
        errors.push_back(textWhat + "is not valid in code page " + std::to_string(codePage));
        continue;
      }
      std::vector<std::string> warnings;
      Text_Problems(codePage, t.utf8, t.bytes, textWhat, &errors, &warnings);
      for (const std::string& w : warnings) msgs->warnings.push_back(w);
    }
    Placeholder_Agreement(e, what, name, &errors);
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
