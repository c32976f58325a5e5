// SPDX-License-Identifier: GPL-3.0-or-later
// The file writer that every save goes through: what it does to the file it replaces.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../common/ordinary_user.h"
#include "platform/atomic_file.h"

namespace fs = std::filesystem;
using kv::platform::replaceFile;
using kv::platform::WriteOutcome;

namespace {

class AtomicFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kv6830-writer-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        ::chmod(dir.c_str(), 0777);
    }
    void TearDown() override {
        ::chmod(dir.c_str(), 0777);
        fs::remove_all(dir);
    }
    static std::string contents(const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void put(const fs::path &p, const std::string &text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static WriteOutcome write(const fs::path &p, const std::string &text) {
        return replaceFile(p.string(), {{text.data(), text.size()}});
    }
    // Runs `body` in a child process as an ordinary user; false when that cannot be done.
    template <typename Body>
    bool asOrdinaryUser(Body body) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!kv::test::becomeOrdinaryUser().empty()) ::_exit(77);
            body();
            ::_exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return false;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed";
        return true;
    }
    fs::path dir;
};

}  // namespace

TEST_F(AtomicFile, SymbolicLinkIsFollowedAndStays) {
    fs::create_directories(dir / "shared");
    put(dir / "shared" / "KV6830.ini", "old settings");
    fs::create_symlink("shared/KV6830.ini", dir / "KV6830.ini");
    ASSERT_TRUE(write(dir / "KV6830.ini", "new settings").ok());
    EXPECT_TRUE(fs::is_symlink(dir / "KV6830.ini"));
    EXPECT_EQ(contents(dir / "shared" / "KV6830.ini"), "new settings");
    // A link whose target is still to be made gets it made.
    fs::create_symlink("shared/later.ini", dir / "later.ini");
    ASSERT_TRUE(write(dir / "later.ini", "made").ok());
    EXPECT_TRUE(fs::is_symlink(dir / "later.ini"));
    EXPECT_EQ(contents(dir / "shared" / "later.ini"), "made");
    // A loop of links is no file to write.
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    EXPECT_EQ(write(dir / "loop1", "x").error, ELOOP);
    EXPECT_TRUE(fs::is_symlink(dir / "loop1"));
    fs::remove(dir / "loop1");
    fs::remove(dir / "loop2");
    // Nothing but the files is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "shared"), fs::directory_iterator()), 2);
}

TEST_F(AtomicFile, HardLinksStayOneFile) {
    put(dir / "a.osv", "first content, longer than the next");
    fs::create_hard_link(dir / "a.osv", dir / "b.osv");
    struct stat before {};
    ::stat((dir / "b.osv").c_str(), &before);
    const WriteOutcome o = write(dir / "a.osv", "second");
    ASSERT_TRUE(o.ok());
    EXPECT_TRUE(o.inPlace);
    EXPECT_EQ(contents(dir / "b.osv"), "second");
    EXPECT_EQ(fs::hard_link_count(dir / "a.osv"), 2u);
    struct stat after {};
    ::stat((dir / "a.osv").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(AtomicFile, ReadOnlyFileAndFolderAreRefused) {
    put(dir / "ro.ini", "keep me");
    ::chmod((dir / "ro.ini").c_str(), 0444);
    const WriteOutcome o = write(dir / "ro.ini", "replacement");
    EXPECT_EQ(o.result, WriteOutcome::Result::Unchanged);
    EXPECT_TRUE(o.refused);
    EXPECT_EQ(o.describe(), "is read-only; it was left as it is");
    EXPECT_EQ(contents(dir / "ro.ini"), "keep me");
    struct stat info {};
    ::stat((dir / "ro.ini").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    fs::create_directories(dir / "folder.ini");
    EXPECT_EQ(write(dir / "folder.ini", "x").describe(), "is a folder; it was left as it is");
    EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
}

TEST_F(AtomicFile, EveryNameTheSystemTakesCanBeSaved) {
    for (const size_t length : {249u, 250u, 255u}) {
        const fs::path file = dir / std::string(length, 'n');
        const WriteOutcome o = write(file, "long name");
        EXPECT_TRUE(o.ok()) << length << ": " << o.describe();
        EXPECT_EQ(contents(file), "long name");
        fs::remove(file);
    }
}

TEST_F(AtomicFile, ModeAndOwnerAreKept) {
    put(dir / "m.ini", "old");
    ::chmod((dir / "m.ini").c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((dir / "m.ini").c_str(), 1234, 5678), 0);
    }
    struct stat before {};
    ::stat((dir / "m.ini").c_str(), &before);
    ASSERT_TRUE(write(dir / "m.ini", "new").ok());
    struct stat after {};
    ::stat((dir / "m.ini").c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(contents(dir / "m.ini"), "new");
}

TEST_F(AtomicFile, FailedWriteLeavesTheOldFile) {
    // A file size limit makes the write fail part way, as a full disk would.
    put(dir / "big.osv", "precious old content");
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const WriteOutcome o = write(dir / "big.osv", std::string(20000, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(o.result, WriteOutcome::Result::Unchanged);
    EXPECT_EQ(o.error, EFBIG);
    EXPECT_EQ(contents(dir / "big.osv"), "precious old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFile, WrittenInPlaceWhereNoTemporaryFileCanBeMade) {
    // As the owner of the folder, make a file anyone may write in a folder only the
    // owner may add to; an ordinary user then saves it.
    fs::create_directories(dir / "locked");
    put(dir / "locked" / "shared.ini", "old");
    ::chmod((dir / "locked" / "shared.ini").c_str(), 0666);
    ::chmod((dir / "locked").c_str(), 0755);
    struct stat before {};
    ::stat((dir / "locked" / "shared.ini").c_str(), &before);
    const bool ran = asOrdinaryUser([&] {
        if (::getuid() == before.st_uid) return;  // not root to begin with: folder is ours
        const WriteOutcome o = write(dir / "locked" / "shared.ini", "new content");
        EXPECT_TRUE(o.ok()) << o.describe();
        EXPECT_TRUE(o.inPlace);
        EXPECT_EQ(contents(dir / "locked" / "shared.ini"), "new content");
        // Writing fails part way: the old content is put back and the message says so.
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small {};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const WriteOutcome full = write(dir / "locked" / "shared.ini", std::string(9000, 'z'));
        EXPECT_EQ(full.result, WriteOutcome::Result::Unchanged);
        EXPECT_NE(full.describe().find("could not be written in place"), std::string::npos);
        EXPECT_EQ(contents(dir / "locked" / "shared.ini"), "new content");
    });
    if (!ran) GTEST_SKIP() << "root cannot become an ordinary user here";
    struct stat after {};
    ::stat((dir / "locked" / "shared.ini").c_str(), &after);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(AtomicFile, OwnerIsKeptForAnOrdinaryUserInAnOpenFolder) {
    put(dir / "theirs.ini", "old");
    ::chmod((dir / "theirs.ini").c_str(), 0666);
    struct stat before {};
    ::stat((dir / "theirs.ini").c_str(), &before);
    const bool ran = asOrdinaryUser([&] {
        if (::getuid() == before.st_uid) return;
        EXPECT_TRUE(write(dir / "theirs.ini", "mine now").ok());
        // An ordinary user cannot replace a read-only file even in a folder of its own.
        put(dir / "ro.ini", "kept");
        ::chmod((dir / "ro.ini").c_str(), 0444);
        EXPECT_TRUE(write(dir / "ro.ini", "x").refused);
        EXPECT_EQ(contents(dir / "ro.ini"), "kept");
    });
    if (!ran) GTEST_SKIP() << "root cannot become an ordinary user here";
    struct stat after {};
    ::stat((dir / "theirs.ini").c_str(), &after);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(contents(dir / "theirs.ini"), "mine now");
}
