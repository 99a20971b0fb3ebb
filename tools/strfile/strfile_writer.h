// Builds string files (ENGINE.LOC layout) in memory: the writer behind the disc
// authors' mkloc and the tests' fixtures. A six-byte header N, the index, then
// the texts, each closed by "^^".
//
//   StrFile f;
//   f.Key("MSG_Button_OK").Text("ENG", "OK").Text("FRA", "D'accord");
//   Write_Bytes(path, f.Bytes());
//
// Keys are stored upper-cased. Within an entry the "ENG" pair is listed first
// unless In_Given_Order() is called for it. Texts go into the text area in the
// order they are added; each is closed by "^^" and a line break.
// The Raw_ and Count calls let tests build malformed files on purpose.
#pragma once
#include <string>
#include <vector>

class StrFile {
 public:
  // Starts a new entry. Letters a-z are upper-cased, as the lookup expects.
  StrFile& Key(const std::string& key);
  // Adds a (code, offset) pair to the current entry and the text, closed by
  // "^^" and a line break, to the text area.
  StrFile& Text(const std::string& code, const std::string& text);
  // Adds a pair that points at any offset of the text area; writes no text.
  StrFile& Pair(const std::string& code, long offset);
  // The current entry's pairs stay in the order added (no "ENG" first).
  StrFile& In_Given_Order();
  // Replaces the current entry's count token (normally the number of pairs).
  StrFile& Count(const std::string& token);
  // Bytes put into the index as given, after the entries added so far.
  StrFile& Raw_Index(const std::string& bytes);
  // Bytes put into the text area as given (no closing carets); returns
  // their offset from the start of the text area.
  long Raw_Text(const std::string& bytes);
  // Offset the next Text or Raw_Text will get.
  long Next_Offset() const { return (long)texts_.size(); }

  // The whole file: header (N as six digits), a line break, the entries (each
  // followed by a line break), then the text area at file position N + 8.
  // The text area is padded to the two bytes the loader needs.
  std::string Bytes() const;
  // File position of the text area (N + 8) in Bytes().
  long Text_Base() const;

 private:
  struct Pair_Item {
    std::string code;
    long offset;
  };
  struct Entry {
    std::string key;
    std::vector<Pair_Item> pairs;
    bool given_order = false;
    bool has_count = false;
    std::string count;
    std::string raw;  // a raw index piece instead of an entry
    bool is_raw = false;
  };
  Entry& Current();
  std::string Index_Body() const;

  std::vector<Entry> entries_;
  std::string texts_;
};

// Writes bytes to path ("wb"); 1 on success, 0 otherwise.
int Write_Bytes(const std::string& path, const std::string& bytes);

// Reads the whole file at path ("rb") into out: 1 read, 0 no such file, -1
// there but unreadable (the tools tell a missing file from a broken one).
int Read_Bytes(const std::string& path, std::string* out);
