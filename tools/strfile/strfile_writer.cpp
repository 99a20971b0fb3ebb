// Builds string files in memory for mkloc and the tests (see strfile_writer.h).
#include "strfile_writer.h"

#include <errno.h>
#include <stdio.h>

static const char kLineBreak[] = "\r\n";

StrFile::Entry& StrFile::Current() {
  if (entries_.empty() || entries_.back().is_raw) entries_.push_back(Entry());  // pairs before any key
  return entries_.back();
}

StrFile& StrFile::Key(const std::string& key) {
  Entry e;
  e.key = key;
  for (char& c : e.key)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  entries_.push_back(e);
  return *this;
}

StrFile& StrFile::Text(const std::string& code, const std::string& text) {
  long offset = (long)texts_.size();
  texts_ += text;
  texts_ += "^^";
  texts_ += kLineBreak;
  return Pair(code, offset);
}

StrFile& StrFile::Pair(const std::string& code, long offset) {
  Current().pairs.push_back(Pair_Item{code, offset});
  return *this;
}

StrFile& StrFile::In_Given_Order() {
  Current().given_order = true;
  return *this;
}

StrFile& StrFile::Count(const std::string& token) {
  Entry& e = Current();
  e.has_count = true;
  e.count = token;
  return *this;
}

StrFile& StrFile::Raw_Index(const std::string& bytes) {
  Entry e;
  e.is_raw = true;
  e.raw = bytes;
  entries_.push_back(e);
  return *this;
}

long StrFile::Raw_Text(const std::string& bytes) {
  long offset = (long)texts_.size();
  texts_ += bytes;
  return offset;
}

std::string StrFile::Index_Body() const {
  std::string body;
  for (const Entry& e : entries_) {
    if (e.is_raw) {
      body += e.raw;
      continue;
    }
    std::vector<Pair_Item> pairs;
    if (!e.given_order)
      for (const Pair_Item& p : e.pairs)
        if (p.code == "ENG") pairs.push_back(p);
    for (const Pair_Item& p : e.pairs)
      if (e.given_order || p.code != "ENG") pairs.push_back(p);

    body += e.key + " ";
    body += (e.has_count ? e.count : std::to_string(pairs.size())) + " ";
    for (const Pair_Item& p : pairs) body += p.code + " " + std::to_string(p.offset) + " ";
    body += kLineBreak;
  }
  // A header of 0 would stand for a 30000-byte block: keep N at least 1.
  if (body.empty()) body = kLineBreak;
  return body;
}

long StrFile::Text_Base() const { return 8 + (long)Index_Body().size(); }

std::string StrFile::Bytes() const {
  std::string body = Index_Body();
  char header[16];
  snprintf(header, sizeof header, "%06lu", (unsigned long)body.size());
  std::string file(header, 6);
  file += kLineBreak;
  file += body;
  std::string texts = texts_;
  while (texts.size() < 2) texts += kLineBreak[texts.size()];  // the loader reads N + 10 bytes
  file += texts;
  return file;
}

int Write_Bytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return 0;
  size_t n = fwrite(bytes.data(), 1, bytes.size(), f);
  int ok = fclose(f) == 0 && n == bytes.size();
  return ok;
}

int Read_Bytes(const std::string& path, std::string* out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return errno == ENOENT ? 0 : -1;
  out->clear();
  char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) out->append(chunk, n);
  int ok = !ferror(f);
  fclose(f);
  return ok ? 1 : -1;
}
