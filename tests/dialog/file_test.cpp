// CFile: open modes, sharing between handles, and the exception its failures throw.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "probe_fixture.h"

namespace {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("flarnex_file_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    platform::dialog::ClearFileFaults();
    fs::remove_all(dir_);
  }
  std::wstring Make(const char* name, size_t bytes) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    return path.wstring();
  }
  std::wstring Path(const char* name) const { return (dir_ / name).wstring(); }
  fs::path dir_;
};

struct OpenCase {
  const char* name;
  UINT flags;
  bool exists_before;
  bool opens;
  int cause;               // when it does not open
  std::uintmax_t size_after;  // when it opens
};

TEST_F(FileTest, OpenModes) {
  const OpenCase kCases[] = {
      {"read binary", CFile::modeRead | CFile::typeBinary, true, true, 0, 100},
      {"read a missing file", CFile::modeRead | CFile::typeBinary, false, false, CFileException::fileNotFound, 0},
      {"create truncates", CFile::modeCreate | CFile::modeWrite, true, true, 0, 0},
      {"create makes a new file", CFile::modeCreate | CFile::modeWrite, false, true, 0, 0},
      {"create without truncating", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite, true, true, 0, 100},
      {"write needs the file", CFile::modeWrite, false, false, CFileException::fileNotFound, 0},
  };
  for (const OpenCase& c : kCases) {
    SCOPED_TRACE(c.name);
    std::wstring path = c.exists_before ? Make("target.bin", 100) : Path("target.bin");
    CFile file;
    CFileException error;
    EXPECT_EQ(file.Open(path.c_str(), c.flags, &error), c.opens ? TRUE : FALSE);
    if (c.opens) {
      EXPECT_EQ(file.GetLength(), c.size_after);
      file.Close();
    } else {
      EXPECT_EQ(error.m_cause, c.cause);
      EXPECT_EQ(error.m_strFileName, path.c_str());
    }
    fs::remove(dir_ / "target.bin");
  }
  // A folder is not a file.
  CFile folder;
  CFileException error;
  EXPECT_FALSE(folder.Open(dir_.wstring().c_str(), CFile::modeRead | CFile::typeBinary, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
}

struct ShareCase {
  const char* name;
  UINT first;
  UINT second;
  bool second_opens;
};

TEST_F(FileTest, HandlesShareOnlyWhatTheyAllow) {
  constexpr UINT kRead = CFile::modeRead | CFile::typeBinary;
  constexpr UINT kWrite = CFile::modeWrite | CFile::typeBinary;
  const ShareCase kCases[] = {
      {"no sharing refuses a second reader", kRead, kRead, false},
      {"exclusive refuses a second reader", kRead | CFile::shareExclusive, kRead | CFile::shareDenyNone, false},
      {"a reader refuses a non-sharing opener", kRead | CFile::shareDenyNone, kRead, false},
      {"two readers that share", kRead | CFile::shareDenyNone, kRead | CFile::shareDenyNone, true},
      {"deny-write lets a reader in", kRead | CFile::shareDenyWrite, kRead | CFile::shareDenyWrite, true},
      {"deny-write keeps a writer out", kRead | CFile::shareDenyWrite, kWrite | CFile::shareDenyNone, false},
      {"a writer that shares everything", kWrite | CFile::shareDenyNone, kRead | CFile::shareDenyNone, true},
  };
  std::wstring path = Make("shared.bin", 16);
  for (const ShareCase& c : kCases) {
    SCOPED_TRACE(c.name);
    CFile first, second;
    ASSERT_TRUE(first.Open(path.c_str(), c.first));
    CFileException error;
    EXPECT_EQ(second.Open(path.c_str(), c.second, &error), c.second_opens ? TRUE : FALSE);
    if (!c.second_opens) {
      EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
      first.Close();
      EXPECT_TRUE(second.Open(path.c_str(), c.second));  // free again once the first is closed
    }
  }
}

TEST_F(FileTest, WriteReadAndShortRead) {
  std::wstring path = Path("data.bin");
  const unsigned char kData[] = {1, 2, 3, 4, 5, 6, 7, 8};
  {
    CFile out;
    ASSERT_TRUE(out.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    out.Write(kData, sizeof kData);
  }  // closed by the destructor
  CFile in;
  ASSERT_TRUE(in.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
  EXPECT_EQ(in.GetLength(), sizeof kData);
  unsigned char back[16];
  std::fill(std::begin(back), std::end(back), 0xFF);
  EXPECT_EQ(in.Read(back, sizeof back), sizeof kData);  // a short read at the end is no error
  EXPECT_TRUE(std::equal(std::begin(kData), std::end(kData), back));
  EXPECT_EQ(back[8], 0xFF);
  EXPECT_EQ(in.Read(back, sizeof back), 0u);
}

struct ErrorCase {
  const char* name;
  std::function<void(CFile&, const std::wstring&)> act;
  int cause;
};

TEST_F(FileTest, FailuresThrowFileExceptions) {
  std::wstring path = Make("rom.bin", 32);
  unsigned char buffer[8];
  const ErrorCase kCases[] = {
      {"length of a closed file", [](CFile& f, auto&) { (void)f.GetLength(); }, CFileException::invalidFile},
      {"read of a closed file", [&](CFile& f, auto&) { f.Read(buffer, 8); }, CFileException::invalidFile},
      {"read of a write-only file",
       [&](CFile& f, auto& p) { f.Open(p.c_str(), CFile::modeWrite); f.Read(buffer, 8); },
       CFileException::accessDenied},
      {"write of a read-only file",
       [&](CFile& f, auto& p) { f.Open(p.c_str(), CFile::modeRead); f.Write(buffer, 8); },
       CFileException::accessDenied},
      {"disk error on the length",
       [](CFile& f, auto& p) {
         platform::dialog::InjectFileFault(p, platform::dialog::FileFault::kGetLength);
         f.Open(p.c_str(), CFile::modeRead);
         (void)f.GetLength();
       },
       CFileException::hardIO},
      {"disk error on a read",
       [&](CFile& f, auto& p) {
         platform::dialog::InjectFileFault(p, platform::dialog::FileFault::kRead);
         f.Open(p.c_str(), CFile::modeRead);
         f.Read(buffer, 8);
       },
       CFileException::hardIO},
  };
  for (const ErrorCase& c : kCases) {
    SCOPED_TRACE(c.name);
    platform::dialog::ClearFileFaults();
    CFile file;
    try {
      c.act(file, path);
      ADD_FAILURE() << "no exception";
    } catch (CFileException* error) {
      EXPECT_EQ(error->m_cause, c.cause);
      EXPECT_FALSE(error->ErrorText().IsEmpty());
      error->Delete();
    }
  }
}

using FileExceptionDispatchTest = probe::ProbeFixture;

// An exception that leaves a handler is reported by the framework in a box of its own, and the
// dialog goes on.
TEST_F(FileExceptionDispatchTest, UncaughtFileExceptionBecomesAMessageBox) {
  dialog_.on_click = [](probe::ProbeDialog&) { throw new CFileException(CFileException::hardIO, 5, L"/images/rom.bin"); };
  Start();
  driver_.Click(hwnd_, probe::kClickButton);
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_NE(box->request.text.find(L"/images/rom.bin"), std::wstring::npos) << std::string(box->request.text.begin(), box->request.text.end());
  EXPECT_EQ(box->request.caption, AfxGetAppName());
  EXPECT_EQ(box->request.type & MB_ICONMASK, MB_ICONEXCLAMATION);
  driver_.AnswerMessageBox(IDOK);
  driver_.Click(hwnd_, probe::kClickButton);  // still running: the next click is served too
  EXPECT_TRUE(driver_.WaitForMessageBox());
  driver_.AnswerMessageBox(IDOK);
  EXPECT_TRUE(driver_.WaitUntil([&] { return driver_.MessageBoxHistory().size() == 2; }));
  EXPECT_EQ(dialog_.clicks, 2);
}

}  // namespace
