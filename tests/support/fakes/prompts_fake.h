// Knobs of the prompts' native stand-in (Show_Prompt of prompts_platform.h):
// what the "user" answers, and what the prompt was shown.
#pragma once
#include <functional>
#include <string>

struct Prompts_Fake_State {
  int result = 1;                 // the answer Show_Prompt gives
  std::function<void()> during;   // runs while the prompt is "up", if set
  int shown = 0;                  // prompts shown
  std::string question, first, second;  // texts of the last prompt
};

extern Prompts_Fake_State Prompts_Fake;
void Prompts_Fake_Reset(void);
