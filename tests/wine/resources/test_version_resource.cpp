// DOCVIEW.EXE's version resource, manifest and subsystem, read from the built
// file through the calls Windows' own tools use (GetFileVersionInfo and
// VerQueryValue, FindResource, CreateActCtx and QueryActCtxSettings).
// The file is the build's DOCVIEW.EXE (DV_DOCVIEW_UNIX); the environment
// variable DV_DOCVIEW (a Windows or Unix path) points it at another build's.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string Windows_Path(const char* path) {
  if (path[0] != '/') return path;
  std::string out = std::string("Z:") + path;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

std::string Exe() {
  const char* env = getenv("DV_DOCVIEW");
  return Windows_Path(env != nullptr && env[0] != 0 ? env : DV_DOCVIEW_UNIX);
}

std::string Version_String(const std::vector<char>& info, const char* name) {
  std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
  char* value = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(info.data(), query.c_str(), (void**)&value, &len) || value == nullptr) return "<missing>";
  return std::string(value, strnlen(value, len));
}

std::vector<char> Version_Info(const std::string& path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  std::vector<char> info(size);
  if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data())) info.clear();
  return info;
}

std::string Manifest_Text(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == NULL) return "";
  std::string text;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  if (found != NULL) {
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = loaded ? (const char*)LockResource(loaded) : nullptr;
    if (bytes != nullptr) text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

TEST(VersionResource, FieldsAsWindowsReadsThem) {
  std::string path = Exe();
  std::vector<char> info = Version_Info(path);
  ASSERT_FALSE(info.empty()) << "no version resource in " << path;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void**)&fixed, &len));
  ASSERT_GE(len, sizeof *fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_APP);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug, pre-release or private build
  EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);     // no date: builds stay identical

  // One translation: US English, Windows' Western code page.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void**)&translation, &len));
  ASSERT_EQ(len, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);

  const struct {
    const char* name;
    const char* value;
  } kStrings[] = {
      {"ProductName", "Document Viewer Application"},
      {"ProductVersion", "2.00"},
      {"FileVersion", "2.0.0.0"},
      {"CompanyName", "Tamlo International"},
      {"FileDescription", "Document Viewer Application"},
      {"InternalName", "DOCVIEW"},
      {"OriginalFilename", "DOCVIEW.EXE"},
      {"LegalCopyright", "Copyright (C) Tamlo International"},
  };
  for (const auto& s : kStrings) EXPECT_EQ(Version_String(info, s.name), s.value) << s.name;
}

TEST(Manifest, DeclaresLevelSystemsAndDpiAndNoControlsV6) {
  std::string path = Exe();
  std::string text = Manifest_Text(path);
  ASSERT_FALSE(text.empty()) << "no RT_MANIFEST 1 in " << path;
  EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
  const char* kSystems[] = {
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
  };
  for (const char* id : kSystems)
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  EXPECT_EQ(text.find("Common-Controls"), std::string::npos);
  EXPECT_EQ(text.find("dependentAssembly"), std::string::npos);

  // The loader must accept it: an activation context made from the file's
  // resource, and the DPI setting read back from it.
  ACTCTXA ctx;
  memset(&ctx, 0, sizeof ctx);
  ctx.cbSize = sizeof ctx;
  ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  ctx.lpSource = path.c_str();
  ctx.lpResourceName = MAKEINTRESOURCEA(1);
  SetLastError(0xdeadbeef);
  HANDLE actctx = CreateActCtxA(&ctx);
  ASSERT_NE(actctx, INVALID_HANDLE_VALUE) << "manifest refused, error " << GetLastError();
  wchar_t value[64] = L"";
  SIZE_T written = 0;
  EXPECT_TRUE(QueryActCtxSettingsW(0, actctx, NULL, L"dpiAware", value, 64, &written)) << GetLastError();
  EXPECT_STREQ(value, L"true");
  ReleaseActCtx(actctx);
}

TEST(Executable, IsAWindowsGuiProgram) {
  std::string path = Exe();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  std::vector<unsigned char> head(4096);
  DWORD got = 0;
  BOOL read = ReadFile(file, head.data(), (DWORD)head.size(), &got, NULL);
  CloseHandle(file);
  ASSERT_TRUE(read);
  ASSERT_GE(got, 0x40u);
  DWORD pe = *(const DWORD*)&head[0x3C];
  // The subsystem sits at the same place in 32- and 64-bit optional headers.
  ASSERT_LE(pe + 24 + 70, got);
  ASSERT_EQ(memcmp(&head[pe], "PE\0\0", 4), 0);
  WORD subsystem = *(const WORD*)&head[pe + 24 + 68];
  EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
