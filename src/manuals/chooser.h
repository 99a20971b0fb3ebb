// The manual catalogue (doc\doc.ini), the chooser dialog and opening a manual.
#pragma once
#include <stddef.h>

int Choose_Manual(char* out, size_t size);  // 1 when the user confirmed a manual
void Open_Manual(const char* title);
double Seconds_Now(void);
