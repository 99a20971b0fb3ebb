// Ask_User: resolves the prompt's texts, runs the prompt, and logs the answer
// in the user's language and, when that is not English, in English as well.
#include "prompts/prompts.h"

#include <string.h>

#include "base/buf.h"
#include "log/log.h"
#include "prompts/prompts_internal.h"
#include "prompts/prompts_platform.h"
#include "strrez/strrez.h"

static const unsigned short ENGLISH = 1033;

void Resolve_Prompt_Text(const char* text, char* out, size_t size) {
  if (size == 0) return;
  if (strncmp(text, "MSG_", 4) != 0) {
    Buf_Copy(out, size, text);
    return;
  }
  // The store upper-cases the key in place, and the caller's text is not ours
  // to change. A key too long for the copy cannot be an index token (those are
  // at most 255 characters), so it finds nothing: look up no cut key.
  char key[256];
  if (!BUF_COPY(key, text)) {
    out[0] = '\0';
    return;
  }
  Str_Get(0, key, out, size);
}

void Build_Choice_Line(int result, const char* question, const char* first, const char* second,
                       char* out, size_t size) {
  // Labels are at most 255 characters, so cutting at the end only ever
  // shortens the question: the choice is always logged whole.
  Buf_Format(out, size, "User Choice: %s     Question: %s", result == 1 ? first : second, question);
}

static void Log_Choice(int result, const char* question, const char* first, const char* second) {
  char q[PROMPT_QUESTION_SIZE], a[PROMPT_LABEL_SIZE], b[PROMPT_LABEL_SIZE];
  char line[PROMPT_LOG_SIZE];
  Resolve_Prompt_Text(question, q, dimof(q));
  Resolve_Prompt_Text(first, a, dimof(a));
  Resolve_Prompt_Text(second, b, dimof(b));
  Build_Choice_Line(result, q, a, b, line, dimof(line));
  Log_Line(1, line);
}

int Ask_User(const char* question, const char* first, const char* second) {
  char q[PROMPT_QUESTION_SIZE], a[PROMPT_LABEL_SIZE], b[PROMPT_LABEL_SIZE];
  char line[PROMPT_LOG_SIZE];
  Resolve_Prompt_Text(question, q, dimof(q));
  Resolve_Prompt_Text(first, a, dimof(a));
  Resolve_Prompt_Text(second, b, dimof(b));
  int result = Show_Prompt(q, a, b);
  Build_Choice_Line(result, q, a, b, line, dimof(line));
  Log_Line(1, line);

  // The log is read by support staff in English: repeat the answer with the
  // keys looked up in English, then give the user's language back.
  unsigned short previous = Str_Set_Language(0, ENGLISH);
  if (previous == ENGLISH) return result;
  Log_Choice(result, question, first, second);
  Str_Set_Language(0, previous);
  return result;
}
