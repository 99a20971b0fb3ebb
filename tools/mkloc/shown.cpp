// What the program shows of its texts (see shown.h). The buffer sizes are the
// program's: its callers hold looked-up texts in 256 bytes, a prompt's question
// in 512, the composed reader offer in 256; Str_Format delivers an expansion
// only below 256 bytes.
#include "shown.h"

#include <stdio.h>
#include <string.h>

#include "codepage.h"
#include "strrez/strrez_read.h"

const char Loc_Disc_Name[] = "Installation (v1.5 or greater)";

const Loc_Key_Use Loc_Asked_Keys[LOC_ASKED_KEY_COUNT] = {
    {"MSG_BUTTON_OK", 255, 0},
    {"MSG_BUTTON_CANCEL", 255, 0},
    {"MSG_MESSAGE_NODOCINI2", 511, 0},  // only ever a prompt's question: never cut
    {"MSG_MESSAGE_INSTALLNOW", 255, 0},
    {"MSG_MESSAGE_NEEDACROBAT", 255, 0},
    {"MSG_MESSAGE_CHOOSE_MANUAL", 255, 0},
    {"MSG_MESSAGE_INSERTCD", 255, 1},
};

namespace {

const size_t kOfferBytes = 255;  // the composed reader offer's buffer
const size_t kFillLimit = 256;   // an expansion is delivered only when shorter
const int kMaxCopies = 10;       // Str_Format keeps at most ten argument copies
const size_t kTailChars = 20;

std::string At(const std::string& name, const Loc_Text* t) {
  return t && t->line ? name + ":" + std::to_string(t->line) + ": " : name + ": ";
}

// The end of what the user sees of a cut text, in UTF-8: "…" and its last
// characters, line feeds as \n. A cut may split a double-byte character: that
// half is left out.
std::string Tail(const std::string& bytes, int codePage) {
  std::string text;
  bool decoded = false;
  for (size_t drop = 0; drop < 2 && drop <= bytes.size() && !decoded; drop++)
    decoded = Cp_To_Utf8(codePage, bytes.substr(0, bytes.size() - drop), &text);
  if (!decoded) text = bytes;  // English bytes on another code page: shown as bytes below
  size_t start = text.size();
  for (size_t chars = 0; start > 0 && chars < kTailChars; chars++) {
    start--;
    while (decoded && start > 0 && ((unsigned char)text[start] & 0xC0) == 0x80) start--;  // a character's first byte
  }
  std::string tail = start > 0 ? "\xE2\x80\xA6" : "";
  for (size_t i = start; i < text.size(); i++) {
    unsigned char c = (unsigned char)text[i];
    char hex[8];
    snprintf(hex, sizeof hex, "\\x%02X", c);
    if (c == '\n') tail += "\\n";
    else if (c == '\r') tail += "\\r";
    else if (!decoded && c >= 0x80) tail += hex;
    else tail += (char)c;
  }
  return tail;
}

// The languages the entries carry, ENG first: the program shows each one.
std::vector<std::string> Languages(const std::vector<Loc_Entry>& entries) {
  std::vector<std::string> codes(1, "ENG");
  for (const Loc_Entry& e : entries)
    for (const Loc_Text& t : e.texts) {
      bool seen = !Loc_Code_Page(t.code);
      for (const std::string& c : codes) seen = seen || c == t.code;
      if (!seen) codes.push_back(t.code);
    }
  return codes;
}

// Placeholders: each text on its own, then the translations of a filled key
// against its ENG text (an empty translation shows the English one).
void Check_Placeholders(const std::string& name, const std::vector<Loc_Entry>& entries,
                        std::vector<std::string>* errors) {
  for (const Loc_Entry& e : entries) {
    const Loc_Text* eng = nullptr;
    for (const Loc_Text& t : e.texts) {
      if (t.code == "ENG" && !eng) eng = &t;
      std::string problem = Loc_Placeholder_Problem(e.key, t.bytes);
      if (!problem.empty()) errors->push_back(At(name, &t) + e.key + " " + t.code + " text " + problem);
    }
    const Loc_Key_Use* use = Loc_Asked_Key(e.key);
    if (!use || !use->filled || !eng || !Loc_Placeholder_Problem(e.key, eng->bytes).empty()) continue;
    bool engHas = !Loc_Placeholder_Digits(eng->bytes).empty();
    std::string engLine = eng->line ? " (line " + std::to_string(eng->line) + ")" : "";
    for (const Loc_Text& t : e.texts) {
      if (&t == eng || t.bytes.empty() || !Loc_Placeholder_Problem(e.key, t.bytes).empty()) continue;
      if (Loc_Placeholder_Digits(t.bytes).empty() == !engHas) continue;
      errors->push_back(At(name, &t) + t.code + " text of " + e.key +
                        (engHas ? " drops the placeholder ^0 that the ENG text" + engLine + " has"
                                : " adds the placeholder ^0, which the ENG text" + engLine + " does not have"));
    }
  }
}

// The insert-disc text filled as Str_Format fills it: one copy per
// placeholder, the disc's name first, the others empty. Its length.
size_t Filled_Length(const std::string& text) {
  int count = Str_Count_Placeholders(text.c_str());
  if (count == 0) return text.size();
  const char* copies[kMaxCopies] = {};
  for (int i = 0; i < count && i < kMaxCopies; i++) copies[i] = i == 0 ? Loc_Disc_Name : "";
  // Each two-byte placeholder grows by at most the name's length.
  std::vector<char> out(text.size() * (sizeof Loc_Disc_Name) + 1);
  Str_Fill_Placeholders(text.c_str(), copies, count < kMaxCopies ? count : kMaxCopies, out.data(), out.size());
  return strlen(out.data());
}

}  // namespace

const Loc_Key_Use* Loc_Asked_Key(const std::string& key) {
  for (const Loc_Key_Use& use : Loc_Asked_Keys)
    if (key == use.key) return &use;
  return nullptr;
}

std::string Loc_Placeholder_Problem(const std::string& key, const std::string& bytes) {
  std::string digits = Loc_Placeholder_Digits(bytes);
  if (digits.empty()) return "";
  const Loc_Key_Use* use = Loc_Asked_Key(key);
  if (!use || !use->filled)
    return std::string("holds ^") + digits[0] +
           ", which the program never fills: it shows as it stands (only MSG_MESSAGE_INSERTCD's ^0 is filled, "
           "with the disc's name)";
  for (char d : digits)
    if (d != '0')
      return std::string("holds ^") + d + ", which the program never fills (it fills one ^0, with the disc's name)";
  if (digits.size() > 1) return "holds ^0 more than once (the program fills one ^0, with the disc's name)";
  return "";
}

void Loc_Shown_Text(const std::vector<Loc_Entry>& entries, const std::string& key, const std::string& code,
                    Loc_Shown* shown) {
  *shown = Loc_Shown();
  const Loc_Entry* entry = nullptr;
  for (const Loc_Entry& e : entries)
    if (e.key == key && !entry) entry = &e;
  if (!entry) return;
  shown->from = Loc_Meant_Text(*entry, code);
  if (!shown->from) return;
  shown->full = Loc_Expanded(shown->from->bytes);
  const Loc_Key_Use* use = Loc_Asked_Key(key);
  shown->bytes = use && shown->full.size() > use->shown ? shown->full.substr(0, use->shown) : shown->full;
}

bool Loc_Check_Shown(const std::string& name, const std::vector<Loc_Entry>& entries, bool cutsAreErrors,
                     Loc_Messages* msgs) {
  size_t before = msgs->errors.size();
  Check_Placeholders(name, entries, &msgs->errors);
  std::vector<std::string>& cuts = cutsAreErrors ? msgs->errors : msgs->warnings;
  for (const std::string& code : Languages(entries)) {
    int codePage = Loc_Code_Page(code);
    // A language showing the English text meets the English finding: said once, for ENG.
    auto own = [&code](const Loc_Shown& s) { return s.from && (code == "ENG" || s.from->code != "ENG"); };
    for (const Loc_Key_Use& use : Loc_Asked_Keys) {
      Loc_Shown s;
      Loc_Shown_Text(entries, use.key, code, &s);
      if (!own(s)) continue;
      if (s.full.size() > use.shown)
        cuts.push_back(At(name, s.from) + code + ": " + use.key + " is " + std::to_string(s.full.size()) +
                       " bytes; the program shows " + std::to_string(use.shown) + " and cuts it after \"" +
                       Tail(s.bytes, codePage) + "\"");
      size_t filled = use.filled ? Filled_Length(s.full) : 0;
      if (filled >= kFillLimit)
        cuts.push_back(At(name, s.from) + code + ": " + use.key + " filled with the disc's name \"" + Loc_Disc_Name +
                       "\" is " + std::to_string(filled) + " bytes; the program fills it only below " +
                       std::to_string(kFillLimit) + ", so the user sees the text unfilled, with the raw \"^0\" in it");
    }
    Loc_Shown need, install;
    Loc_Shown_Text(entries, "MSG_MESSAGE_NEEDACROBAT", code, &need);
    Loc_Shown_Text(entries, "MSG_MESSAGE_INSTALLNOW", code, &install);
    if (!own(need) && !own(install)) continue;
    std::string offer = need.bytes + "\n\n" + install.bytes;
    if (offer.size() <= kOfferBytes) continue;
    // The line to shorten first: the text the cut falls in.
    const Loc_Text* cutIn = need.bytes.size() + 2 >= kOfferBytes || !install.from ? need.from : install.from;
    cuts.push_back(At(name, cutIn) + code + ": the reader offer (need-reader text, blank line, install question) is " +
                   std::to_string(offer.size()) + " bytes; the prompt shows " + std::to_string(kOfferBytes) +
                   " and cuts it after \"" + Tail(offer.substr(0, kOfferBytes), codePage) + "\"");
  }
  return msgs->errors.size() == before;
}
