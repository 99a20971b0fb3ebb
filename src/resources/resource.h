// Resource ids shared by the .rc files, the program and its tests.
#pragma once

#define IDI_MAIN 109

// PROMPT_USER
#define IDC_PROMPT_LEFT 1105
#define IDC_PROMPT_RIGHT 1106
#define IDC_PROMPT_TEXT 1107

// MANUAL_LIST
#define IDC_MANUAL_LIST 1001
#define IDC_MANUAL_CANCEL 1002
#define IDC_MANUAL_OK 1003
#define IDC_MANUAL_VERSION 1004
#define IDC_MANUAL_TEXT 1107
