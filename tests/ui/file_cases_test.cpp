// Odd files on both roads: an image loaded by Browse and by a drop (in both languages), and an
// export that replaces an earlier file. A load never blocks and loads only a regular file, under
// whatever bytes its name holds; an export leaves either the whole new file, with the earlier
// file's permission bits, or the earlier file as it was and nothing else. The exports run in a
// child process, where a file-size limit or a kill cannot touch the test.
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "burner/camera_discovery.h"
#include "burner/export_workflow.h"
#include "burner/firmware_information.h"
#include "platform/text/file_names.h"
#include "tests/burner/recording_context.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

using burner_test::Pos;
using burner_test::RecordingContext;

constexpr mode_t kEarlierMode = 0640;
constexpr rlim_t kFileSizeLimit = 0x10000;  // bytes, half an image

// How the child process running an export ends.
struct ChildEnd {
  bool killed = false;  // by SIGKILL; else it exited with the export's result
  int result = 0;
};

struct FileCase {
  const char* name = "";
  // A load: makes the file in the folder and gives its name's bytes.
  std::function<std::string(const fs::path& dir)> loadFile = nullptr;
  bool loads = false;  // the image is taken; else "Can't Open File!" and nothing changes
  // An export over an earlier file: what the child does first.
  std::function<void(RecordingContext&)> beforeExport = nullptr;
  ChildEnd end = {};
  bool replaced = false;  // the earlier file now holds the flash
  mode_t earlierMode = kEarlierMode;  // a replaced file keeps the permission bits of this, not its set-id bits
};

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

std::string MakeFifo(const fs::path& dir) {
  const std::string path = (dir / "image.fifo").native();
  EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
  return path;
}

std::string MakeSocket(const fs::path& dir) {
  const std::string path = (dir / "image.sock").native();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);  // the socket file stays
  return path;
}

std::string MakeLatin1Name(const fs::path& dir) {
  const std::string path = dir.native() + "/caf\xE9.bin";  // not valid UTF-8
  WriteBytes(path, NewFirmware());
  return path;
}

// A reader blocked in open() on a FIFO goes on once a writer opens it, so a load that blocks
// fails the test instead of hanging it.
void ReleaseReaderOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) return;
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
}

void KillAtReadOffset(RecordingContext& ctx, std::uint32_t offset) {
  ctx.onEffect = [offset](const burner_test::Effect& e) {
    if (e == Pos(IDC_PROGRESS_WORK, static_cast<int>(offset / 10))) ::raise(SIGKILL);
  };
}

const FileCase kFileCases[] = {
    {.name = "FIFO", .loadFile = MakeFifo, .loads = false},
    {.name = "character device", .loadFile = [](const fs::path&) { return std::string("/dev/zero"); }, .loads = false},
    {.name = "socket", .loadFile = MakeSocket, .loads = false},
    {.name = "name that is not UTF-8", .loadFile = MakeLatin1Name, .loads = true},
    {.name = "replaced file keeps its permission bits",
     .beforeExport = [](RecordingContext&) {},
     .end = {.killed = false, .result = 1},
     .replaced = true},
    {.name = "replaced set-user-id file",
     .beforeExport = [](RecordingContext&) {},
     .end = {.killed = false, .result = 1},
     .replaced = true,
     .earlierMode = S_ISUID | S_ISGID | 0750},
    {.name = "file-size limit",
     .beforeExport =
         [](RecordingContext&) {
           const rlimit limit{kFileSizeLimit, kFileSizeLimit};
           ::setrlimit(RLIMIT_FSIZE, &limit);
         },
     .end = {.killed = false, .result = 0},
     .replaced = false},
    {.name = "killed during the reads",
     .beforeExport = [](RecordingContext& ctx) { KillAtReadOffset(ctx, 0x10000); },
     .end = {.killed = true, .result = 0},
     .replaced = false},
};

class FileCasesTest : public UiTest {
 protected:
  void Load(const FileCase& c) {
    const std::string name = c.loadFile(work_dir_);
    const std::wstring wide = platform::WideFromFileName(name);
    const Bytes before(kRomSize, 0xFF);
    for (WORD language : {platform::dialog::kLangEnglishUS, platform::dialog::kLangChineseSimplified}) {
      for (bool byDrop : {false, true}) {
        SCOPED_TRACE(std::to_string(language) + (byDrop ? " drop" : " browse"));
        SetLanguage(language);
        OpenDialog();
        const std::wstring idle = Text(IDC_STATUS);
        if (byDrop) {
          EXPECT_TRUE(driver_.DropFiles(main_, {wide}));
        } else {
          Browse(wide);
        }
        if (c.loads) {
          ExpectNoBox();
          EXPECT_EQ(ImageBuffer(), NewFirmware());
          EXPECT_EQ(Text(IDC_STATUS), String(IDS_READY));
        } else {
          auto box = driver_.WaitForMessageBox();
          if (!box) {
            ADD_FAILURE() << "the load blocks";
            ReleaseReaderOf(name);
            box = driver_.WaitForMessageBox();
          }
          ASSERT_TRUE(box.has_value());
          EXPECT_EQ(box->request.text, L"Can't Open File!");
          EXPECT_EQ(Text(IDC_IMAGE_PATH), wide);  // named while its failure is reported
          driver_.AnswerMessageBox(IDOK);
          EXPECT_EQ(ImageBuffer(), before);
          EXPECT_EQ(Text(IDC_STATUS), idle);
        }
        // Afterwards the box names the image in the buffer: this one, or none.
        EXPECT_EQ(Text(IDC_IMAGE_PATH), c.loads ? wide : std::wstring());
        EXPECT_EQ(CloseDialog(), IDCANCEL);
      }
    }
  }

  void Browse(const std::wstring& path) {
    ASSERT_TRUE(driver_.Click(main_, IDC_BROWSE));
    ASSERT_TRUE(driver_.WaitForFileDialog().has_value());
    driver_.AnswerFileDialog(path);
    ASSERT_TRUE(WaitForFileDialogClosed());
  }

  // Runs the export in a child process over an earlier file of the name the export takes. The
  // test process runs no other thread here: no dialog is open.
  void Export(const FileCase& c) {
    AttachCamera();
    std::string name;
    {
      RecordingContext ctx;
      ASSERT_EQ(FindVideoDevice(ctx), 0);
      ASSERT_EQ(BuildExportFileName(ctx, name), 1);
    }
    const fs::path target = work_dir_ / name;
    const Bytes earlier(kRomSize, 0x3C);
    WriteBytes(target.native(), earlier);
    ASSERT_EQ(::chmod(target.c_str(), c.earlierMode), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RecordingContext ctx;
      if (FindVideoDevice(ctx) != 0) ::_exit(100);
      c.beforeExport(ctx);
      ::_exit(ExportRomToDirectory(ctx, work_dir_));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (c.end.killed) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
      EXPECT_EQ(WEXITSTATUS(status), c.end.result);
    }

    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(work_dir_)) entries.push_back(entry.path().filename().native());
    EXPECT_EQ(entries, std::vector<std::string>{name}) << "nothing but the target is left";
    Bytes expected = earlier;
    if (c.replaced) {
      expected = camera_->Flash();
      std::fill(expected.end() - 8, expected.end(), 0xFF);  // never read
    }
    EXPECT_EQ(ReadBytes(target), expected);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.replaced ? c.earlierMode & 0777 : c.earlierMode);
    platform::ClearVideoInputDevices();
  }
};

TEST_F(FileCasesTest, OddFilesNeitherBlockNorLoseNorHalfWriteAFile) {
  for (const FileCase& c : kFileCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(work_dir_);
    fs::create_directories(work_dir_);
    if (c.loadFile) {
      AttachCamera();
      Load(c);
      platform::ClearVideoInputDevices();
    } else {
      Export(c);
    }
  }
}

}  // namespace
}  // namespace ui_test
