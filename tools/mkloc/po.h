// Reading and writing gettext PO files, the files translators' tools exchange.
// The reader takes the grammar those tools write (comments of every kind,
// msgctxt, msgid, msgid_plural, msgstr and msgstr[n], strings continued over
// several lines, C escapes, obsolete "#~" and previous "#|" entries, CRLF line
// ends, a UTF-8 byte order mark) and reads it as GNU gettext reads it, over
// (pointer, length) bytes. It reads UTF-8 files only.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

struct Po_Entry {
  int line = 0;        // the line of its msgid keyword
  int msgstrLine = 0;  // the line of its msgstr (or msgstr[0]) keyword
  bool obsolete = false;
  bool fuzzy = false;
  bool hasContext = false;
  std::string context;
  std::string msgid;
  bool hasPlural = false;
  std::string msgidPlural;
  std::vector<std::string> msgstr;  // one, or one per plural form
  bool hasPrevContext = false, hasPrevMsgid = false, hasPrevPlural = false;
  std::string prevContext, prevMsgid, prevMsgidPlural;
  std::vector<std::string> flags;        // of "#," lines
  std::string comments;                  // "# " lines, each ended by a line feed
  std::string extracted;                 // "#." lines, likewise
  std::vector<std::string> references;   // the items of "#:" lines, as written

  // The header: msgid "" without a context.
  bool Is_Header() const { return !obsolete && !hasContext && msgid.empty(); }
};

struct Po_File {
  std::vector<Po_Entry> entries;  // file order, header included
  int header = -1;                // its index, -1 when there is none
};

// Reads a PO file. Stops at the first problem, appending one message
// "name:LINE: ..." to errors. True when the file was read whole.
bool Po_Read(const std::string& name, const char* data, size_t size, Po_File* file,
             std::vector<std::string>* errors);

// The value of a header field ("Language") in a header's msgstr, without
// surrounding spaces. False when the field is not there.
bool Po_Header_Field(const std::string& header, const char* field, std::string* value);

// keyword and text as PO lines ("msgid \"...\"\n"), each line beginning with
// prefix ("#~ " for an obsolete entry). A text with line breaks inside it gets
// one line per piece after an empty first string, as gettext writes it.
std::string Po_Lines(const std::string& prefix, const char* keyword, const std::string& text);

// The whole file as PO text that Po_Read reads back as the same entries.
std::string Po_Write(const Po_File& file);
