// PO files: a lexer and a parser that follow GNU gettext's reading (its
// tokens, its escapes, its joining of a backslash and a line feed, its "#~"
// and "#|" prefixes that last to the end of the line), and the writer that
// mkloc's export uses. See po.h.
#include "po.h"

#include <stdio.h>
#include <string.h>

#include <map>

#include "locfile.h"

namespace {

enum Tok_Kind {
  T_END,
  T_COMMENT,
  T_DOMAIN,
  T_MSGCTXT,
  T_MSGID,
  T_MSGID_PLURAL,
  T_MSGSTR,
  T_PREV_MSGCTXT,
  T_PREV_MSGID,
  T_PREV_MSGID_PLURAL,
  T_STRING,
  T_PREV_STRING,
  T_OPEN,
  T_CLOSE,
  T_NUMBER,
};

struct Token {
  int kind = T_END;
  int line = 0;
  bool obsolete = false;
  std::string text;
  long number = 0;
};

struct Reader {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  int line = 1;
  bool obsolete = false;  // "#~" seen on this line
  bool previous = false;  // "#|" seen on this line
  Token tok;
  std::string name;
  std::vector<std::string>* errors = nullptr;
};

struct Mark {
  size_t pos;
  int line;
};

Mark Here(const Reader* r) { return Mark{r->pos, r->line}; }
void Back(Reader* r, Mark m) {
  r->pos = m.pos;
  r->line = m.line;
}

bool Fail(Reader* r, int line, const std::string& message) {
  r->errors->push_back(r->name + ":" + std::to_string(line) + ": " + message);
  return false;
}

// The next byte, -1 at the end. A backslash right before a line feed joins
// the two lines, anywhere in the file, as gettext reads it.
int Get(Reader* r) {
  for (;;) {
    if (r->pos >= r->size) return -1;
    unsigned char c = r->data[r->pos++];
    if (c == '\n') {
      r->line++;
      return c;
    }
    if (c == '\\' && r->pos < r->size && r->data[r->pos] == '\n') {
      r->pos++;
      r->line++;
      continue;
    }
    return c;
  }
}

int Hex_Value(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The escape after a backslash inside a string. Octal takes up to three
// digits, hex as many as follow; the byte kept is the value's low byte.
bool Escape(Reader* r, std::string* out) {
  int line = r->line;
  int c = Get(r);
  int value;
  switch (c) {
    case 'n': value = '\n'; break;
    case 't': value = '\t'; break;
    case 'b': value = '\b'; break;
    case 'r': value = '\r'; break;
    case 'f': value = '\f'; break;
    case 'v': value = '\v'; break;
    case 'a': value = '\a'; break;
    case '\\': case '"': value = c; break;
    case 'x': {
      Mark m = Here(r);
      int d = Hex_Value(Get(r));
      if (d < 0) {
        Back(r, m);
        return Fail(r, line, "invalid escape \\x: a hex digit must follow");
      }
      value = d;
      for (;;) {
        m = Here(r);
        d = Hex_Value(Get(r));
        if (d < 0) {
          Back(r, m);
          break;
        }
        value = (value * 16 + d) & 0xFF;
      }
      break;
    }
    default:
      if (c >= '0' && c <= '7') {
        value = c - '0';
        for (int k = 1; k < 3; k++) {
          Mark m = Here(r);
          int d = Get(r);
          if (d < '0' || d > '7') {
            Back(r, m);
            break;
          }
          value = value * 8 + (d - '0');
        }
        value &= 0xFF;
        break;
      }
      if (c < 0) return Fail(r, line, "end of file inside a string (a closing \" is missing)");
      if (c > 32 && c < 127)
        return Fail(r, line, std::string("invalid escape \\") + (char)c +
                                 " (known: \\n \\t \\\" \\\\ \\a \\b \\f \\r \\v, octal, \\x hex)");
      return Fail(r, line, "invalid escape: a backslash before a space or a character that is not a letter");
  }
  *out += (char)value;
  return true;
}

bool Ident_Char(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

std::string Shown_Byte(int c) {
  char text[16];
  if (c > 32 && c < 127) snprintf(text, sizeof text, "'%c'", c);
  else snprintf(text, sizeof text, "byte 0x%02X", (unsigned)c);
  return text;
}

// Reads the next token into r->tok. False after a problem (reported).
bool Next(Reader* r) {
  Token& t = r->tok;
  for (;;) {
    int c = Get(r);
    if (c < 0) {
      t.kind = T_END;
      t.line = r->line;
      return true;
    }
    if (c == '\n') {
      r->obsolete = false;
      r->previous = false;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') continue;
    t.line = r->line;
    t.obsolete = r->obsolete;
    t.text.clear();
    if (c == '#') {
      Mark m = Here(r);
      int d = Get(r);
      if (d == '~') {
        r->obsolete = true;
        m = Here(r);
        if (Get(r) == '|') r->previous = true;
        else Back(r, m);
        continue;
      }
      if (d == '|') {
        r->previous = true;
        continue;
      }
      Back(r, m);
      for (;;) {
        int e = Get(r);
        if (e < 0 || e == '\n') break;
        t.text += (char)e;
      }
      while (!t.text.empty() && t.text.back() == '\r') t.text.pop_back();
      t.kind = T_COMMENT;
      // The line feed went with the comment: "#~" ends here, "#|" does not (as in gettext).
      r->obsolete = false;
      return true;
    }
    if (c == '"') {
      t.kind = r->previous ? T_PREV_STRING : T_STRING;
      for (;;) {
        int e = Get(r);
        if (e < 0) return Fail(r, t.line, "end of file inside a string (a closing \" is missing)");
        if (e == '\n') return Fail(r, t.line, "end of line inside a string (a closing \" is missing)");
        if (e == '"') break;
        if (e == '\\') {
          if (!Escape(r, &t.text)) return false;
          continue;
        }
        if (e >= 0x80) {
          // A character's other bytes are never a backslash or a line feed, so
          // they stand in the data as they are.
          size_t len = Loc_Utf8_Char(r->data + r->pos - 1, r->size - r->pos + 1, nullptr);
          if (len == 0) return Fail(r, r->line, "a string that is not valid UTF-8");
          t.text.append((const char*)r->data + r->pos - 1, len);
          r->pos += len - 1;
          continue;
        }
        t.text += (char)e;
      }
      if (t.text.find('\0') != std::string::npos)
        return Fail(r, t.line, "a zero byte (\\0) in a string; gettext would cut the string there");
      if (t.text.find('\x04') != std::string::npos)
        return Fail(r, t.line, "the control character \\004 (EOT) in a string, which gettext refuses");
      return true;
    }
    if (Ident_Char(c) && !(c >= '0' && c <= '9')) {
      std::string word(1, (char)c);
      for (;;) {
        Mark m = Here(r);
        int d = Get(r);
        if (d < 0 || !Ident_Char(d)) {
          Back(r, m);
          break;
        }
        if (word.size() < 64) word += (char)d;
      }
      if (!r->previous && word == "domain") t.kind = T_DOMAIN;
      else if (word == "msgctxt") t.kind = r->previous ? T_PREV_MSGCTXT : T_MSGCTXT;
      else if (word == "msgid") t.kind = r->previous ? T_PREV_MSGID : T_MSGID;
      else if (word == "msgid_plural") t.kind = r->previous ? T_PREV_MSGID_PLURAL : T_MSGID_PLURAL;
      else if (!r->previous && word == "msgstr") t.kind = T_MSGSTR;
      else return Fail(r, t.line, "unknown keyword \"" + word + "\"" + (r->previous ? " after #|" : ""));
      return true;
    }
    if (c >= '0' && c <= '9') {
      long value = c - '0';
      for (;;) {
        Mark m = Here(r);
        int d = Get(r);
        if (d < '0' || d > '9') {
          Back(r, m);
          break;
        }
        if (value < 100000000) value = value * 10 + (d - '0');
      }
      t.kind = T_NUMBER;
      t.number = value;
      return true;
    }
    if (c == '[') { t.kind = T_OPEN; return true; }
    if (c == ']') { t.kind = T_CLOSE; return true; }
    return Fail(r, t.line, "syntax error: unexpected " + Shown_Byte(c));
  }
}

// Comments gathered for the entry that follows them.
struct Pending {
  std::vector<std::string> flags;
  std::string comments, extracted;
  std::vector<std::string> references;
};

bool Is_Separator(char c, const char* separators) { return c != '\0' && strchr(separators, c) != nullptr; }

void Split_Words(const std::string& text, const char* separators, std::vector<std::string>* words) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && Is_Separator(text[i], separators)) i++;
    size_t start = i;
    while (i < text.size() && !Is_Separator(text[i], separators)) i++;
    if (i > start) words->push_back(text.substr(start, i - start));
  }
}

// gettext's sorting of comment lines by the character after "#".
void Add_Comment(Pending* p, const std::string& text) {
  char kind = text.empty() ? '\0' : text[0];
  if (kind == '.') {
    size_t from = text.size() > 1 && text[1] == ' ' ? 2 : 1;
    p->extracted += text.substr(from) + "\n";
  } else if (kind == ':') {
    Split_Words(text.substr(1), " \t\r\f\v\n", &p->references);
  } else if (kind == ',' || kind == '!') {
    Split_Words(text.substr(1), "\n \t\r\f\v,", &p->flags);
  } else {
    p->comments += (kind == ' ' ? text.substr(1) : text) + "\n";
  }
}

bool Same_Part(Reader* r, bool obsolete) {
  if (r->tok.obsolete == obsolete) return true;
  return Fail(r, r->tok.line, "inconsistent use of #~: part of the entry is marked obsolete, part is not");
}

// One or more strings of kind, concatenated (a string continued over lines).
bool Strings(Reader* r, int kind, bool obsolete, const char* after, std::string* out) {
  if (r->tok.kind != kind) return Fail(r, r->tok.line, std::string("a string in quotes must follow ") + after);
  out->clear();
  while (r->tok.kind == kind) {
    if (!Same_Part(r, obsolete)) return false;
    *out += r->tok.text;
    if (!Next(r)) return false;
  }
  return true;
}

// A keyword the entry needs is missing where r->tok stands.
bool Missing(Reader* r, int line, const char* what) {
  if (r->tok.kind == T_COMMENT)
    return Fail(r, r->tok.line, "a comment line inside an entry: comments go before its msgctxt or msgid");
  return Fail(r, line, std::string("missing ") + what);
}

bool Charset_Ok(Reader* r, const Po_Entry& header) {
  std::string type;
  if (!Po_Header_Field(header.msgstr[0], "Content-Type", &type)) return true;
  size_t at = type.find("charset=");
  if (at == std::string::npos) return true;
  std::string charset = type.substr(at + 8);
  size_t end = charset.find_first_of("; \t");
  if (end != std::string::npos) charset.resize(end);
  std::string upper = charset;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  if (upper == "UTF-8") return true;
  return Fail(r, header.msgstrLine, "the header gives the charset \"" + charset +
                                        "\"; mkloc reads PO files in UTF-8 only (save the file as UTF-8, "
                                        "charset=UTF-8)");
}

bool Entry(Reader* r, Pending* pending, Po_File* file, std::map<std::string, int>* seen) {
  Po_Entry e;
  bool obsolete = r->tok.obsolete;
  e.obsolete = obsolete;
  e.flags = pending->flags;
  e.comments = pending->comments;
  e.extracted = pending->extracted;
  e.references = pending->references;
  for (const std::string& f : e.flags) e.fuzzy |= f == "fuzzy";

  if (r->tok.kind == T_PREV_MSGCTXT) {
    if (!Same_Part(r, obsolete) || !Next(r)) return false;
    if (!Strings(r, T_PREV_STRING, obsolete, "#| msgctxt", &e.prevContext)) return false;
    e.hasPrevContext = true;
    if (r->tok.kind != T_PREV_MSGID) return Fail(r, r->tok.line, "a #| msgctxt needs a #| msgid after it");
  }
  if (r->tok.kind == T_PREV_MSGID) {
    if (!Same_Part(r, obsolete) || !Next(r)) return false;
    if (!Strings(r, T_PREV_STRING, obsolete, "#| msgid", &e.prevMsgid)) return false;
    e.hasPrevMsgid = true;
    if (r->tok.kind == T_PREV_MSGID_PLURAL) {
      if (!Same_Part(r, obsolete) || !Next(r)) return false;
      if (!Strings(r, T_PREV_STRING, obsolete, "#| msgid_plural", &e.prevMsgidPlural)) return false;
      e.hasPrevPlural = true;
    }
  }
  if (r->tok.kind == T_MSGCTXT) {
    if (!Same_Part(r, obsolete) || !Next(r)) return false;
    if (!Strings(r, T_STRING, obsolete, "msgctxt", &e.context)) return false;
    e.hasContext = true;
  }
  if (r->tok.kind != T_MSGID) return Missing(r, r->tok.line, "msgid");
  e.line = r->tok.line;
  if (!Same_Part(r, obsolete) || !Next(r)) return false;
  if (!Strings(r, T_STRING, obsolete, "msgid", &e.msgid)) return false;

  if (r->tok.kind == T_MSGID_PLURAL) {
    if (!Same_Part(r, obsolete) || !Next(r)) return false;
    if (!Strings(r, T_STRING, obsolete, "msgid_plural", &e.msgidPlural)) return false;
    e.hasPlural = true;
    while (r->tok.kind == T_MSGSTR) {
      int line = r->tok.line;
      if (e.msgstr.empty()) e.msgstrLine = line;
      if (!Same_Part(r, obsolete) || !Next(r)) return false;
      if (r->tok.kind != T_OPEN) return Fail(r, line, "after msgid_plural the translations are msgstr[0], msgstr[1], ...");
      if (!Same_Part(r, obsolete) || !Next(r)) return false;
      if (r->tok.kind != T_NUMBER) return Fail(r, r->tok.line, "a number must follow msgstr[");
      if (r->tok.number != (long)e.msgstr.size())
        return Fail(r, line, "msgstr[" + std::to_string(r->tok.number) + "] where msgstr[" +
                                 std::to_string(e.msgstr.size()) + "] belongs");
      if (!Same_Part(r, obsolete) || !Next(r)) return false;
      if (r->tok.kind != T_CLOSE) return Fail(r, r->tok.line, "a \"]\" must follow msgstr[N");
      if (!Same_Part(r, obsolete) || !Next(r)) return false;
      std::string text;
      if (!Strings(r, T_STRING, obsolete, "msgstr[N]", &text)) return false;
      e.msgstr.push_back(text);
    }
    if (e.msgstr.empty()) return Missing(r, e.line, "msgstr[0] after msgid_plural");
  } else if (r->tok.kind == T_MSGSTR) {
    e.msgstrLine = r->tok.line;
    if (!Same_Part(r, obsolete) || !Next(r)) return false;
    if (r->tok.kind == T_OPEN) return Fail(r, e.msgstrLine, "msgstr[N] without a msgid_plural before it");
    std::string text;
    if (!Strings(r, T_STRING, obsolete, "msgstr", &text)) return false;
    e.msgstr.push_back(text);
  } else {
    return Missing(r, e.line, "msgstr");
  }

  // gettext refuses a second definition of a message, obsolete or not.
  std::string id = (e.hasContext ? "c" + e.context : std::string("n")) + '\x04' + e.msgid;
  auto it = seen->find(id);
  if (it != seen->end())
    return Fail(r, e.line, "a second entry for the same msgctxt and msgid (first at line " +
                               std::to_string(it->second) + ")");
  (*seen)[id] = e.line;
  if (e.Is_Header() && !Charset_Ok(r, e)) return false;
  if (e.Is_Header()) file->header = (int)file->entries.size();
  file->entries.push_back(e);
  return true;
}

}  // namespace

bool Po_Read(const std::string& name, const char* data, size_t size, Po_File* file,
             std::vector<std::string>* errors) {
  *file = Po_File();
  Reader r;
  r.data = (const unsigned char*)data;
  r.size = size;
  r.name = name;
  r.errors = errors;
  if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) r.pos = 3;  // Windows editors' byte order mark
  const void* zero = memchr(data, '\0', size);
  if (zero) {
    int line = 1;
    for (const char* p = data; p < (const char*)zero; p++) line += *p == '\n';
    return Fail(&r, line, "a zero byte in the file (is it UTF-16? save it as UTF-8)");
  }
  Pending pending;
  std::map<std::string, int> seen;
  if (!Next(&r)) return false;
  for (;;) {
    switch (r.tok.kind) {
      case T_END:
        return true;
      case T_COMMENT:
        Add_Comment(&pending, r.tok.text);
        if (!Next(&r)) return false;
        break;
      case T_PREV_MSGCTXT:
      case T_PREV_MSGID:
      case T_MSGCTXT:
      case T_MSGID:
        if (!Entry(&r, &pending, file, &seen)) return false;
        pending = Pending();
        break;
      case T_DOMAIN:
        return Fail(&r, r.tok.line, "\"domain\" lines are not supported: a file holds the texts of one language");
      case T_MSGSTR:
        return Fail(&r, r.tok.line, "msgstr without a msgid before it");
      case T_STRING:
      case T_PREV_STRING:
        return Fail(&r, r.tok.line, "a string without a keyword (msgid, msgstr, ...) before it");
      case T_PREV_MSGID_PLURAL:
        return Fail(&r, r.tok.line, "#| msgid_plural without a #| msgid before it");
      default:
        return Fail(&r, r.tok.line, "syntax error: \"[\", \"]\" or a number outside msgstr[N]");
    }
  }
}

bool Po_Header_Field(const std::string& header, const char* field, std::string* value) {
  size_t fieldLen = strlen(field);
  size_t line = 0;
  while (line < header.size()) {
    size_t end = header.find('\n', line);
    if (end == std::string::npos) end = header.size();
    if (end - line > fieldLen && header.compare(line, fieldLen, field) == 0 && header[line + fieldLen] == ':') {
      size_t from = line + fieldLen + 1;
      while (from < end && (header[from] == ' ' || header[from] == '\t')) from++;
      size_t to = end;
      while (to > from && (header[to - 1] == ' ' || header[to - 1] == '\t' || header[to - 1] == '\r')) to--;
      *value = header.substr(from, to - from);
      return true;
    }
    line = end + 1;
  }
  return false;
}

namespace {

// A piece of text between the quotes: characters as they are, control bytes
// and bytes outside well-formed UTF-8 as escapes.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = (unsigned char)text[i];
    const char* named = nullptr;
    switch (c) {
      case '\\': named = "\\\\"; break;
      case '"': named = "\\\""; break;
      case '\n': named = "\\n"; break;
      case '\t': named = "\\t"; break;
      case '\r': named = "\\r"; break;
      case '\a': named = "\\a"; break;
      case '\b': named = "\\b"; break;
      case '\f': named = "\\f"; break;
      case '\v': named = "\\v"; break;
      default: break;
    }
    if (named) {
      out += named;
      i++;
      continue;
    }
    size_t len = c >= 0x80 ? Loc_Utf8_Char((const unsigned char*)text.data() + i, text.size() - i, nullptr) : 1;
    if (len == 0 || c < 0x20 || c == 0x7F) {
      char octal[8];
      snprintf(octal, sizeof octal, "\\%03o", (unsigned)c);
      out += octal;
      i++;
      continue;
    }
    out.append(text, i, len);
    i += len;
  }
  return out + "\"";
}

void Comment_Lines(const char* mark, const std::string& lines, std::string* out) {
  size_t at = 0;
  while (at < lines.size()) {
    size_t end = lines.find('\n', at);
    if (end == std::string::npos) end = lines.size();
    // An empty translator comment is a bare "#" (no trailing space).
    if (end == at && strcmp(mark, "# ") == 0) *out += "#\n";
    else *out += mark + lines.substr(at, end - at) + "\n";
    at = end + 1;
  }
}

void Word_Line(const char* mark, const std::vector<std::string>& words, const char* between, std::string* out) {
  if (words.empty()) return;
  *out += mark;
  for (size_t i = 0; i < words.size(); i++) *out += (i ? between : "") + words[i];
  *out += "\n";
}

}  // namespace

std::string Po_Lines(const std::string& prefix, const char* keyword, const std::string& text) {
  size_t inner = text.find('\n');
  if (inner == std::string::npos || inner + 1 == text.size()) return prefix + keyword + " " + Quoted(text) + "\n";
  std::string out = prefix + keyword + " \"\"\n";
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    out += prefix + Quoted(text.substr(at, end - at)) + "\n";
    at = end;
  }
  return out;
}

std::string Po_Write(const Po_File& file) {
  std::string out;
  for (size_t i = 0; i < file.entries.size(); i++) {
    const Po_Entry& e = file.entries[i];
    if (i) out += "\n";
    Comment_Lines("# ", e.comments, &out);
    Comment_Lines("#. ", e.extracted, &out);
    Word_Line("#: ", e.references, " ", &out);
    Word_Line("#, ", e.flags, ", ", &out);
    std::string prefix = e.obsolete ? "#~ " : "";
    std::string previous = e.obsolete ? "#~| " : "#| ";
    if (e.hasPrevContext) out += Po_Lines(previous, "msgctxt", e.prevContext);
    if (e.hasPrevMsgid) out += Po_Lines(previous, "msgid", e.prevMsgid);
    if (e.hasPrevPlural) out += Po_Lines(previous, "msgid_plural", e.prevMsgidPlural);
    if (e.hasContext) out += Po_Lines(prefix, "msgctxt", e.context);
    out += Po_Lines(prefix, "msgid", e.msgid);
    if (e.hasPlural) {
      out += Po_Lines(prefix, "msgid_plural", e.msgidPlural);
      for (size_t k = 0; k < e.msgstr.size(); k++)
        out += Po_Lines(prefix, ("msgstr[" + std::to_string(k) + "]").c_str(), e.msgstr[k]);
    } else {
      out += Po_Lines(prefix, "msgstr", e.msgstr.empty() ? std::string() : e.msgstr[0]);
    }
  }
  return out;
}
