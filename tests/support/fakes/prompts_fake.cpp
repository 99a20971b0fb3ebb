// Native stand-in for the prompt dialog: records the texts and answers as told.
#include "prompts_fake.h"

#include "prompts/prompts_platform.h"

Prompts_Fake_State Prompts_Fake;

void Prompts_Fake_Reset(void) { Prompts_Fake = Prompts_Fake_State(); }

int Show_Prompt(const char* question, const char* first, const char* second) {
  Prompts_Fake.shown++;
  Prompts_Fake.question = question;
  Prompts_Fake.first = first;
  Prompts_Fake.second = second;
  if (Prompts_Fake.during) Prompts_Fake.during();
  return Prompts_Fake.result;
}
