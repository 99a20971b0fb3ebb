// The prompts' inner steps, which need no window: text resolution and the
// answer's log line. Shared with the tests.
#pragma once
#include <stddef.h>

// Buffer sizes of one prompt's texts, terminator included.
enum { PROMPT_QUESTION_SIZE = 512, PROMPT_LABEL_SIZE = 256, PROMPT_LOG_SIZE = 512 };

// A text that starts with "MSG_" (case-sensitive) is looked up in slot 0;
// any other text is copied. out always ends terminated, cut to fit.
void Resolve_Prompt_Text(const char* text, char* out, size_t size);

// "User Choice: <first or second>     Question: <question>": the first text
// for result 1, the second for any other result. Cut at the end to fit.
void Build_Choice_Line(int result, const char* question, const char* first, const char* second,
                       char* out, size_t size);
