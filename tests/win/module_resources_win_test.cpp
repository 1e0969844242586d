// The resources of the built executables: the message table Event Viewer renders the service's
// entries with, and the version resource of every program. The executables lie beside the test
// program's folder, as the build puts them.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/version.h"
#include "platform/module_path_win.h"
#include "service/service_control_host.h"

namespace {

std::string BuiltProgram(const std::string& relativePath) {
  const std::string tests = ExecutablePath().substr(0, ExecutablePath().find_last_of('\\'));
  return tests.substr(0, tests.find_last_of('\\') + 1) + relativePath;
}

// The entry's text as Event Viewer renders it: the message of the entry's id from the source's
// message file, with the entry's strings as its inserts.
std::string RenderedEntry(HMODULE module, DWORD eventId, const char* text) {
  char* rendered = nullptr;
  const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(text)};
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, eventId,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<char*>(&rendered), 0,
      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
  if (length == 0) return "FormatMessageA failed with error " + std::to_string(GetLastError());
  std::string result(rendered, length);
  LocalFree(rendered);
  return result;
}

TEST(ModuleResourcesTest, TheServicesMessageTableRendersAnEntryAsItsOwnText) {
  HMODULE module = LoadLibraryExA(BuiltProgram("service\\hourwarden.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << GetLastError();
  // RT_MESSAGETABLE, resource id 1, as windmc writes it.
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(11)), nullptr);
  for (const char* text : {"Service failed on start: Access is denied.", "50% done: %1 %%2 stays as written"})
    EXPECT_EQ(RenderedEntry(module, kEventId, text), text);
  // The severity bits belong to the id: the error-type entries are found under id 0, not 0xC0000000.
  EXPECT_NE(RenderedEntry(module, 0xC0000000, "x"), "x");
  FreeLibrary(module);
}

// One string of the version resource's U.S. English Unicode block.
std::string VersionString(const std::vector<char>& info, const std::string& name) {
  void* value = nullptr;
  UINT size = 0;
  const std::string path = "\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueA(info.data(), path.c_str(), &value, &size) || size == 0) return "(missing " + name + ")";
  return std::string(static_cast<const char*>(value));
}

TEST(ModuleResourcesTest, EveryProgramCarriesTheProductVersion) {
  for (const std::string program : {"service\\hourwarden.exe", "session\\hourwarden-session.exe", "hwctl\\hwctl.exe"}) {
    const std::string path = BuiltProgram(program);
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_NE(size, 0u) << program << ": " << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data())) << program;
    EXPECT_EQ(VersionString(info, "ProductVersion"), kHourwardenVersion) << program;
    EXPECT_EQ(VersionString(info, "FileVersion"), kHourwardenVersion) << program;
    EXPECT_EQ(VersionString(info, "CompanyName"), "Qorvex") << program;
    EXPECT_EQ(VersionString(info, "ProductName"), "Hourwarden") << program;
    EXPECT_EQ(VersionString(info, "OriginalFilename"), program.substr(program.find('\\') + 1)) << program;
  }
}

// The session tool's manifest asks for the common controls 6 and per-monitor DPI awareness, and
// its icon, which the tray shows, is its own.
TEST(ModuleResourcesTest, TheSessionToolCarriesItsManifestAndIcon) {
  HMODULE module = LoadLibraryExA(BuiltProgram("session\\hourwarden-session.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << GetLastError();
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
  for (const char* wanted : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">PerMonitorV2, PerMonitor<", ">true/pm<"})
    EXPECT_NE(text.find(wanted), std::string::npos) << wanted;
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr) << "RT_GROUP_ICON 1";
  FreeLibrary(module);
}

}  // namespace
