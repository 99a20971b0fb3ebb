// Native stand-in for the manuals code's Windows edge (src/manuals/manuals_platform.h):
// a small registry under HKEY_CLASSES_ROOT, a set of existing paths, canned
// start results, and a trace of every call.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

struct Viewer_Fake_Knobs {
  // key name -> (sub-key -> default value text); a key listed here can be opened.
  std::map<std::string, std::map<std::string, std::string>> keys;
  // Values are stored as text values are, with their terminator, unless this is set.
  bool stored_without_terminator = false;
  std::set<std::string> existing_paths;
  // Results of successive starts; once used up every start answers 2 (file not found).
  std::vector<unsigned> start_results;
};
extern Viewer_Fake_Knobs Viewer_Fake;

// Calls in order: "open NAME", "open-failed NAME", "read KEY|SUB size=N", "close KEY",
// "exists PATH", "start COMMAND". A close of a key not open is traced as "close-bad".
extern std::vector<std::string> Viewer_Fake_Calls;
int Viewer_Fake_Open_Keys();  // keys opened and not yet closed

void Viewer_Fake_Reset();
