// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data_file.h"

namespace fs = std::filesystem;

namespace {

class DataFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kv6830-data-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        store.assign(10 * kv::render::kRowStride, 0);
        for (int k = 0; k < 10; ++k) {
            for (int i = 0; i < 2048; ++i) {
                store[static_cast<size_t>(k * kv::render::kRowStride + i)] =
                    static_cast<uint8_t>(k * 16 + i % 7);
            }
        }
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    std::vector<char> bytes(const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
    std::vector<uint8_t> store;
};

}  // namespace

TEST_F(DataFile, TenRecordsOfTheRecordLength) {
    const fs::path file = dir / "a.osv";
    ASSERT_EQ(kv::render::saveDataFile(store.data(), 2048, file.c_str()), 0);
    const auto b = bytes(file);
    ASSERT_EQ(b.size(), 20480u);
    EXPECT_EQ(static_cast<uint8_t>(b[0]), 0);
    EXPECT_EQ(static_cast<uint8_t>(b[4096 + 3]), 2 * 16 + 3);  // record 2, byte 3
    EXPECT_EQ(static_cast<uint8_t>(b[9 * 2048 + 8]), 9 * 16 + 1);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(DataFile, LoadingRecordTwoReadsItsBytes) {
    const fs::path file = dir / "b.osv";
    ASSERT_EQ(kv::render::saveDataFile(store.data(), 2048, file.c_str()), 0);
    std::vector<uint8_t> plane(2048, 0xEE);
    ASSERT_EQ(kv::render::loadDataRecord(plane.data(), 2048, file.c_str(), 2), 0);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(plane[static_cast<size_t>(i)], 32 + i % 7) << i;
}

TEST_F(DataFile, RecordBeyondAShortFileChangesNothing) {
    const fs::path file = dir / "short.osv";
    {
        std::ofstream out(file, std::ios::binary);
        out << std::string(3000, 'x');
    }
    std::vector<uint8_t> plane(2048, 0xEE);
    EXPECT_EQ(kv::render::loadDataRecord(plane.data(), 2048, file.c_str(), 2), 0);
    EXPECT_EQ(plane, std::vector<uint8_t>(2048, 0xEE));
    // Record 1 is partly there: 952 bytes arrive, the rest stays.
    EXPECT_EQ(kv::render::loadDataRecord(plane.data(), 2048, file.c_str(), 1), 0);
    EXPECT_EQ(plane[951], 'x');
    EXPECT_EQ(plane[952], 0xEE);
}

TEST_F(DataFile, MissingFileIsRefused) {
    std::vector<uint8_t> plane(2048, 0xEE);
    EXPECT_EQ(kv::render::loadDataRecord(plane.data(), 2048, (dir / "none.osv").c_str(), 0), -1);
    EXPECT_EQ(plane, std::vector<uint8_t>(2048, 0xEE));
    EXPECT_EQ(kv::render::loadDataRecord(nullptr, 2048, (dir / "none.osv").c_str(), 0), -1);
    EXPECT_EQ(kv::render::loadDataRecord(plane.data(), -1, (dir / "none.osv").c_str(), 0), -1);
}

TEST_F(DataFile, AnythingButARegularFileIsRefusedUntouched) {
    // A folder, a pipe and a device all open for reading; none of them is a data file.
    const fs::path pipe = dir / "pipe.osv";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directories(dir / "folder.osv");
    for (const fs::path &p : {dir / "folder.osv", pipe, fs::path("/dev/zero")}) {
        std::vector<uint8_t> plane(2048, 0xEE);
        EXPECT_EQ(kv::render::loadDataRecord(plane.data(), 2048, p.c_str(), 0), -1) << p;
        EXPECT_EQ(plane, std::vector<uint8_t>(2048, 0xEE)) << p;
    }
}

TEST_F(DataFile, FailedSaveKeepsTheOldFile) {
    if (::geteuid() == 0) {
        // root writes into read-only directories; a missing directory fails for anyone.
        const fs::path file = dir / "missing" / "x.osv";
        EXPECT_EQ(kv::render::saveDataFile(store.data(), 2048, file.c_str()), -1);
        EXPECT_FALSE(fs::exists(file));
    }
    const fs::path file = dir / "keep.osv";
    {
        std::ofstream out(file, std::ios::binary);
        out << "precious";
    }
    // A read-only file is refused and left as it is.
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(kv::render::saveDataFile(store.data(), 2048, file.c_str()), -2);
    EXPECT_EQ(errno, EACCES);
    {
        const auto b = bytes(file);
        EXPECT_EQ(std::string(b.begin(), b.end()), "precious");
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    // A path that names a directory cannot be replaced by a file either.
    fs::create_directories(dir / "sub.osv");
    EXPECT_EQ(kv::render::saveDataFile(store.data(), 2048, (dir / "sub.osv").c_str()), -2);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_TRUE(fs::is_directory(dir / "sub.osv"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(DataFile, SaveReplacesAnExistingFileWhole) {
    const fs::path file = dir / "c.osv";
    {
        std::ofstream out(file, std::ios::binary);
        out << std::string(50000, 'z');
    }
    ASSERT_EQ(kv::render::saveDataFile(store.data(), 100, file.c_str()), 0);
    EXPECT_EQ(bytes(file).size(), 1000u);
}
