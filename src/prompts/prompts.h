// Every notice and question put to the user: a one- or two-button modal prompt
// whose texts may be string keys ("MSG_..."); every answer is logged.
#pragma once

// 1: first button; 2: second button; 0: no main window (a message box was
// shown); anything else: the dialog could not run. An empty second text gives one button.
int Ask_User(const char* question, const char* first, const char* second);
