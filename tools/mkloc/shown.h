// What DOCVIEW.EXE shows of its texts: the buffer each key is delivered into,
// the one key it fills, and the reader offer it composes from two texts. mkloc
// (a source or a finished file) and disccheck report with the same rules.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "locfile.h"

// How the program uses a key it asks for.
struct Loc_Key_Use {
  const char* key;  // upper case, as the index holds it
  size_t shown;     // the most bytes the program shows; a longer text is cut there
  int filled;       // 1: filled with the disc's name at ^0 (MSG_MESSAGE_INSERTCD)
};

// The keys the program asks for (LOC_ASKED_KEY_COUNT of them).
enum { LOC_ASKED_KEY_COUNT = 7 };
extern const Loc_Key_Use Loc_Asked_Keys[LOC_ASKED_KEY_COUNT];

// The argument the program fills the insert-disc text with.
extern const char Loc_Disc_Name[];

// How the program uses key; NULL for a key it never asks for.
const Loc_Key_Use* Loc_Asked_Key(const std::string& key);

// The placeholder rule for one text of key, over its code-page bytes: only
// MSG_MESSAGE_INSERTCD is filled, with one argument, so it may hold one ^0 and
// every other key none. "" when the text keeps the rule, else the words that
// follow "KEY CODE text " in a message ("holds ^1, which ...").
std::string Loc_Placeholder_Problem(const std::string& key, const std::string& bytes);

// What the program shows for key in language code (ENG, FRA, ...).
struct Loc_Shown {
  const Loc_Text* from = nullptr;  // the text delivered: the language's own, else the ENG one; NULL: none
  std::string full;                // its bytes with "\n" turned into line feeds
  std::string bytes;               // what the caller's buffer keeps: full, cut to the key's size
};
void Loc_Shown_Text(const std::vector<Loc_Entry>& entries, const std::string& key,
                    const std::string& code, Loc_Shown* shown);

// Every check of what the user sees, in every language the entries carry:
// placeholders (always errors) and texts the program cuts or leaves unfilled
// (errors when cutsAreErrors, else warnings): a text longer than its buffer,
// the reader offer over the prompt's 255 bytes, the filled insert-disc text
// at 256 bytes or more. Messages start "name:LINE: " for a text with a source
// line, else "name: ". True when no error was added.
bool Loc_Check_Shown(const std::string& name, const std::vector<Loc_Entry>& entries,
                     bool cutsAreErrors, Loc_Messages* msgs);
