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

std::string Failure(const std::string& what, const char* call, DWORD error) {
  return what + ": " + DescribeWindowsFailure(call, error);
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

// The SID of the account the process runs as, in a buffer of its own.
std::vector<BYTE> OwnAccountSid() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  std::vector<BYTE> copy(GetLengthSid(sid));
  CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
  return copy;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof buffer;
  return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

// The folder as the calls take it: without a trailing backslash, except for a drive root.
std::string FolderName(const std::string& folder) {
  std::string name = folder;
  if (name.size() > 3 && name.back() == '\\') name.pop_back();
  return name;
}

class WindowsLogFileSystem : public LogFileSystem {
 public:
  explicit WindowsLogFileSystem(std::string serviceLogFolder)
      : serviceLogFolder_(std::move(serviceLogFolder)), ownSid_(OwnAccountSid()) {}

  Appended AppendLines(const std::string& path, const std::vector<std::string>& lines) override {
    // FILE_APPEND_DATA alone: every write goes to the end. FILE_READ_ATTRIBUTES for the file's
    // information and size, READ_CONTROL for its owner. FILE_FLAG_OPEN_REPARSE_POINT: a link in
    // the file's place is opened itself, never followed, and then refused below.
    UniqueHandle file(CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return {Failure(path, "CreateFileW", GetLastError())};
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return {distrust};
    if (!WriteAll(file.Get(), CrLf(lines))) return {Failure(path, "WriteFile", GetLastError())};
    LARGE_INTEGER size{};
    return {std::nullopt, GetFileSizeEx(file.Get(), &size) ? size.QuadPart : 0};
  }

  std::optional<int64_t> FileSize(const std::string& path) override {
    UniqueHandle file = OpenExisting(path, FILE_READ_ATTRIBUTES | READ_CONTROL);
    LARGE_INTEGER size{};
    if (!file || Distrust(file.Get(), path) || !GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    return size.QuadPart;
  }

  std::optional<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) override {
    // GENERIC_READ: the data, and the attributes the trust check reads.
    UniqueHandle file = OpenExisting(path, GENERIC_READ | READ_CONTROL);
    if (!file || Distrust(file.Get(), path) || !SeekTo(file.Get(), offset)) return std::nullopt;
    std::string piece(count, '\0');
    size_t done = 0;
    while (done < count) {
      DWORD read = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, kPieceBytes));
      if (!ReadFile(file.Get(), piece.data() + done, chunk, &read, nullptr)) return std::nullopt;
      if (read == 0) break;  // the end of the file
      done += read;
    }
    piece.resize(done);
    return piece;
  }

  Creation CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) override {
    UniqueHandle source = OpenExisting(from, GENERIC_READ | READ_CONTROL);
    if (!source || Distrust(source.Get(), from) || !SeekTo(source.Get(), offset)) return Creation::kFailed;
    // CREATE_NEW fails when anything of that name exists, a link included.
    UniqueHandle file(
        CreateFileW(WideFromUtf8(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Creation::kAlreadyExists
                                                                         : Creation::kFailed;
    }
    std::string piece(kPieceBytes, '\0');
    for (;;) {
      DWORD read = 0;
      if (!ReadFile(source.Get(), piece.data(), kPieceBytes, &read, nullptr)) break;
      if (read == 0) return Creation::kCreated;  // the end of the file: all copied
      DWORD written = 0;
      if (!WriteFile(file.Get(), piece.data(), read, &written, nullptr) || written != read) break;
    }
    file.Reset();
    DeleteFileW(WideFromUtf8(to).c_str());
    return Creation::kFailed;
  }

  bool IsTrustedFile(const std::string& path) override {
    UniqueHandle file = OpenExisting(path, FILE_READ_ATTRIBUTES | READ_CONTROL);
    return file && !Distrust(file.Get(), path);
  }

  std::optional<std::string> ReplaceFile(const std::string& from, const std::string& to) override {
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return std::nullopt;
    return Failure(to, "MoveFileExW", GetLastError());
  }

  bool RemoveFile(const std::string& path) override {
    return DeleteFileW(WideFromUtf8(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  }

  FolderAccessList ReadFolderAccess(const std::string& folder) override {
    return WindowsFolderAccessSource().Read(folder);
  }

  std::optional<std::string> PrepareServiceLogFolder() override {
    const std::string logs = FolderName(serviceLogFolder_);
    const size_t slash = logs.find_last_of('\\');
    // The parent first: whoever may change it could put another folder in the place of ours.
    if (slash != std::string::npos && slash > 2)
      if (std::optional<std::string> failure = MakePrivate(logs.substr(0, slash))) return failure;
    return MakePrivate(logs);
  }

  std::string ServiceLogFolder() const override { return serviceLogFolder_; }

 private:
  static UniqueHandle OpenExisting(const std::string& path, DWORD access) {
    return UniqueHandle(CreateFileW(WideFromUtf8(path).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  }

  // Why the open file is not to be trusted; nothing when it is.
  std::optional<std::string> Distrust(HANDLE file, const std::string& path) const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information))
      return Failure(path, "GetFileInformationByHandle", GetLastError());
    if ((information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
      return path + " is a link or a folder, not a plain file";
    if (information.nNumberOfLinks > 1) return path + " has another name too (a hard link)";
    PSID owner = nullptr;
    LocalMemory descriptor;
    const DWORD result = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                         nullptr, descriptor.Receive<void>());
    if (result != ERROR_SUCCESS) return Failure(path, "GetSecurityInfo", result);
    const bool ownAccount = !ownSid_.empty() && owner != nullptr && EqualSid(owner, const_cast<BYTE*>(ownSid_.data()));
    if (owner == nullptr || !(ownAccount || IsWellKnown(owner, WinLocalSystemSid) ||
                              IsWellKnown(owner, WinBuiltinAdministratorsSid)))
      return path + " belongs to an account other than LocalSystem or the Administrators";
    return std::nullopt;
  }

  // Creates the folder with the private access list, or gives an existing one that list when
  // standard users may write to it.
  static std::optional<std::string> MakePrivate(const std::string& folder) {
    LocalMemory security;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderSecurity, SDDL_REVISION_1,
                                                              security.Receive<void>(), nullptr))
      return Failure(folder, "ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError());
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security.Get(), FALSE};
    if (CreateDirectoryW(WideFromUtf8(folder).c_str(), &attributes)) return std::nullopt;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return Failure(folder, "CreateDirectoryW", GetLastError());

    const DWORD kind = GetFileAttributesW(WideFromUtf8(folder).c_str());
    if (kind == INVALID_FILE_ATTRIBUTES) return Failure(folder, "GetFileAttributesW", GetLastError());
    if ((kind & FILE_ATTRIBUTE_DIRECTORY) == 0 || (kind & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      return folder + " is a link or a file, not a folder";
    if (!StandardUserWriteAccess(WindowsFolderAccessSource().Read(folder))) return std::nullopt;

    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    GetSecurityDescriptorDacl(security.Get(), &present, &dacl, &defaulted);
    GetSecurityDescriptorOwner(security.Get(), &owner, &defaulted);
    std::wstring wideFolder = WideFromUtf8(folder);
    DWORD result = SetNamedSecurityInfoW(wideFolder.data(), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, dacl, nullptr);
    if (result != ERROR_SUCCESS) return Failure(folder, "SetNamedSecurityInfoW", result);
    // The owner may change the access list again, so whoever made the folder loses it.
    result = SetNamedSecurityInfoW(wideFolder.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                                   nullptr, nullptr);
    if (result != ERROR_SUCCESS) return Failure(folder, "SetNamedSecurityInfoW", result);
    if (const std::optional<std::string> access = StandardUserWriteAccess(WindowsFolderAccessSource().Read(folder)))
      return folder + " stays open to standard users: " + *access;
    return std::nullopt;
  }

  std::string serviceLogFolder_;
  std::vector<BYTE> ownSid_;
};

}  // namespace

std::unique_ptr<LogFileSystem> MakeLogFileSystem(const std::string& serviceLogFolder) {
  return std::make_unique<WindowsLogFileSystem>(serviceLogFolder);
}

std::string DefaultServiceLogFolder() {
  wchar_t programData[MAX_PATH] = L"";
  // The machine's ProgramData folder, from the shell rather than the environment.
  if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData) != S_OK)
    return "C:\\ProgramData\\Hourwarden\\Logs\\";
  return Utf8FromWide({programData, wcsnlen(programData, MAX_PATH)}) + "\\Hourwarden\\Logs\\";
}
