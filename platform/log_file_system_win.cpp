// The log files on Windows, through the wide file calls: paths are UTF-8 inside the program.

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/folder_access_win.h"
#include "platform/local_memory_win.h"
#include "platform/log_file_system_win.h"
#include "platform/unique_handle_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// Full control for LocalSystem and the Administrators, inherited by what is created inside,
// nothing for anyone else and nothing inherited from the parent; the Administrators own it.
constexpr char kPrivateFolderSecurity[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The failure of a call on the path: "PATH: CALL failed with error CODE: TEXT".
CallFailure PathFailure(const std::string& path, const char* call, DWORD error) {
  CallFailure failure = WindowsCallFailure(call, error);
  failure.text = path + ": " + failure.text;
  return failure;
}

// Every "\n" becomes "\r\n", as a text-mode write would make it.
std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    for (const char c : line) {
      if (c == '\n') text += '\r';
      text += c;
    }
    text += "\r\n";
  }
  return text;
}

// The piece a trim reads and copies at a time.
constexpr DWORD kPieceBytes = 64 * 1024;

// Moves the file pointer of a synchronous handle to the offset from the start.
bool SeekTo(HANDLE file, int64_t offset) {
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr)) return false;
    done += written;
  }
  return true;
}

// The SID text of the account the process runs as; empty when it cannot be read.
std::string ProcessAccountSid() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return {};
  LocalMemory text;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, text.Receive<char>())) return {};
  return static_cast<const char*>(text.Get());
}

// The facts of an open file, its owner read only for a plain file.
CallResult<PathFacts> FactsOf(HANDLE file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information))
    return PathFailure(path, "GetFileInformationByHandle", GetLastError());
  PathFacts facts;
  facts.kind = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? PathFacts::Kind::kLink
               : (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathFacts::Kind::kFolder
                                                                                 : PathFacts::Kind::kFile;
  facts.links = information.nNumberOfLinks;
  if (facts.kind != PathFacts::Kind::kFile) return facts;
  PSID owner = nullptr;
  LocalMemory descriptor;
  const DWORD result = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                       nullptr, descriptor.Receive<void>());
  if (result != ERROR_SUCCESS) return PathFailure(path, "GetSecurityInfo", result);
  if (owner == nullptr) return facts;
  LocalMemory ownerText;
  if (!ConvertSidToStringSidA(owner, ownerText.Receive<char>()))
    return PathFailure(path, "ConvertSidToStringSidA", GetLastError());
  facts.owner = static_cast<const char*>(ownerText.Get());
  return facts;
}

// The private folder's descriptor, for a folder's creation or to be given to one.
CallResult<LocalMemory> PrivateFolderSecurity(const std::string& folder) {
  LocalMemory security;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderSecurity, SDDL_REVISION_1,
                                                            security.Receive<void>(), nullptr))
    return PathFailure(folder, "ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError());
  return security;
}

class WindowsLogFileSystem : public LogFileSystem {
 public:
  WindowsLogFileSystem(std::string serviceLogFolder, FileTrustRule trust)
      : serviceLogFolder_(std::move(serviceLogFolder)), trust_(trust), self_(ProcessAccountSid()) {}

  CallResult<int64_t> AppendLines(const std::string& path, const std::vector<std::string>& lines) override {
    // FILE_APPEND_DATA alone: every write goes to the end. FILE_READ_ATTRIBUTES for the file's
    // information and size, READ_CONTROL for its owner. FILE_FLAG_OPEN_REPARSE_POINT: a link in
    // the file's place is opened itself, never followed, and then refused below.
    UniqueHandle file(CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return PathFailure(path, "CreateFileW", GetLastError());
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    if (!WriteAll(file.Get(), CrLf(lines))) return PathFailure(path, "WriteFile", GetLastError());
    LARGE_INTEGER size{};
    return GetFileSizeEx(file.Get(), &size) ? int64_t{size.QuadPart} : int64_t{0};
  }

  CallResult<std::optional<int64_t>> FileSize(const std::string& path) override {
    UniqueHandle file = OpenExisting(path, FILE_READ_ATTRIBUTES | READ_CONTROL);
    if (!file) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::optional<int64_t>{};
      return PathFailure(path, "CreateFileW", error);
    }
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return PathFailure(path, "GetFileSizeEx", GetLastError());
    return std::optional<int64_t>{size.QuadPart};
  }

  CallResult<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) override {
    // GENERIC_READ: the data, and the attributes the trust check reads.
    UniqueHandle file = OpenExisting(path, GENERIC_READ | READ_CONTROL);
    if (!file) return PathFailure(path, "CreateFileW", GetLastError());
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    if (!SeekTo(file.Get(), offset)) return PathFailure(path, "SetFilePointerEx", GetLastError());
    std::string piece(count, '\0');
    size_t done = 0;
    while (done < count) {
      DWORD read = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, kPieceBytes));
      if (!ReadFile(file.Get(), piece.data() + done, chunk, &read, nullptr))
        return PathFailure(path, "ReadFile", GetLastError());
      if (read == 0) break;  // the end of the file
      done += read;
    }
    piece.resize(done);
    return piece;
  }

  CallResult<Creation> CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) override {
    UniqueHandle source = OpenExisting(from, GENERIC_READ | READ_CONTROL);
    if (!source) return PathFailure(from, "CreateFileW", GetLastError());
    if (std::optional<std::string> distrust = Distrust(source.Get(), from)) return CallFailure{*distrust};
    if (!SeekTo(source.Get(), offset)) return PathFailure(from, "SetFilePointerEx", GetLastError());
    // CREATE_NEW fails when anything of that name exists, a link included.
    UniqueHandle file(
        CreateFileW(WideFromUtf8(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Creation::kAlreadyExists;
      return PathFailure(to, "CreateFileW", error);
    }
    std::string piece(kPieceBytes, '\0');
    CallFailure failure;
    for (;;) {
      DWORD read = 0;
      if (!ReadFile(source.Get(), piece.data(), kPieceBytes, &read, nullptr)) {
        failure = PathFailure(from, "ReadFile", GetLastError());
        break;
      }
      if (read == 0) return Creation::kCreated;  // the end of the file: all copied
      DWORD written = 0;
      if (!WriteFile(file.Get(), piece.data(), read, &written, nullptr) || written != read) {
        failure = PathFailure(to, "WriteFile", GetLastError());
        break;
      }
    }
    file.Reset();
    DeleteFileW(WideFromUtf8(to).c_str());
    return failure;
  }

  CallResult<PathFacts> Facts(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return PathFacts{};
      return PathFailure(path, "GetFileAttributesW", error);
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathFacts{PathFacts::Kind::kLink};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathFacts{PathFacts::Kind::kFolder};
    UniqueHandle file = OpenExisting(path, FILE_READ_ATTRIBUTES | READ_CONTROL);
    if (!file) return PathFailure(path, "CreateFileW", GetLastError());
    return FactsOf(file.Get(), path);
  }

  std::string ProcessAccount() const override { return self_; }

  CallResult<void> ReplaceFile(const std::string& from, const std::string& to) override {
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return {};
    return PathFailure(to, "MoveFileExW", GetLastError());
  }

  CallResult<void> RemoveFile(const std::string& path) override {
    if (DeleteFileW(WideFromUtf8(path).c_str())) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};
    return PathFailure(path, "DeleteFileW", error);
  }

  CallResult<FolderAccessList> ReadFolderAccess(const std::string& folder) override {
    return WindowsFolderAccessSource().Read(folder);
  }

  CallResult<bool> CreatePrivateFolder(const std::string& folder) override {
    const CallResult<LocalMemory> security = PrivateFolderSecurity(folder);
    if (!security) return CallFailure{security.Failure(), security.FailureCode()};
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security.Value().Get(), FALSE};
    if (CreateDirectoryW(WideFromUtf8(folder).c_str(), &attributes)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return false;
    return PathFailure(folder, "CreateDirectoryW", error);
  }

  CallResult<void> RestrictFolder(const std::string& folder) override {
    const CallResult<LocalMemory> security = PrivateFolderSecurity(folder);
    if (!security) return CallFailure{security.Failure(), security.FailureCode()};
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    GetSecurityDescriptorDacl(security.Value().Get(), &present, &dacl, &defaulted);
    GetSecurityDescriptorOwner(security.Value().Get(), &owner, &defaulted);
    std::wstring wideFolder = WideFromUtf8(folder);
    DWORD result = SetNamedSecurityInfoW(wideFolder.data(), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, dacl, nullptr);
    if (result != ERROR_SUCCESS) return PathFailure(folder, "SetNamedSecurityInfoW", result);
    // The owner may change the access list again, so whoever made the folder loses it.
    result = SetNamedSecurityInfoW(wideFolder.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                                   nullptr, nullptr);
    if (result != ERROR_SUCCESS) return PathFailure(folder, "SetNamedSecurityInfoW", result);
    return {};
  }

  std::string ServiceLogFolder() const override { return serviceLogFolder_; }

 private:
  static UniqueHandle OpenExisting(const std::string& path, DWORD access) {
    return UniqueHandle(CreateFileW(WideFromUtf8(path).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  }

  // Why the open file is not to be trusted: its facts cannot be read or the rule refuses them.
  std::optional<std::string> Distrust(HANDLE file, const std::string& path) const {
    const CallResult<PathFacts> facts = FactsOf(file, path);
    if (!facts) return facts.Failure();
    return trust_(path, facts.Value(), self_);
  }

  std::string serviceLogFolder_;
  FileTrustRule trust_;
  std::string self_;
};

}  // namespace

std::unique_ptr<LogFileSystem> MakeLogFileSystem(const std::string& serviceLogFolder, FileTrustRule trust) {
  return std::make_unique<WindowsLogFileSystem>(serviceLogFolder, trust);
}

std::string DefaultServiceLogFolder() {
  wchar_t programData[MAX_PATH] = L"";
  // The machine's ProgramData folder, from the shell rather than the environment.
  if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData) != S_OK)
    return "C:\\ProgramData\\Hourwarden\\Logs\\";
  return Utf8FromWide({programData, wcsnlen(programData, MAX_PATH)}) + "\\Hourwarden\\Logs\\";
}
