// The safe writer against every kind of target a user can name.
#include "base/safe_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "base/file_error.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Names = std::vector<std::string>;

void writeRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The failure's message, or "" when the write succeeded.
std::string writeError(const std::string& path, std::string_view content) {
  try {
    writeFileSafely(path, content);
  } catch (const FileError& e) {
    return e.what();
  }
  return "";
}

std::string createMessage(const std::string& path, const std::string& reason) {
  return reason.empty() ? "" : "Cannot create file \"" + path + "\". " + reason;
}

fs::file_type kindOf(const std::string& path) { return fs::symlink_status(path).type(); }

// A small tmpfs over a folder, in a mount namespace of this process alone so
// that nothing outlives the test. Needs the rights to mount (root).
class ScratchFileSystem {
 public:
  ScratchFileSystem(const std::string& folder, const char* options) : folder_(folder) {
    static const bool ownNamespace =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    mounted_ = ownNamespace && ::mount("kq-test", folder.c_str(), "tmpfs", 0, options) == 0;
  }
  ~ScratchFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  ScratchFileSystem(const ScratchFileSystem&) = delete;
  ScratchFileSystem& operator=(const ScratchFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  bool makeReadOnly() const {
    return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string folder_;
  bool mounted_;
};

std::string makeSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  return path;
}

// Root makes its own copy of a device node in the folder, so that a writer
// that wrongly replaced its target could not replace the real /dev node.
std::string deviceNode(const TempDir& d, const char* name, unsigned minor) {
  const std::string copy = d.file(name);
  if (::geteuid() == 0 && ::mknod(copy.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) return copy;
  return std::string("/dev/") + name;
}

struct TargetCase {
  const char* name;
  // Makes the target in the folder and gives its path; nothing where this
  // machine does not allow making it.
  std::function<std::optional<std::string>(const TempDir&)> make;
  std::string reason;  // after 'Cannot create file "PATH". '; empty for success
  // What must hold after writing "new" to the target.
  std::function<void(const TempDir&, const std::string& target)> check;
};

class WriteTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(WriteTargetTest, WritesOrRefusesAndLeavesNothingElse) {
  TempDir dir;
  const std::optional<std::string> target = GetParam().make(dir);
  if (!target) GTEST_SKIP() << "cannot make this target here";
  EXPECT_EQ(writeError(*target, "new"), createMessage(*target, GetParam().reason));
  GetParam().check(dir, *target);
}

const TargetCase kTargets[] = {
    {"NewFile", [](const TempDir& d) { return d.file("t.txt"); }, "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(readWholeFile(d.file("t.txt")), "new");
       EXPECT_EQ(d.entries(), Names{"t.txt"});
     }},
    {"LongerRegularFile",
     [](const TempDir& d) {
       writeRaw(d.file("t.txt"), "old content that is longer");
       return d.file("t.txt");
     },
     "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(readWholeFile(d.file("t.txt")), "new");
       EXPECT_EQ(d.entries(), Names{"t.txt"});
     }},
    {"RelativeLink",
     [](const TempDir& d) {
       writeRaw(d.file("real.txt"), "old");
       fs::create_symlink("real.txt", d.file("link.txt"));
       return d.file("link.txt");
     },
     "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(fs::read_symlink(d.file("link.txt")), "real.txt");
       EXPECT_EQ(readWholeFile(d.file("real.txt")), "new");
       EXPECT_EQ(d.entries(), (Names{"link.txt", "real.txt"}));
     }},
    {"AbsoluteLinkToAnotherFolder",
     [](const TempDir& d) {
       fs::create_directory(d.file("other"));
       writeRaw(d.file("other/real.txt"), "old");
       fs::create_symlink(d.file("other/real.txt"), d.file("link.txt"));
       return d.file("link.txt");
     },
     "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(kindOf(d.file("link.txt")), fs::file_type::symlink);
       EXPECT_EQ(readWholeFile(d.file("other/real.txt")), "new");
       EXPECT_EQ(d.entries(), (Names{"link.txt", "other"}));
       EXPECT_EQ(d.entries("other"), Names{"real.txt"});
     }},
    {"ChainOfRelativeLinksThroughAFolder",
     [](const TempDir& d) {
       fs::create_directory(d.file("sub"));
       writeRaw(d.file("real.txt"), "old");
       fs::create_symlink("../real.txt", d.file("sub/inner"));
       fs::create_symlink("sub/inner", d.file("link.txt"));
       return d.file("link.txt");
     },
     "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(readWholeFile(d.file("real.txt")), "new");
       EXPECT_EQ(kindOf(d.file("sub/inner")), fs::file_type::symlink);
       EXPECT_EQ(d.entries(), (Names{"link.txt", "real.txt", "sub"}));
     }},
    {"DanglingLinkCreatesItsTarget",
     [](const TempDir& d) {
       fs::create_symlink("made.txt", d.file("link.txt"));
       return d.file("link.txt");
     },
     "",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(kindOf(d.file("link.txt")), fs::file_type::symlink);
       EXPECT_EQ(readWholeFile(d.file("made.txt")), "new");
     }},
    {"DanglingLinkIntoAMissingFolder",
     [](const TempDir& d) {
       fs::create_symlink("missing/made.txt", d.file("link.txt"));
       return d.file("link.txt");
     },
     "No such file or directory",
     [](const TempDir& d, const std::string&) { EXPECT_EQ(d.entries(), Names{"link.txt"}); }},
    {"LinkLoop",
     [](const TempDir& d) {
       fs::create_symlink("b", d.file("a"));
       fs::create_symlink("a", d.file("b"));
       return d.file("a");
     },
     "Too many levels of symbolic links",
     [](const TempDir& d, const std::string&) {
       EXPECT_EQ(d.entries(), (Names{"a", "b"}));
     }},
    {"MissingFolder", [](const TempDir& d) { return d.file("missing/t.txt"); }, "No such file or directory",
     [](const TempDir& d, const std::string&) { EXPECT_TRUE(d.entries().empty()); }},
    {"Folder",
     [](const TempDir& d) {
       fs::create_directory(d.file("sub"));
       return d.file("sub");
     },
     "Is a directory", [](const TempDir& d, const std::string&) { EXPECT_TRUE(d.entries("sub").empty()); }},
    {"Socket", [](const TempDir& d) { return makeSocket(d.file("s")); }, "It is a socket, not a file",
     [](const TempDir& d, const std::string&) { EXPECT_EQ(kindOf(d.file("s")), fs::file_type::socket); }},
    {"BlockDevice",
     [](const TempDir& d) -> std::optional<std::string> {
       if (::mknod(d.file("disk").c_str(), S_IFBLK | 0600, makedev(7, 200)) != 0) return std::nullopt;
       return d.file("disk");
     },
     "It is a block device (a disk), not a file",
     [](const TempDir& d, const std::string&) { EXPECT_EQ(kindOf(d.file("disk")), fs::file_type::block); }},
    {"DevNull", [](const TempDir& d) { return deviceNode(d, "null", 3); }, "",
     [](const TempDir& d, const std::string& target) {
       EXPECT_EQ(kindOf(target), fs::file_type::character);
       EXPECT_LE(d.entries().size(), 1u);
     }},
    {"DevFull", [](const TempDir& d) { return deviceNode(d, "full", 7); }, "No space left on device",
     [](const TempDir& d, const std::string& target) {
       EXPECT_EQ(kindOf(target), fs::file_type::character);
       EXPECT_LE(d.entries().size(), 1u);
     }},
};

INSTANTIATE_TEST_SUITE_P(Targets, WriteTargetTest, testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

enum class Reader { kNone, kTakesAll, kLeavesEarly };

struct PipeCase {
  const char* name;
  Reader reader;
  std::size_t size;  // far beyond a pipe's buffer where a reader is there
  std::string reason;
};

class PipeTargetTest : public testing::TestWithParam<PipeCase> {};

// Reads until the writer closes, or only once; gives up after 10 s of silence.
std::string drain(int fd, bool once) {
  std::string received;
  char buffer[4096];
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, 10000) > 0) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
    if (once) break;
  }
  ::close(fd);
  return received;
}

TEST_P(PipeTargetTest, WrittenInPlaceNeverWaitedForNorReplaced) {
  const PipeCase& c = GetParam();
  TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader;
  if (c.reader != Reader::kNone) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    reader =
        std::thread([&received, fd, once = c.reader == Reader::kLeavesEarly] { received = drain(fd, once); });
  }
  const std::string content(c.size, 'x');
  const std::string error = writeError(fifo, content);
  if (reader.joinable()) reader.join();
  EXPECT_EQ(error, createMessage(fifo, c.reason));
  if (c.reader == Reader::kTakesAll) {
    EXPECT_EQ(received, content);
  }
  EXPECT_EQ(kindOf(fifo), fs::file_type::fifo);
  EXPECT_EQ(dir.entries(), Names{"pipe"});
}

INSTANTIATE_TEST_SUITE_P(
    Pipes, PipeTargetTest,
    testing::Values(PipeCase{"NoReader", Reader::kNone, 10, "No program reads from the pipe"},
                    PipeCase{"ReaderTakesAll", Reader::kTakesAll, 1 << 20, ""},
                    PipeCase{"ReaderLeavesEarly", Reader::kLeavesEarly, 1 << 20, "Broken pipe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SafeFileTest, ReplacedFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
  TempDir dir;
  for (const fs::perms mode : {fs::perms(0640), fs::perms(0604), fs::perms(0755)}) {
    writeRaw(dir.file("t.txt"), "old");
    fs::permissions(dir.file("t.txt"), mode);
    writeFileSafely(dir.file("t.txt"), "new");
    EXPECT_EQ(fs::status(dir.file("t.txt")).permissions(), mode);
  }
  const mode_t previous = ::umask(027);
  writeFileSafely(dir.file("new.txt"), "new");
  ::umask(previous);
  EXPECT_EQ(fs::status(dir.file("new.txt")).permissions(), fs::perms(0640));
}

// A read-only folder, a read-only and a full file system: the old file stays
// whole and no temporary is left.
TEST(SafeFileTest, UnwritablePlacesKeepTheOldFile) {
  struct Case {
    const char* name;
    const char* mountOptions;  // nothing: a folder without write permission
    bool readOnly;
    std::size_t size;
    std::string reason;
  } cases[] = {{"read-only folder", nullptr, false, 3, "Permission denied"},
               {"read-only file system", "size=1m", true, 3, "Read-only file system"},
               {"full file system", "size=64k", false, 1 << 20, "No space left on device"}};
  // Only a full disk cannot be seen before the write.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::optional<ScratchFileSystem> scratch;
    if (c.mountOptions) {
      scratch.emplace(dir.path_.string(), c.mountOptions);
      if (!scratch->mounted()) continue;  // no rights to mount here
    } else if (::geteuid() == 0) {
      continue;  // root writes into read-only folders
    }
    writeRaw(dir.file("t.txt"), "old");
    if (c.readOnly) {
      ASSERT_TRUE(scratch->makeReadOnly());
    }
    if (!c.mountOptions) fs::permissions(dir.path_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(writeError(dir.file("t.txt"), std::string(c.size, 'x')),
              createMessage(dir.file("t.txt"), c.reason));
    if (c.size == 3) {
      EXPECT_THROW(checkCanCreate(dir.file("t.txt")), FileError) << "checked before the work";
    }
    if (!c.mountOptions) fs::permissions(dir.path_, fs::perms::owner_all);
    EXPECT_EQ(readWholeFile(dir.file("t.txt")), "old");
    EXPECT_EQ(dir.entries(), Names{"t.txt"});
  }
}

TEST(SafeFileTest, CheckBeforeTheWorkAgreesWithTheWriterAndWritesNothing) {
  TempDir dir;
  fs::create_symlink("made.txt", dir.file("dangling"));
  fs::create_directory(dir.file("sub"));
  struct Case {
    std::string target;
    bool writable;
  } cases[] = {
      {dir.file("new.txt"), true}, {dir.file("dangling"), true},       {"/dev/null", true},
      {dir.file("sub"), false},    {dir.file("missing/t.txt"), false}, {makeSocket(dir.file("s")), false}};
  for (const Case& c : cases) {
    bool passed = true;
    try {
      checkCanCreate(c.target);
    } catch (const FileError&) {
      passed = false;
    }
    EXPECT_EQ(passed, c.writable) << c.target;
  }
  EXPECT_EQ(dir.entries(), (Names{"dangling", "s", "sub"}));
}

TEST(ReadWholeFileTest, EndlessOrOversizedSourcesFailInsteadOfFillingTheMemory) {
  TempDir dir;
  writeRaw(dir.file("big.txt"), std::string(100, 'A'));
  for (const auto& [path, limit] :
       {std::pair{dir.file("big.txt"), 99}, {std::string("/dev/zero"), 1 << 16}}) {
    try {
      readWholeFile(path, static_cast<std::size_t>(limit));
      ADD_FAILURE() << path << " was read";
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find("File too large"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(readWholeFile(dir.file("big.txt"), 100).size(), 100u);
}

TEST(ReadWholeFileTest, PipeWithoutWriterReadsAsEmptyAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  EXPECT_EQ(readWholeFile(dir.file("pipe")), "");
}

}  // namespace
}  // namespace kq
