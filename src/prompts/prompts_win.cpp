// The prompt dialog (PROMPT_USER) and its fallback message box before the
// main window exists.
#include <windows.h>

#include "base/buf.h"
#include "base/program_win.h"
#include "prompts/prompts_internal.h"
#include "prompts/prompts_platform.h"
#include "resources/resource.h"

INT_PTR CALLBACK Prompt_Dialog_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's texts reach it only through these copies (its creation
// parameter is 0); Show_Prompt fills them just before the dialog runs.
static char PromptQuestion[PROMPT_QUESTION_SIZE];
static char PromptFirst[PROMPT_LABEL_SIZE];
static char PromptSecond[PROMPT_LABEL_SIZE];
static int OneButton;

int Show_Prompt(const char* question, const char* first, const char* second) {
  if (MainWindow == NULL) {
    MessageBoxA(NULL, question, "Tamlo", MB_OK);
    return 0;
  }
  BUF_COPY(PromptQuestion, question);
  BUF_COPY(PromptFirst, first);
  BUF_COPY(PromptSecond, second);
  INT_PTR result = DialogBoxParamA(AppInstance, "PROMPT_USER", MainWindow, Prompt_Dialog_Proc, 0);
  Pump_Messages();
  return (int)result;
}

static void Prompt_Init(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_PROMPT_TEXT, PromptQuestion);
  if (PromptSecond[0] == '\0') {
    // A notice: its one button stands on the right.
    OneButton = 1;
    ShowWindow(GetDlgItem(dialog, IDC_PROMPT_LEFT), SW_HIDE);
    SetDlgItemTextA(dialog, IDC_PROMPT_RIGHT, PromptFirst);
  } else {
    OneButton = 0;
    SetDlgItemTextA(dialog, IDC_PROMPT_LEFT, PromptFirst);
    SetDlgItemTextA(dialog, IDC_PROMPT_RIGHT, PromptSecond);
  }
  Center_Window(dialog);
}

INT_PTR CALLBACK Prompt_Dialog_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    Prompt_Init(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    // Only the two buttons end a prompt: IDCANCEL (Esc, close) is left alone.
    switch (LOWORD(wParam)) {
      case IDC_PROMPT_LEFT:
        EndDialog(dialog, 1);
        return TRUE;
      case IDC_PROMPT_RIGHT:
        EndDialog(dialog, OneButton ? 1 : 2);
        return TRUE;
    }
  }
  return FALSE;
}
