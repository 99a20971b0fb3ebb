// What the portable manuals code asks Windows (implemented in the *_win.cpp
// files of this folder; native stand-ins in tests/support/fakes/manuals_fake.cpp).
#pragma once

// Reader detection and installer start (viewer_win.cpp).
typedef void* Viewer_Key;  // an open registry key; only the platform side looks inside
// Opens a key under HKEY_CLASSES_ROOT; 1 when opened.
int Viewer_Reg_Open(const char* name, Viewer_Key* key);
// The default value of key's sub-key (empty: the key itself) as text, read with
// the byte count size; 1 when read and terminated within size bytes, else 0 with out empty.
int Viewer_Reg_Read(Viewer_Key key, const char* subKey, char* out, long size);
void Viewer_Reg_Close(Viewer_Key key);
// Starts commandLine shown (SW_SHOW); the start result, 32 or more when started.
unsigned int Viewer_Start(const char* commandLine);
