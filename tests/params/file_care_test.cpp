// How saves and reads treat the user's files: symlinks, modes and groups, files and folders
// the user may not write, long names, killed writes, numbered copies that must never replace
// a file, and named pipes where a file was expected.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "params/atomic_file.h"
#include "params/defaults.h"
#include "params/file_commands.h"
#include "params/ign_writer.h"
#include "params/param_addresses.h"
#include "params/quicksave.h"
#include "params/settings.h"
#include "support/fifo_guard.h"
#include "support/unprivileged.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;
using testing::FifoGuard;
using testing::kAtOnce;
using testing::Timed;

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

// Every name in a folder, hidden ones included, sorted.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class FileCareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zeda-care-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
    chmod(dir_.c_str(), 0755);  // the unprivileged checks must reach it
    buffers_.params = StartImage();
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec))
      if (e.is_directory() && !e.is_symlink()) chmod(e.path().c_str(), 0755);
    fs::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  SaveOutcome Save(const std::string& path) { return SaveFile(doc_, path, {}); }
  // What a save of the current image writes.
  std::string Expected() const { return FormatIgnFile(buffers_.params); }

  std::string dir_;
  ImageBuffers buffers_;
  AppSettings settings_;
  FileDocument doc_{buffers_, settings_};
};

// A save through a link writes the file the link points to; the link stays a link.
TEST_F(FileCareTest, SaveWritesThroughSymlinks) {
  fs::create_directory(Path("sub"));
  WriteText(Path("sub/real.ign"), "old");
  fs::create_symlink("sub/real.ign", Path("link.ign"));
  fs::create_symlink("link.ign", Path("chain.ign"));
  fs::create_symlink("sub/new.ign", Path("dangling.ign"));
  struct Case {
    const char* link;
    const char* real;
  } cases[] = {
      {"link.ign", "sub/real.ign"},
      {"chain.ign", "sub/real.ign"},
      {"dangling.ign", "sub/new.ign"},
  };
  uint8_t value = 20;
  for (const auto& c : cases) {
    buffers_.params.SetByte(Adrb::BASE_ADV, ++value);
    SaveOutcome out = Save(Path(c.link));
    ASSERT_TRUE(out.ok) << c.link << ": " << out.error;
    EXPECT_TRUE(fs::is_symlink(Path(c.link))) << c.link;
    EXPECT_EQ(ReadText(Path(c.real)), Expected()) << c.link;
  }
  EXPECT_EQ(NamesIn(dir_),
            (std::vector<std::string>{"chain.ign", "dangling.ign", "link.ign", "sub"}));
  EXPECT_EQ(NamesIn(Path("sub")), (std::vector<std::string>{"new.ign", "real.ign"}));
}

// A shared file keeps its mode, owner and group: a 0660 file stays writable for the group.
TEST_F(FileCareTest, SaveKeepsModeOwnerAndGroup) {
  const bool root = testing::RunsAsRoot();
  // As root the files belong to another user and group, as on a shared folder.
  const uid_t uid = root ? testing::kNobodyUid : geteuid();
  const gid_t gid = root ? testing::kNobodyGid : getegid();
  for (mode_t mode : {0640, 0660, 0600, 0604, 02664}) {
    const std::string p = Path("shared.ign");
    WriteText(p, "old");
    ASSERT_EQ(chown(p.c_str(), uid, gid), 0);
    ASSERT_EQ(chmod(p.c_str(), mode), 0);
    ASSERT_TRUE(Save(p).ok) << std::oct << mode;
    struct stat st {};
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(st.st_gid, gid) << std::oct << mode;
    EXPECT_EQ(st.st_uid, uid) << std::oct << mode;
    EXPECT_EQ(ReadText(p), Expected());
    unlink(p.c_str());
  }
}

// As an ordinary user: a write-protected file is refused (the old way replaced it through
// the writable folder), and a writable file in a folder the user may not write is written
// in place (the old way failed to make its temporary file).
TEST_F(FileCareTest, NormalUserIsRefusedReadOnlyFileAndWritesInReadOnlyFolder) {
  fs::create_directory(Path("open"));
  fs::create_directory(Path("locked"));
  WriteText(Path("open/ro.ign"), "old");
  WriteText(Path("locked/rw.ign"), "old");
  if (testing::RunsAsRoot()) {
    ASSERT_EQ(chown(Path("open/ro.ign").c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
    ASSERT_EQ(chown(Path("locked/rw.ign").c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
  }
  chmod(Path("open").c_str(), 0777);
  chmod(Path("open/ro.ign").c_str(), 0444);
  chmod(Path("locked/rw.ign").c_str(), 0666);
  chmod(Path("locked").c_str(), 0555);
  const std::string expected = Expected();

  const std::string failures = testing::RunUnprivileged([&] {
    std::string f;
    SaveOutcome ro = Save(Path("open/ro.ign"));
    if (ro.ok) f += "read-only file was overwritten; ";
    if (ro.error.find("Permission denied") == std::string::npos)
      f += "read-only: error '" + ro.error + "'; ";
    if (ReadText(Path("open/ro.ign")) != "old") f += "read-only file changed; ";
    SaveOutcome rw = Save(Path("locked/rw.ign"));
    if (!rw.ok) f += "file in read-only folder not saved: " + rw.error + "; ";
    if (ReadText(Path("locked/rw.ign")) != expected) f += "file in read-only folder wrong; ";
    if (Save(Path("locked/new.ign")).ok) f += "created a file in a read-only folder; ";
    return f;
  });
  EXPECT_EQ(failures, "");
  EXPECT_EQ(NamesIn(Path("open")), std::vector<std::string>{"ro.ign"});
  EXPECT_EQ(NamesIn(Path("locked")), std::vector<std::string>{"rw.ign"});
}

// The temporary name must not push a name near the 255-byte limit over it.
TEST_F(FileCareTest, NameOfTwoHundredFiftyBytesIsSavedAndResaved) {
  const std::string name = std::string(246, 'n') + ".ign";
  ASSERT_EQ(name.size(), 250u);
  ASSERT_TRUE(Save(Path(name)).ok);
  buffers_.params.SetByte(Adrb::BASE_ADV, 30);
  SaveOutcome again = Save(Path(name));
  ASSERT_TRUE(again.ok) << again.error;
  EXPECT_EQ(ReadText(Path(name)), Expected());
  EXPECT_EQ(NamesIn(dir_), std::vector<std::string>{name});
}

// The umask belongs to the whole process: a save must never change it, not even briefly,
// or a file another thread creates meanwhile gets the wrong mode. New files still follow it.
TEST_F(FileCareTest, SavingNeverChangesTheUmask) {
  // On a memory file system saves are quick, so the watcher sees many of them.
  std::string folder = dir_;
  std::string shmTemplate = "/dev/shm/zeda-umask-XXXXXX";
  if (fs::is_directory("/dev/shm") && mkdtemp(shmTemplate.data())) folder = shmTemplate;
  const std::string p = folder + "/u.txt";
  const mode_t oldMask = umask(027);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::thread watcher([&] {
    std::ifstream status("/proc/self/status");
    while (!stop) {
      status.clear();
      status.seekg(0);
      for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0 && line.find("0027") == std::string::npos) ++wrong;
      }
    }
  });
  for (int i = 0; i < 500; ++i) {
    unlink(p.c_str());
    ASSERT_TRUE(WriteFileAtomic(p, "x"));
    ASSERT_TRUE(WriteFileAtomic(p, "y"));
  }
  stop = true;
  watcher.join();
  umask(oldMask);
  EXPECT_EQ(wrong, 0);
  struct stat st {};
  ASSERT_EQ(stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  if (folder != dir_) fs::remove_all(folder);
}

// A save killed at any moment leaves the old file or the new one. Replacing needs a name for
// the new file for a moment, so a kill then leaves that name; the next save removes it.
TEST_F(FileCareTest, TwentyKilledWritesLeaveNoFileBehind) {
  const std::string p = Path("big.ign");
  WriteText(p, "start");
  const std::string data(16 << 20, 'd');
  std::mt19937 rng(21);
  for (int kill = 0; kill < 20; ++kill) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (;;) WriteFileAtomic(p, data);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2 + rng() % 60));
    ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
  }
  const auto size = fs::file_size(p);
  EXPECT_TRUE(size == 5 || size == data.size()) << size;
  // Another save beside it, as the program makes (its own file, so the target is unchanged).
  ASSERT_TRUE(WriteFileAtomic(Path("other.ign"), "other"));
  ASSERT_TRUE(WriteFileAtomic(Path("other.ign"), "again"));
  EXPECT_EQ(NamesIn(dir_), (std::vector<std::string>{"big.ign", "other.ign"}));
}

// A temporary name held by a living save is never taken away from it; one that nobody holds
// is removed by the next save in the folder.
TEST_F(FileCareTest, OnlyTemporariesOfDeadSavesAreRemoved) {
  const std::string left = Path(".zedaabc123");
  const std::string held = Path(".zedaxyz789");
  const std::string mine = Path(".zedanotours");  // not a name the saves make
  WriteText(left, "left by a killed save");
  WriteText(held, "a save still writing");
  WriteText(mine, "the user's");
  const int fd = open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  // The lock belongs to this open file; the sweep opens the file anew, so it is refused
  // like another process would be.
  ASSERT_TRUE(WriteFileAtomic(Path("a.ign"), "a"));
  EXPECT_FALSE(fs::exists(left));
  EXPECT_TRUE(fs::exists(held));
  EXPECT_TRUE(fs::exists(mine));
  close(fd);
}

TEST(QuicksaveName, Cases) {
  struct Case {
    const char* current;
    std::vector<std::string> names;
    const char* next;
  } cases[] = {
      {"/d/bike.ign", {"bike_007.ign", "bike_012.ign", "bike.ign"}, "/d/bike_013.ign"},
      {"/d/bike.ign", {}, "/d/bike_001.ign"},
      {"/d/bike.ign", {"bike_000.ign"}, "/d/bike_001.ign"},
      // FAT and network shares: another case is the same name.
      {"/d/bike.ign", {"BIKE_020.IGN", "Bike_003.ign"}, "/d/bike_021.ign"},
      {"/d/Bike.IGN", {"bike_020.ign"}, "/d/Bike_021.IGN"},
      // Long numbers are neither cut nor wrapped.
      {"/d/bike.ign", {"bike_1234567890.ign"}, "/d/bike_1234567891.ign"},
      {"/d/bike.ign", {"bike_99999999999999999999.ign"}, "/d/bike_100000000000000000000.ign"},
      {"/d/bike.ign", {"bike_0999.ign", "bike_99.ign"}, "/d/bike_1000.ign"},
      {"/d/bike.ign", {"bike_010.ign", "bike_9.ign"}, "/d/bike_011.ign"},
      {"/d/bike.ign", {"other_050.ign", "bike_050.txt", "bike_x.ign"}, "/d/bike_001.ign"},
      {"/d/noext", {"noext_005"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuicksaveName(c.current, c.names), c.next) << c.current;
}

// A numbered copy is created, never written over anything that has its name.
TEST_F(FileCareTest, QuicksaveNeverReplacesAFile) {
  ASSERT_TRUE(Save(Path("bike.ign")).ok);
  WriteText(Path("BIKE_012.IGN"), "mine");
  QuicksaveOutcome q = QuicksaveVersion(doc_, {});
  ASSERT_TRUE(q.save.ok) << q.save.error;
  EXPECT_EQ(q.save.path, Path("bike_013.ign"));
  WriteText(Path("bike_1234567890.ign"), "mine too");
  q = QuicksaveVersion(doc_, {});
  ASSERT_TRUE(q.save.ok) << q.save.error;
  EXPECT_EQ(q.save.path, Path("bike_1234567891.ign"));
  EXPECT_EQ(ReadText(Path("BIKE_012.IGN")), "mine");
  EXPECT_EQ(ReadText(Path("bike_1234567890.ign")), "mine too");
  EXPECT_EQ(settings_.file, Path("bike.ign"));

  // The creation itself refuses a taken name, even a link that points nowhere.
  WriteText(Path("taken.ign"), "mine");
  fs::create_symlink("nowhere.ign", Path("link.ign"));
  EXPECT_EQ(WriteNewFileAtomic(Path("taken.ign"), "new"), NewFileResult::Exists);
  EXPECT_EQ(WriteNewFileAtomic(Path("link.ign"), "new"), NewFileResult::Exists);
  EXPECT_EQ(WriteNewFileAtomic(Path("fresh.ign"), "new"), NewFileResult::Written);
  EXPECT_EQ(ReadText(Path("taken.ign")), "mine");
  EXPECT_FALSE(fs::exists(Path("nowhere.ign")));
  EXPECT_EQ(ReadText(Path("fresh.ign")), "new");
  std::string error;
  EXPECT_EQ(WriteNewFileAtomic(Path("no-dir/x.ign"), "new", &error), NewFileResult::Failed);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(NamesIn(dir_).size(), 8u);  // nothing but the files named above
}

// A named pipe where a file was expected is refused at once; it would otherwise block
// until someone writes to it.
TEST_F(FileCareTest, NamedPipesAndFoldersAreRefusedAtOnce) {
  FifoGuard pipe(Path("pipe.ign"));
  ASSERT_TRUE(pipe.Ok());
  fs::create_directory(Path("folder.ign"));
  for (const std::string& p : {pipe.Path(), Path("folder.ign")}) {
    std::string text;
    bool read = true;
    EXPECT_LT(Timed([&] { read = ReadWholeFile(p, &text, 1000); }), kAtOnce) << p;
    EXPECT_FALSE(read) << p;

    settings_.history.Assign({"/cur.ign", p});
    OpenOutcome out;
    EXPECT_LT(Timed([&] { out = OpenFile(doc_, p, -1); }), kAtOnce) << p;
    EXPECT_EQ(out.status, OpenOutcome::kOpenError) << p;
    EXPECT_EQ(settings_.history.Entries(), std::vector<std::string>{"/cur.ign"}) << p;

    std::string error;
    EXPECT_FALSE(WriteFileAtomic(p, "x", &error)) << p;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  }
  struct stat st {};
  ASSERT_EQ(stat(pipe.Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));  // left as it was

  // An application.ini that is a pipe: the start goes on with the defaults.
  fs::create_directory(Path("cfg"));
  FifoGuard ini(Path("cfg/application.ini"));
  ASSERT_TRUE(ini.Ok());
  AppSettings s;
  ParamImage img;
  LoadSettingsResult r;
  EXPECT_LT(Timed([&] { r = LoadSettings(Path("cfg"), s, img.bytes, {}); }), kAtOnce);
  EXPECT_FALSE(r.applicationIniFound);
  EXPECT_TRUE(s.newInstal);
  bool saved = true;
  EXPECT_LT(Timed([&] { saved = SaveSettings(Path("cfg"), s, img.bytes); }), kAtOnce);
  EXPECT_FALSE(saved);
}

}  // namespace
}  // namespace zeda
