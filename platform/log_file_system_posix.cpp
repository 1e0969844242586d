// The log files on a POSIX system: the native build, where the unit tests run. Owners are named
// as SID texts: root as LocalSystem, any other user by the SID a Unix user maps to (S-1-22-1-UID).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/handle_holder.h"
#include "platform/log_file_system.h"

namespace {

std::string Failure(const std::string& what, const std::string& call) {
  return what + ": " + call + " failed with error " + std::to_string(errno) + " (" + std::strerror(errno) + ")";
}

// The failure of a call on the path, with errno: "PATH: CALL failed with error N (TEXT)".
CallFailure PathFailure(const std::string& path, const std::string& call) {
  return {Failure(path, call), static_cast<uint32_t>(errno)};
}

// The SID text standing for the user.
std::string AccountSid(uid_t user) { return user == 0 ? "S-1-5-18" : "S-1-22-1-" + std::to_string(user); }

PathFacts FactsOf(const struct stat& status) {
  PathFacts facts;
  facts.kind = S_ISREG(status.st_mode)   ? PathFacts::Kind::kFile
               : S_ISDIR(status.st_mode) ? PathFacts::Kind::kFolder
               : S_ISLNK(status.st_mode) ? PathFacts::Kind::kLink
                                         : PathFacts::Kind::kOther;
  if (facts.kind != PathFacts::Kind::kFile) return facts;
  facts.links = static_cast<uint32_t>(status.st_nlink);
  facts.owner = AccountSid(status.st_uid);
  return facts;
}

// A file descriptor, closed with close; -1 holds none.
struct DescriptorKind {
  using Handle = int;
  static constexpr Handle kNone = -1;
  static bool Holds(Handle descriptor) { return descriptor >= 0; }
  static void Release(Handle descriptor) { close(descriptor); }
};
using Descriptor = HandleHolder<DescriptorKind>;

bool WriteAll(int descriptor, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(descriptor, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The piece a trim reads and copies at a time.
constexpr size_t kPieceBytes = 64 * 1024;

// Reads up to `count` bytes at `offset`; fewer at the end of the file, nothing on an error.
std::optional<std::string> ReadAt(int descriptor, int64_t offset, size_t count) {
  std::string piece(count, '\0');
  size_t done = 0;
  while (done < count) {
    const ssize_t read = pread(descriptor, piece.data() + done, count - done, static_cast<off_t>(offset + done));
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return std::nullopt;
    if (read == 0) break;
    done += static_cast<size_t>(read);
  }
  piece.resize(done);
  return piece;
}

// The folder without its trailing separator, as the calls take it.
std::string FolderName(const std::string& folder) {
  std::string name = folder;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

class PosixLogFileSystem : public LogFileSystem {
 public:
  PosixLogFileSystem(std::string serviceLogFolder, FileTrustRule trust)
      : serviceLogFolder_(std::move(serviceLogFolder)), trust_(trust), self_(AccountSid(geteuid())) {}

  CallResult<int64_t> AppendLines(const std::string& path, const std::vector<std::string>& lines) override {
    // O_NOFOLLOW: a symbolic link in the file's place is refused, never followed.
    Descriptor file(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file) return PathFailure(path, "open");
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    if (!WriteAll(file.Get(), Joined(lines))) return PathFailure(path, "write");
    struct stat status {};
    return fstat(file.Get(), &status) == 0 ? static_cast<int64_t>(status.st_size) : int64_t{0};
  }

  CallResult<std::optional<int64_t>> FileSize(const std::string& path) override {
    Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file && errno == ENOENT) return std::optional<int64_t>{};
    if (!file) return PathFailure(path, "open");
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) return PathFailure(path, "fstat");
    return std::optional<int64_t>{static_cast<int64_t>(status.st_size)};
  }

  CallResult<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) override {
    Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file) return PathFailure(path, "open");
    if (std::optional<std::string> distrust = Distrust(file.Get(), path)) return CallFailure{*distrust};
    std::optional<std::string> piece = ReadAt(file.Get(), offset, count);
    if (!piece) return PathFailure(path, "pread");
    return std::move(*piece);
  }

  CallResult<Creation> CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) override {
    Descriptor source(open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source) return PathFailure(from, "open");
    if (std::optional<std::string> distrust = Distrust(source.Get(), from)) return CallFailure{*distrust};
    // O_EXCL with O_CREAT fails on anything of that name, a dangling symbolic link included.
    Descriptor file(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!file && errno == EEXIST) return Creation::kAlreadyExists;
    if (!file) return PathFailure(to, "open");
    CallFailure failure;
    for (;;) {
      const std::optional<std::string> piece = ReadAt(source.Get(), offset, kPieceBytes);
      if (!piece) {
        failure = PathFailure(from, "pread");
        break;
      }
      if (!WriteAll(file.Get(), *piece)) {
        failure = PathFailure(to, "write");
        break;
      }
      if (piece->empty()) return Creation::kCreated;
      offset += static_cast<int64_t>(piece->size());
    }
    unlink(to.c_str());
    return failure;
  }

  CallResult<PathFacts> Facts(const std::string& path) override {
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0) return FactsOf(status);
    if (errno == ENOENT || errno == ENOTDIR) return PathFacts{};
    return PathFailure(path, "lstat");
  }

  std::string ProcessAccount() const override { return self_; }

  CallResult<void> ReplaceFile(const std::string& from, const std::string& to) override {
    if (rename(from.c_str(), to.c_str()) != 0) return PathFailure(to, "rename");
    return {};
  }

  CallResult<void> RemoveFile(const std::string& path) override {
    if (unlink(path.c_str()) == 0 || errno == ENOENT) return {};
    return PathFailure(path, "unlink");
  }

  CallResult<FolderAccessList> ReadFolderAccess(const std::string& folder) override {
    FolderAccessList list;
    struct stat status {};
    if (lstat(FolderName(folder).c_str(), &status) != 0) {
      if (errno != ENOENT) return CallFailure{Failure(folder, "lstat"), static_cast<uint32_t>(errno)};
      list.kind = FolderAccessList::Kind::kNotFound;
      return list;
    }
    if (!S_ISDIR(status.st_mode)) {
      list.kind = FolderAccessList::Kind::kNotAFolder;
      return list;
    }
    // Everybody else stands for the standard users.
    if ((status.st_mode & S_IWOTH) != 0) list.entries.push_back({true, false, kEveryoneSid, kFolderAddFile});
    return list;
  }

  CallResult<bool> CreatePrivateFolder(const std::string& folder) override {
    if (mkdir(folder.c_str(), 0700) == 0) return true;
    if (errno == EEXIST) return false;
    return PathFailure(folder, "mkdir");
  }

  // Only the owner keeps any right; an unprivileged process cannot give the folder to another.
  CallResult<void> RestrictFolder(const std::string& folder) override {
    if (chmod(folder.c_str(), 0700) != 0) return PathFailure(folder, "chmod");
    return {};
  }

  std::string ServiceLogFolder() const override { return serviceLogFolder_; }

 private:
  // Why the file behind the descriptor is not to be trusted; nothing when it is.
  std::optional<std::string> Distrust(int descriptor, const std::string& path) const {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return Failure(path, "fstat");
    return trust_(path, FactsOf(status), self_);
  }

  std::string serviceLogFolder_;
  FileTrustRule trust_;
  std::string self_;
};

}  // namespace

std::unique_ptr<LogFileSystem> MakeLogFileSystem(const std::string& serviceLogFolder, FileTrustRule trust) {
  return std::make_unique<PosixLogFileSystem>(serviceLogFolder, trust);
}
