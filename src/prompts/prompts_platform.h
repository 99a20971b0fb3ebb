// What the prompts ask of Windows (prompts_win.cpp); natively a test stand-in
// answers instead. Texts are 8-bit and already resolved.
#pragma once

// Runs the PROMPT_USER dialog owned by the main window, or a plain message box
// captioned "Tamlo" with the question when there is no main window yet.
// 1: first button; 2: second button; 0: after the message box; anything else:
// the dialog could not run and this is what the platform's call returned.
int Show_Prompt(const char* question, const char* first, const char* second);
