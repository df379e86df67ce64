#pragma once
// CFile and its exception. Open reports failure by its result; GetLength, Read and Write report
// failure by throwing a CFileException pointer, as the class library does: a handler catches it
// (catch (CFileException* e) { ...; e->Delete(); }), or the framework's message dispatch catches
// it and shows its text in a message box.
//
// Sharing follows the Win32 rules within this process: an open that asks for an access another
// open handle does not share, or that does not share an access another handle has, fails with a
// sharing violation. shareCompat and shareExclusive share nothing.
#include <cstdint>
#include <memory>

#include "platform/dialog/afx_string.h"
#include "platform/dialog/cmd_target.h"

using ULONGLONG = std::uint64_t;

class CException : public CObject {
 public:
  // Releases an exception object that was thrown by pointer.
  void Delete() { delete this; }
  virtual CString ErrorText() const = 0;
  // Copies the text into the buffer (cut to fit); FALSE when there is no buffer.
  BOOL GetErrorMessage(LPTSTR buffer, UINT max_count, UINT* help_context = nullptr) const;
};

class CFileException : public CException {
 public:
  enum Cause {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
  };
  CFileException() = default;
  CFileException(int cause, LONG os_error, LPCTSTR file_name = nullptr)
      : m_cause(cause), m_lOsError(os_error), m_strFileName(file_name) {}
  CString ErrorText() const override;

  int m_cause = none;
  LONG m_lOsError = 0;  // errno of the failed call
  CString m_strFileName;
};

class CFile : public CObject {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };

  CFile();
  ~CFile() override;  // closes an open file; never throws
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens or creates the file; on failure fills error (when given) and returns FALSE. Only
  // regular files open: folders, FIFOs, sockets and devices are refused, and the open never waits
  // for another process. The path's wide text stands for the file name's bytes (file_names.h).
  virtual BOOL Open(LPCTSTR path, UINT flags, CFileException* error = nullptr);
  virtual void Close();
  virtual ULONGLONG GetLength() const;                 // throws CFileException*
  virtual UINT Read(void* buffer, UINT count);         // bytes read; throws on an I/O error
  virtual void Write(const void* buffer, UINT count);  // throws on an error or a short write
  CString GetFilePath() const { return path_; }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  [[noreturn]] void ThrowError(int cause, int os_error) const;

  int fd_ = -1;
  UINT flags_ = 0;
  CString path_;
  std::uint64_t key_device_ = 0;  // identity of the file in the sharing registry
  std::uint64_t key_inode_ = 0;
};

namespace platform::dialog {

// Test hook: make the next GetLength or Read on any CFile opened on this path throw, as a disk
// error would (EIO). Cleared by ClearFileFaults.
enum class FileFault { kGetLength, kRead, kWrite };
void InjectFileFault(const std::wstring& path, FileFault fault);
void ClearFileFaults();

}  // namespace platform::dialog
