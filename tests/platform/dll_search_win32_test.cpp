// Where DLLs loaded by name come from once RestrictDllSearch has run (Wine in
// this build): a probe DLL beside the program and one in the current folder
// are found only when asked for by path, and system DLLs come from System32.
// The probe is the planted-dlls scenario's stand-in (tests/e2e/planted_dll.c)
// under a name of its own, which no system DLL has.
#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/dll_search.h"
#include "platform/win32/system_dll.h"
#include "platform/win32/wide.h"
#include "support/temp_dir.h"

namespace zentivo::win32 {
namespace {

std::wstring Folder(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

const wchar_t kStandIn[] = L"" ZENTIVO_BINARY_DIR "/planted-dlls/version.dll";

// A copy of the stand-in at `path`, removed again at the end of the test.
class Probe {
 public:
  explicit Probe(std::wstring path) : path_(std::move(path)) {
    copied_ = CopyFileW(kStandIn, path_.c_str(), FALSE) != FALSE;
  }
  ~Probe() { DeleteFileW(path_.c_str()); }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  bool copied() const { return copied_; }
  const std::wstring& path() const { return path_; }
  std::wstring name() const { return path_.substr(path_.find_last_of(L"\\/") + 1); }

  // Loadable by its path, so that a name that isn't found is the search's doing.
  bool LoadsByPath() const {
    HMODULE module = LoadLibraryW(path_.c_str());
    if (module)
      FreeLibrary(module);
    return module != nullptr;
  }

 private:
  std::wstring path_;
  bool copied_ = false;
};

// Every program that calls RestrictDllSearch has it run before its static
// initialisers: this one too, before any test did anything.
TEST(DllSearch, BesideTheProgramIsNotSearchedFromTheStart) {
  const Probe probe(Folder(ModulePath(nullptr)) + L"\\zentivo-probe-beside.dll");
  ASSERT_TRUE(probe.copied()) << "the stand-in " << Narrow(kStandIn);
  ASSERT_TRUE(probe.LoadsByPath());
  // Only asking for the program's folder in so many words finds it there.
  HMODULE asked =
      LoadLibraryExW(probe.name().c_str(), nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
  EXPECT_NE(asked, nullptr);
  if (asked)
    FreeLibrary(asked);
  EXPECT_EQ(LoadLibraryW(probe.name().c_str()), nullptr);
  EXPECT_EQ(LoadSystemDll(probe.name().c_str()), nullptr);
}

TEST(DllSearch, NeitherBesideTheProgramNorInTheCurrentFolder) {
  platform::RestrictDllSearch();
  const testing::TempDir dir;
  const Probe beside(Folder(ModulePath(nullptr)) + L"\\zentivo-probe-beside.dll");
  const Probe current(Widen(dir / "zentivo-probe-current.dll"));
  ASSERT_TRUE(beside.copied() && current.copied());
  ASSERT_TRUE(current.LoadsByPath());
  wchar_t before[MAX_PATH];
  ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH, before));
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir.path()).c_str()));
  for (const Probe* probe : {&beside, &current}) {
    EXPECT_EQ(LoadLibraryW(probe->name().c_str()), nullptr) << Narrow(probe->name());
    EXPECT_EQ(LoadLibraryExW(probe->name().c_str(), nullptr, 0), nullptr) << Narrow(probe->name());
    EXPECT_EQ(LoadSystemDll(probe->name().c_str()), nullptr) << Narrow(probe->name());
  }
  SetCurrentDirectoryW(before);
}

TEST(SystemDll, ComesFromSystem32) {
  HMODULE bcrypt = LoadSystemDll(L"bcrypt.dll");
  ASSERT_NE(bcrypt, nullptr);
  EXPECT_TRUE(SameFolder(Folder(ModulePath(bcrypt)), SystemFolder())) << Narrow(ModulePath(bcrypt));
}

TEST(SystemDll, TypedFunctionsAnswerTheirFailureWhenMissing) {
  const SystemDll bcrypt(L"bcrypt.dll");
  const SystemDll none(L"zentivo-no-such.dll");
  constexpr NTSTATUS kMissing = static_cast<NTSTATUS>(0xC000007AL);
  const SystemFunction<decltype(::BCryptOpenAlgorithmProvider)> open{
      bcrypt, "BCryptOpenAlgorithmProvider", kMissing};
  const SystemFunction<decltype(::BCryptOpenAlgorithmProvider)> misnamed{
      bcrypt, "BCryptOpenNoSuchProvider", kMissing};
  const SystemFunction<decltype(::BCryptOpenAlgorithmProvider)> undllable{
      none, "BCryptOpenAlgorithmProvider", kMissing};
  const SystemFunction<decltype(::BCryptCloseAlgorithmProvider)> close{
      bcrypt, "BCryptCloseAlgorithmProvider", kMissing};

  BCRYPT_ALG_HANDLE handle = nullptr;
  ASSERT_GE(open(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0), 0);
  EXPECT_NE(handle, nullptr);
  EXPECT_GE(close(handle, 0), 0);
  for (const auto* missing : {&misnamed, &undllable}) {
    SetLastError(0);
    BCRYPT_ALG_HANDLE untouched = nullptr;
    EXPECT_EQ((*missing)(&untouched, BCRYPT_SHA256_ALGORITHM, nullptr, 0), kMissing);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(untouched, nullptr);
  }
}

}  // namespace
}  // namespace zentivo::win32
#endif
