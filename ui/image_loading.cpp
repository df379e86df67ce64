// Loading the ROM image into the image buffer, by the Browse button's file dialog or by a drop,
// and the unreachable Rename button's open test.
#include <algorithm>
#include <vector>

#include "burner/burner_globals.h"
#include "platform/dialog/drop_files.h"
#include "platform/dialog/file.h"
#include "platform/dialog/file_dialog.h"
#include "platform/dialog/message_box.h"
#include "ui/flarn_test_dlg.h"
#include "ui/ui_ids.h"

namespace {

// The open-file dialog of Browse and Rename.
constexpr const wchar_t* kImageFileFilter =
    L"Source File(*.SRC)|*.SRC|Source File(*.BIN)|*.BIN|Source File(*.HEX)|*.HEX|All File (*.*)|*.*|";
constexpr const wchar_t* kImageFileInitialName = L"*.SRC";
constexpr DWORD kImageFileDialogFlags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES;  // 0x201004

// Read in binary mode, sharing nothing: a file that another program holds open is not loaded.
// CFile opens regular files only and never waits: a FIFO, a device or a socket gets "Can't Open
// File!" at once instead of holding the user-interface thread.
constexpr UINT kImageOpenFlags = CFile::modeRead | CFile::typeBinary;

// A dropped name is taken into a buffer of this many characters, terminator included.
constexpr UINT kDropNameCapacity = 520;

constexpr const wchar_t* kCantOpenFile = L"Can't Open File!";
constexpr const wchar_t* kNotARomFile = L"It is not a Rom file!";

}  // namespace

bool CFlarn_testDlg::LoadImageFile(const CString& path) {
  CFile file;
  if (!file.Open(path, kImageOpenFlags)) {
    AfxMessageBox(kCantOpenFile, MB_OK);
    return false;
  }

  // A failed length query or read, or a read that falls short, loads nothing: a partly read file
  // must not become the image that is burnt.
  bool readFailed = false;
  bool lengthWrong = false;
  std::vector<std::uint8_t> image;
  try {
    const ULONGLONG length = file.GetLength();
    if (length != static_cast<ULONGLONG>(m_imageSize)) {
      lengthWrong = true;
    } else {
      image.assign(static_cast<std::size_t>(length), std::uint8_t{0xFF});
      const UINT delivered = file.Read(image.data(), static_cast<UINT>(length));
      readFailed = delivered != length;
    }
    file.Close();
  } catch (CFileException* error) {
    error->Delete();
    readFailed = true;
  }

  if (lengthWrong) {
    AfxMessageBox(kNotARomFile, MB_OK);
    return false;
  }
  if (readFailed || g_imageBuffer == nullptr) {
    AfxMessageBox(kCantOpenFile, MB_OK);
    return false;
  }

  std::copy(image.begin(), image.end(), g_imageBuffer);
  m_imagePath = path;
  SetItemText(IDC_STATUS, LoadString(IDS_READY));
  return true;
}

bool CFlarn_testDlg::ShowPathAndLoad(const CString& path) {
  // The box names the file while it is read and its failure is reported; afterwards it names the
  // image that GO would burn, never a file that was refused.
  SetItemText(IDC_IMAGE_PATH, path.str());
  if (LoadImageFile(path)) return true;
  SetItemText(IDC_IMAGE_PATH, m_imagePath.str());
  return false;
}

void CFlarn_testDlg::OnBnClickedBrowse() {
  // The image buffer must not change under a running burn.
  if (m_operationRunning) return;

  CFileDialog fileDialog(TRUE, nullptr, kImageFileInitialName, kImageFileDialogFlags, kImageFileFilter);
  if (fileDialog.DoModal() != IDOK) return;

  ShowPathAndLoad(fileDialog.GetPathName());
}

void CFlarn_testDlg::OnDropFiles(HDROP hDropInfo) {
  if (m_operationRunning) {
    DragFinish(hDropInfo);
    return;
  }

  // Only the first file counts. A name that does not fit the buffer is refused rather than cut:
  // the cut name may name another file.
  const UINT nameLength = DragQueryFileW(hDropInfo, 0, nullptr, 0);
  wchar_t name[kDropNameCapacity] = {};
  const UINT copied = nameLength < kDropNameCapacity ? DragQueryFileW(hDropInfo, 0, name, kDropNameCapacity) : 0;
  DragFinish(hDropInfo);

  if (nameLength == 0) return;
  if (nameLength >= kDropNameCapacity || copied == 0) {
    AfxMessageBox(kCantOpenFile, MB_OK);
    return;
  }

  if (!ShowPathAndLoad(CString(name))) return;

  // TCM_SETCURSEL raises no selection notification, so the Burn page is shown here.
  m_tab.SendMessage(TCM_SETCURSEL, 0, 0);
  ShowBurnPage();
}

void CFlarn_testDlg::OnBnClickedRename() {
  CFileDialog fileDialog(TRUE, nullptr, kImageFileInitialName, kImageFileDialogFlags, kImageFileFilter);
  if (fileDialog.DoModal() != IDOK) return;

  CFile file;
  if (!file.Open(fileDialog.GetPathName(), kImageOpenFlags)) {
    AfxMessageBox(kCantOpenFile, MB_OK);
    return;
  }
  file.Close();
}
