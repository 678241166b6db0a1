// Where zanth-levels writes its pictures: regular files through a private
// temporary file that never outlives a failure or an interruption, existing
// files keeping their permissions, and devices, pipes and standard output
// written straight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/ToolRunner.h"
#include "tool/OutputFile.h"
#include "tool/PngIO.h"
#include "tool/TestPicture.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using zanth_test::runTool;
using zanth_test::ScratchFolder;
using zanth_test::slurp;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

TEST(ToolOutput, ReplacesAnExistingFileWholeAndLeavesNoTemporaryFile) {
    ScratchFolder folder("output");
    const std::string out = folder / "picture.png";
    writeText(out, "an older picture");
    const auto r = runTool("testpicture " + quoted(out) + " --size 20x10");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(zanth::readPng(out).width, 20);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"picture.png"});
}

TEST(ToolOutput, AFailedRenderKeepsTheOldFileAndLeavesNoTemporaryFile) {
    ScratchFolder folder("output");
    const std::string in = folder / "in.png";
    const std::string out = folder / "out.png";
    zanth::writePng(in, zanth::generateTestPicture(8, 4));
    writeText(out, "an older picture");
    const auto r = runTool("render " + quoted(in) + " " + quoted(out) + " --set Gamma=9");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(slurp(out), "an older picture");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.png", "out.png"}));
}

#if !defined(_WIN32)  // Windows paths stop at 260 characters, well before a folder's names do
TEST(ToolOutput, ANameAsLongAsTheSystemAllowsIsWritten) {
    ScratchFolder folder("output");
    const std::string name = std::string(251, 'n') + ".png";  // 255 bytes, NAME_MAX
    const auto r = runTool("testpicture " + quoted(folder / name) + " --size 4x4");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(folder.names(), std::vector<std::string>{name});
}
#endif

TEST(ToolOutput, DashIsStandardOutput) {
    ScratchFolder folder("output");
    const std::string in = folder / "in.png";
    zanth::writePng(in, zanth::generateTestPicture(12, 6));
    const auto r = runTool("render " + quoted(in) + " -");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const zanth::RgbaImage picture =
        zanth::decodePng(reinterpret_cast<const uint8_t*>(r.out.data()), r.out.size(), "standard output");
    EXPECT_EQ(picture.width, 12);
    EXPECT_EQ(picture.height, 6);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"in.png"});
}

#if !defined(_WIN32)

mode_t modeOf(const std::string& path) {
    struct stat info;
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

TEST(ToolOutput, AnExistingFileKeepsItsPermissions) {
    ScratchFolder folder("output");
    for (mode_t mode : {0600, 0640, 0664}) {
        const std::string out = folder / "private.png";
        writeText(out, "old");
        ASSERT_EQ(chmod(out.c_str(), mode), 0);
        const auto r = runTool("testpicture " + quoted(out) + " --size 4x4");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(modeOf(out) & 07777, mode);
        EXPECT_EQ(zanth::readPng(out).width, 4);
    }
}

TEST(ToolOutput, ANewFileGetsTheUsualPermissions) {
    ScratchFolder folder("output");
    const mode_t mask = umask(0);
    umask(mask);
    const std::string out = folder / "new.png";
    ASSERT_EQ(runTool("testpicture " + quoted(out) + " --size 4x4").exitCode, 0);
    EXPECT_EQ(modeOf(out) & 07777, 0666 & ~mask);
}

TEST(ToolOutput, ALinkPlantedWhereATemporaryFileMightGoIsLeftAlone) {
    ScratchFolder folder("output");
    const std::string victim = folder / "victim.txt";
    writeText(victim, "precious");
    const std::string out = folder / "out.png";
    for (const std::string& planted : {out + ".tmp-zanth", out + ".tmp", folder / ".out.png.tmp"}) {
        ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    }
    const auto r = runTool("testpicture " + quoted(out) + " --size 4x4");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(slurp(victim), "precious");
    EXPECT_TRUE(S_ISLNK(modeOf(out + ".tmp-zanth")));
    EXPECT_EQ(zanth::readPng(out).width, 4);
}

TEST(ToolOutput, ALinkToAPictureIsKeptAndThePictureReplaced) {
    ScratchFolder folder("output");
    const std::string real = folder / "real.png";
    const std::string link = folder / "link.png";
    writeText(real, "old");
    ASSERT_EQ(symlink("real.png", link.c_str()), 0);
    ASSERT_EQ(runTool("testpicture " + quoted(link) + " --size 4x4").exitCode, 0);
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(zanth::readPng(real).width, 4);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.png", "real.png"}));
}

TEST(ToolOutput, APipeIsWrittenStraight) {
    ScratchFolder folder("output");
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opened for reading and writing, the pipe neither blocks the tool's open
    // nor this one; a small picture fits its buffer.
    const int descriptor = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(descriptor, 0);
    const auto r = runTool("testpicture " + quoted(fifo) + " --size 16x8");
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = read(descriptor, buffer, sizeof(buffer))) > 0;) bytes.append(buffer, static_cast<size_t>(n));
    close(descriptor);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
    const zanth::RgbaImage picture = zanth::decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "pipe");
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"pipe"});
}

// Runs a shell command as the unprivileged user "nobody" when the tests run
// as root, so a tool that tried to replace a device could not.
int runUnprivileged(const std::string& command) {
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ToolOutput, ADeviceIsWrittenStraight) {
    ScratchFolder folder("output");
    ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
    const std::string in = folder / "in.png";
    zanth::writePng(in, zanth::generateTestPicture(8, 4));
    ASSERT_EQ(chmod(in.c_str(), 0644), 0);
    const mode_t before = modeOf("/dev/null");
    ASSERT_TRUE(S_ISCHR(before));
    const int exitCode = runUnprivileged(std::string("\"") + ZANTH_TOOL_PATH + "\" render " + quoted(in) +
                                         " /dev/null 2>" + quoted(folder / "err.txt"));
    EXPECT_EQ(exitCode, 0) << slurp(folder / "err.txt");
    EXPECT_EQ(modeOf("/dev/null"), before);
}

TEST(ToolOutput, AnUnwritableFolderIsReportedAndNothingIsLeft) {
    ScratchFolder folder("output");
    const std::string out = folder / "missing-folder/out.png";
    const auto r = runTool("testpicture " + quoted(out));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write " + out), std::string::npos) << r.err;
    EXPECT_TRUE(folder.names().empty());
}

// The temporary file goes when a signal ends the process while it is written:
// an interruption, and every other signal whose default ends the tool (a
// closed pipe, a quit from the terminal, the user signals, timers and limits).
TEST(OutputFile, EverySignalThatEndsTheToolRemovesTheTemporaryFile) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, SIGXCPU, SIGVTALRM,
                    SIGPROF}) {
        ScratchFolder folder("signalled");
        const std::string out = folder / "out.png";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const struct rlimit noCore = {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);  // SIGQUIT's and SIGXFSZ's default writes a core file
            zanth::OutputFile file(out);
            file.write("partial", 7);
            raise(sig);
            _exit(0);  // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "signal " << sig << ", status " << status;
        EXPECT_TRUE(folder.names().empty()) << "signal " << sig << " left " << folder.names().front();
    }
}

// A signal the tool was started ignoring (nohup) stays ignored: the write
// goes on and completes.
TEST(OutputFile, ASignalTheToolIgnoresStaysIgnored) {
    ScratchFolder folder("ignored");
    const std::string out = folder / "out.png";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGHUP, SIG_IGN);
        {
            zanth::OutputFile file(out);
            file.write("whole", 5);
            raise(SIGHUP);
            file.commit();
        }
        _exit(signal(SIGHUP, SIG_DFL) == SIG_IGN ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the ignored signal was not put back";
    EXPECT_EQ(slurp(out), "whole");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.png"});
}

// A write-protected output is not replaced without --force: exit 2 before
// anything is rendered, the file as it was. With --force it is replaced and
// keeps its permissions. Also through a symbolic link to it.
TEST(ToolOutput, AWriteProtectedFileIsReplacedOnlyWithForce) {
    ScratchFolder folder("protected");
    const std::string in = folder / "in.png";
    const std::string out = folder / "out.png";
    const std::string link = folder / "link.png";
    zanth::writePng(in, zanth::generateTestPicture(8, 4));
    writeText(out, "an older picture");
    ASSERT_EQ(chmod(out.c_str(), 0444), 0);
    ASSERT_EQ(symlink("out.png", link.c_str()), 0);
    for (const std::string& args : {"testpicture " + quoted(out) + " --size 8x4",
                                    "render " + quoted(in) + " " + quoted(out),
                                    "render " + quoted(in) + " " + quoted(link),
                                    "editor " + quoted(out) + " --input " + quoted(in)}) {
        const auto r = runTool(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("write-protected"), std::string::npos) << r.err;
        EXPECT_EQ(slurp(out), "an older picture") << args;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.png", "link.png", "out.png"}));
    const auto r = runTool("render " + quoted(in) + " " + quoted(out) + " --force");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(zanth::readPng(out).width, 8);
    struct stat info;
    ASSERT_EQ(stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.png", "link.png", "out.png"}));
}

// A symbolic link to a file that does not exist yet: the file is written
// where the link leads (through a chain of links, relative to each link's
// folder), and the link stays a link.
TEST(ToolOutput, ADanglingLinkIsWrittenThroughToItsTarget) {
    ScratchFolder folder("dangling");
    std::filesystem::create_directories(folder / "pictures");
    const std::string link = folder / "link.png";
    const std::string second = folder / "pictures/second.png";
    ASSERT_EQ(symlink("pictures/second.png", link.c_str()), 0);
    ASSERT_EQ(symlink("target.png", second.c_str()), 0);
    const auto r = runTool("testpicture " + quoted(link) + " --size 6x3");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link was replaced";
    ASSERT_EQ(lstat(second.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the second link was replaced";
    EXPECT_EQ(zanth::readPng(folder / "pictures/target.png").width, 6);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.png", "pictures"}));
}

// The owner and group of a replaced file stay: root keeps both; a user who
// may not give the file away keeps its group when the user belongs to it.
TEST(ToolOutput, AReplacedFileKeepsItsOwnerWherePossible) {
    if (geteuid() != 0) GTEST_SKIP() << "giving files to other owners needs root";
    ScratchFolder folder("owner");
    ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
    const std::string out = folder / "out.png";
    writeText(out, "an older picture");
    ASSERT_EQ(chown(out.c_str(), 4321, 4320), 0);
    auto r = runTool("testpicture " + quoted(out) + " --size 5x2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    struct stat info;
    ASSERT_EQ(stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4320u);

    // A user of group 4320 (not the owner) replaces a group-writable file of root's.
    ASSERT_EQ(chown(out.c_str(), 0, 4320), 0);
    ASSERT_EQ(chmod(out.c_str(), 0664), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t groups[] = {4320};
        if (setgroups(1, groups) != 0 || setgid(4322) != 0 || setuid(4323) != 0) _exit(9);
        const auto result = runTool("testpicture " + quoted(out) + " --size 5x2");
        _exit(result.exitCode);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4323u) << "only root gives a file away";
    EXPECT_EQ(info.st_gid, 4320u) << "the group is the user's to keep";
    EXPECT_EQ(info.st_mode & 07777, 0664u);
}

#endif  // !_WIN32

TEST(OutputFile, GoingWithoutCommitLeavesNothing) {
    ScratchFolder folder("uncommitted");
    {
        zanth::OutputFile file(folder / "out.png");
        file.write("partial", 7);
        EXPECT_EQ(folder.names().size(), 1u);  // the temporary file
    }
    EXPECT_TRUE(folder.names().empty());
}

}  // namespace
