#include "platform/dialog/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/text/file_names.h"

namespace {

// What a handle does and what it lets others do, as Win32 access and share bits.
constexpr unsigned kRead = 1;
constexpr unsigned kWrite = 2;

struct OpenHandle {
  unsigned access = 0;
  unsigned share = 0;
};

std::mutex registry_mutex;
std::multimap<std::pair<std::uint64_t, std::uint64_t>, std::pair<const CFile*, OpenHandle>> open_files;
std::set<std::pair<std::wstring, platform::dialog::FileFault>> injected_faults;

unsigned AccessOf(UINT flags) {
  switch (flags & 0x3) {
    case CFile::modeWrite: return kWrite;
    case CFile::modeReadWrite: return kRead | kWrite;
    default: return kRead;
  }
}

unsigned ShareOf(UINT flags) {
  switch (flags & 0x70) {
    case CFile::shareDenyWrite: return kRead;
    case CFile::shareDenyRead: return kWrite;
    case CFile::shareDenyNone: return kRead | kWrite;
    default: return 0;  // shareCompat, shareExclusive: no sharing
  }
}

bool Compatible(const OpenHandle& existing, const OpenHandle& wanted) {
  return (wanted.access & ~existing.share) == 0 && (existing.access & ~wanted.share) == 0;
}

bool FaultInjected(const CString& path, platform::dialog::FileFault fault) {
  std::lock_guard lock(registry_mutex);
  return injected_faults.contains({path.str(), fault});
}

}  // namespace

namespace platform::dialog {

void InjectFileFault(const std::wstring& path, FileFault fault) {
  std::lock_guard lock(registry_mutex);
  injected_faults.insert({path, fault});
}

void ClearFileFaults() {
  std::lock_guard lock(registry_mutex);
  injected_faults.clear();
}

}  // namespace platform::dialog

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT max_count, UINT* help_context) const {
  if (help_context != nullptr) *help_context = 0;
  if (buffer == nullptr || max_count == 0) return FALSE;
  CString text = ErrorText();
  size_t count = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(max_count - 1));
  std::wmemcpy(buffer, text.GetString(), count);
  buffer[count] = L'\0';
  return TRUE;
}

CString CFileException::ErrorText() const {
  CString name = m_strFileName.IsEmpty() ? CString(L"an unnamed file") : m_strFileName;
  const wchar_t* what = L"An unexpected error occurred while accessing %ls.";
  switch (static_cast<Cause>(m_cause)) {
    case none: what = L"No error occurred while accessing %ls."; break;
    case genericException: break;
    case fileNotFound: what = L"%ls was not found."; break;
    case badPath: what = L"%ls contains an invalid path."; break;
    case tooManyOpenFiles: what = L"%ls could not be opened because there are too many open files."; break;
    case accessDenied: what = L"Access to %ls was denied."; break;
    case invalidFile: what = L"An invalid file handle was associated with %ls."; break;
    case removeCurrentDir: what = L"%ls could not be removed because it is the current directory."; break;
    case directoryFull: what = L"%ls could not be created because the directory is full."; break;
    case badSeek: what = L"Seek failed on %ls."; break;
    case hardIO: what = L"A hardware I/O error was reported while accessing %ls."; break;
    case sharingViolation: what = L"A sharing violation occurred while accessing %ls."; break;
    case lockViolation: what = L"A locking violation occurred while accessing %ls."; break;
    case diskFull: what = L"Disk full while accessing %ls."; break;
    case endOfFile: what = L"An attempt was made to access %ls past its end."; break;
  }
  CString text;
  text.Format(what, name.GetString());
  return text;
}

CFile::CFile() = default;

CFile::~CFile() {
  if (fd_ >= 0) Close();
}

BOOL CFile::Open(LPCTSTR path, UINT flags, CFileException* error) {
  auto fail = [&](int cause, int os_error) {
    if (error != nullptr) {
      error->m_cause = cause;
      error->m_lOsError = os_error;
      error->m_strFileName = path;
    }
    return FALSE;
  };
  if (fd_ >= 0 || path == nullptr || *path == L'\0') return fail(CFileException::badPath, EINVAL);
  const std::string native = platform::FileNameFromWide(path);
  OpenHandle wanted{AccessOf(flags), ShareOf(flags)};

  // The check against other handles and the open happen under one lock so that two opens of the
  // same file cannot both pass.
  std::lock_guard lock(registry_mutex);
  struct stat before {};
  if (::stat(native.c_str(), &before) == 0) {
    if (S_ISDIR(before.st_mode)) return fail(CFileException::accessDenied, EISDIR);
    if (!S_ISREG(before.st_mode)) return fail(CFileException::accessDenied, EINVAL);
    auto range = open_files.equal_range({before.st_dev, before.st_ino});
    for (auto it = range.first; it != range.second; ++it) {
      if (!Compatible(it->second.second, wanted)) return fail(CFileException::sharingViolation, EBUSY);
    }
  }
  // Non-blocking, so that a FIFO or device put there since the check cannot hold the open.
  int os_flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (flags & 0x3) {
    case modeWrite: os_flags |= O_WRONLY; break;
    case modeReadWrite: os_flags |= O_RDWR; break;
    default: os_flags |= O_RDONLY; break;
  }
  if (flags & modeCreate) {
    os_flags |= O_CREAT;
    if (!(flags & modeNoTruncate)) os_flags |= O_TRUNC;
  }
  int fd = ::open(native.c_str(), os_flags, 0666);
  if (fd < 0) {
    int os_error = errno;
    switch (os_error) {
      case ENOENT: return fail(CFileException::fileNotFound, os_error);
      case EACCES:
      case EPERM:
      case EISDIR:
      case EROFS: return fail(CFileException::accessDenied, os_error);
      case EMFILE:
      case ENFILE: return fail(CFileException::tooManyOpenFiles, os_error);
      case ENAMETOOLONG:
      case ENOTDIR: return fail(CFileException::badPath, os_error);
      default: return fail(CFileException::genericException, os_error);
    }
  }
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(fd);
    return fail(CFileException::accessDenied, EINVAL);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  flags_ = flags;
  path_ = path;
  key_device_ = opened.st_dev;
  key_inode_ = opened.st_ino;
  open_files.insert({{key_device_, key_inode_}, {this, wanted}});
  return TRUE;
}

void CFile::Close() {
  if (fd_ < 0) return;
  {
    std::lock_guard lock(registry_mutex);
    auto range = open_files.equal_range({key_device_, key_inode_});
    for (auto it = range.first; it != range.second; ++it) {
      if (it->second.first == this) {
        open_files.erase(it);
        break;
      }
    }
  }
  ::close(fd_);
  fd_ = -1;
}

void CFile::ThrowError(int cause, int os_error) const {
  throw new CFileException(cause, os_error, path_);
}

ULONGLONG CFile::GetLength() const {
  if (fd_ < 0) ThrowError(CFileException::invalidFile, EBADF);
  if (FaultInjected(path_, platform::dialog::FileFault::kGetLength)) ThrowError(CFileException::hardIO, EIO);
  struct stat info {};
  if (::fstat(fd_, &info) != 0) ThrowError(CFileException::genericException, errno);
  return static_cast<ULONGLONG>(info.st_size);
}

UINT CFile::Read(void* buffer, UINT count) {
  if (fd_ < 0) ThrowError(CFileException::invalidFile, EBADF);
  if (count == 0) return 0;
  if (buffer == nullptr) ThrowError(CFileException::genericException, EFAULT);
  if (FaultInjected(path_, platform::dialog::FileFault::kRead)) ThrowError(CFileException::hardIO, EIO);
  UINT total = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (total < count) {
    ssize_t got = ::read(fd_, bytes + total, count - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowError(errno == EBADF ? CFileException::accessDenied : CFileException::hardIO, errno);
    }
    if (got == 0) break;  // end of file: a short read is not an error
    total += static_cast<UINT>(got);
  }
  return total;
}

void CFile::Write(const void* buffer, UINT count) {
  if (fd_ < 0) ThrowError(CFileException::invalidFile, EBADF);
  if (count == 0) return;
  if (buffer == nullptr) ThrowError(CFileException::genericException, EFAULT);
  if (FaultInjected(path_, platform::dialog::FileFault::kWrite)) ThrowError(CFileException::diskFull, ENOSPC);
  UINT total = 0;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (total < count) {
    ssize_t put = ::write(fd_, bytes + total, count - total);
    if (put < 0) {
      if (errno == EINTR) continue;
      int os_error = errno;
      ThrowError(os_error == ENOSPC ? CFileException::diskFull
                 : os_error == EBADF ? CFileException::accessDenied
                                     : CFileException::hardIO,
                 os_error);
    }
    if (put == 0) ThrowError(CFileException::diskFull, ENOSPC);
    total += static_cast<UINT>(put);
  }
}
