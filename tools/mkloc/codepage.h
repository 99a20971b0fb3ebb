// Conversion between UTF-8 (the source of a string file) and the Windows code
// page of each language (the bytes the program shows). iconv natively,
// MultiByteToWideChar/WideCharToMultiByte on Windows.
#pragma once
#include <string>

// UTF-8 -> code page. False when the text is not valid UTF-8 or holds a
// character the code page cannot represent exactly (no best-fit substitutes).
bool Cp_From_Utf8(int codePage, const std::string& utf8, std::string* out);
// Code page -> UTF-8. False when the bytes are not valid in that code page.
bool Cp_To_Utf8(int codePage, const std::string& bytes, std::string* out);

// Stdout passes bytes unchanged (no CR added on Windows) so a dump is the
// same file everywhere.
void Tool_Binary_Stdout();
