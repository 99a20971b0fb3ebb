// The MANUAL_LIST chooser dialog: its texts, the list of manuals and the
// title confirmed with OK or a double-click. Opening the manual is in open_win.cpp.
#include <windows.h>

#include "base/buf.h"
#include "base/program.h"
#include "base/program_win.h"
#include "manuals/catalogue.h"
#include "manuals/chooser.h"
#include "manuals/find_file.h"
#include "prompts/prompts.h"
#include "resources/resource.h"
#include "strrez/strrez.h"

int Fill_Manual_List(HWND list);
INT_PTR CALLBACK Manual_List_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

int Choose_Manual(char* out, size_t size) {
  INT_PTR result = DialogBoxParamA(AppInstance, "MANUAL_LIST", MainWindow, Manual_List_Proc, 0);
  ManualChosen = result == 1 ? 1 : 0;
  Buf_Copy(out, size, ChosenTitle);
  return (int)result;
}

static void Set_Item_From_Key(HWND dialog, int id, char* key) {
  char text[256];
  SetDlgItemTextA(dialog, id, STR_GET(0, key, text));
}

static void On_Init(HWND dialog) {
  // Str_Get upper-cases its key in place, so the keys live in writable arrays.
  char okKey[] = "MSG_Button_OK";
  char cancelKey[] = "MSG_Button_CANCEL";
  char chooseKey[] = "MSG_Message_Choose_Manual";
  Set_Item_From_Key(dialog, IDC_MANUAL_OK, okKey);
  Set_Item_From_Key(dialog, IDC_MANUAL_CANCEL, cancelKey);
  Set_Item_From_Key(dialog, IDC_MANUAL_TEXT, chooseKey);
  SetDlgItemTextA(dialog, IDC_MANUAL_VERSION, ProgramVersion);
  Fill_Manual_List(GetDlgItem(dialog, IDC_MANUAL_LIST));  // after a failure the rows so far stay
  SendDlgItemMessageA(dialog, IDC_MANUAL_LIST, LB_SETCURSEL, 0, 0);
  Center_Window(dialog);
}

static void On_Ok(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_MANUAL_LIST);
  LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  // No selection (an empty list) keeps ChosenTitle as it was; Open_Manual then finds no row.
  if (index != LB_ERR) {
    char text[CHOOSER_READ_SIZE];  // the reported length may exceed the text's
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (Chooser_Read_Fits((long long)length, dimof(text)) &&
        SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)text) != LB_ERR)
      Chooser_Keep_Title(text, dimof(text), ChosenTitle, dimof(ChosenTitle));
  }
  EndDialog(dialog, 1);
}

// Escape (IDCANCEL) and close requests are not ours, so they leave the dialog open.
INT_PTR CALLBACK Manual_List_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    On_Init(dialog);
    return TRUE;  // the focus goes to the list box, the first tab stop
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_MANUAL_LIST:
      if (HIWORD(wParam) == LBN_DBLCLK) On_Ok(dialog);
      return TRUE;
    case IDC_MANUAL_CANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_MANUAL_OK:
      On_Ok(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

static int Manual_Exists(void* context, const char* folder, const char* pattern) {
  (void)context;
  char name[FIND_NAME_SIZE];
  unsigned int timeValue = 0;
  int isDirectory = 0;
  return Find_File(0, folder, pattern, name, &timeValue, FIND_FIRST_AND_CLOSE, &isDirectory) == 0;
}

static void Add_To_List(void* context, const char* title) {
  SendMessageA((HWND)context, LB_ADDSTRING, 0, (LPARAM)title);
}

int Fill_Manual_List(HWND list) {
  if (Catalogue_Read(SourceRoot, SystemLanguageId, Manual_Exists, Add_To_List, list)) return 1;
  Ask_User("MSG_Message_NoDOCINI2", "MSG_Button_OK", "");
  return 0;
}
