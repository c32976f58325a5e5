// SPDX-License-Identifier: GPL-3.0-or-later
// Names and checks of data files, worked by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/data_files.h"
#include "core/settings_file.h"

using namespace kv::app;
namespace fs = std::filesystem;

TEST(DataFileNames, CompanionReplacesTheLastThreeCharactersOfTheFileName) {
    EXPECT_EQ(companionName("/home/u/run.osv"), "/home/u/run.cfg");
    EXPECT_EQ(companionName("savedata 7.osv"), "savedata 7.cfg");
    EXPECT_EQ(companionName("/d/trace.osv"), "/d/trace.cfg");
    // Never into the folder: a short name is replaced whole.
    EXPECT_EQ(companionName("/data/chosen/ab"), "/data/chosen/cfg");
    EXPECT_EQ(companionName("/data/x"), "/data/cfg");
    // Characters, not bytes: "Größe" ends in "öße" (five bytes).
    EXPECT_EQ(companionName("/m/Gr\xC3\xB6\xC3\x9F\x65"), "/m/Grcfg");
    EXPECT_EQ(companionName("/m/Messung.\xC3\xA4\xC3\xB6\xC3\xBC"), "/m/Messung.cfg");
}

TEST(DataFileNames, ExtensionOnlyWhereThereIsNone) {
    EXPECT_EQ(withExtension("/d/demo1", "osv"), "/d/demo1.osv");
    EXPECT_EQ(withExtension("/d/demo1.bin", "osv"), "/d/demo1.bin");
    EXPECT_EQ(withExtension("/d/run.OSV", "osv"), "/d/run.OSV");
    EXPECT_EQ(withExtension("/d.x/ab", "ini"), "/d.x/ab.ini");  // the folder's dot is no extension
    EXPECT_EQ(withExtension("/d/demo.", "txt"), "/d/demo.txt");
    EXPECT_EQ(withExtension("/d/.hidden", "osv"), "/d/.hidden.osv");
    EXPECT_EQ(companionName(withExtension("/d/ab", "osv")), "/d/ab.cfg");
}

TEST(DataFileNames, DialogFiltersListTheLowerCaseSpelling) {
    EXPECT_EQ(filterForEveryCase("Osv Files (*.Osv)"), "Osv Files (*.Osv *.osv)");
    EXPECT_EQ(filterForEveryCase("Cfg File (*.INI)"), "Cfg File (*.INI *.ini)");
    EXPECT_EQ(filterForEveryCase("txt File (*.txt)"), "txt File (*.txt)");
    EXPECT_EQ(filterForEveryCase("Osv (*.Osv *.osv)"), "Osv (*.Osv *.osv)");
}

class DataFileCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kv6830-check-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path file(const std::string &name, size_t size) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << std::string(size, 'x');
        return p;
    }
    fs::path dir;
};

TEST_F(DataFileCheck, SizeMustBeTenRecordsOfTheDepth) {
    EXPECT_EQ(dataRecordLength(0), 2016);
    EXPECT_EQ(dataRecordLength(1), 131040);
    EXPECT_FALSE(dataFileProblem(file("two.osv", 20160).string(), 2016));
    EXPECT_FALSE(dataFileProblem(file("deep.osv", 1310400).string(), 131040));
    const auto twoAtDeep = dataFileProblem((dir / "two.osv").string(), 131040);
    ASSERT_TRUE(twoAtDeep);
    EXPECT_NE(twoAtDeep->find("holds data of the memory depth 2k"), std::string::npos);
    const auto deepAtTwo = dataFileProblem((dir / "deep.osv").string(), 2016);
    ASSERT_TRUE(deepAtTwo);
    EXPECT_NE(deepAtTwo->find("holds data of the memory depth 128k"), std::string::npos);
    const auto odd = dataFileProblem(file("odd.osv", 20159).string(), 2016);
    ASSERT_TRUE(odd);
    EXPECT_NE(odd->find("20159 bytes"), std::string::npos);
    fs::create_directories(dir / "folder.osv");
    EXPECT_NE(dataFileProblem((dir / "folder.osv").string(), 2016)->find("is a folder"),
              std::string::npos);
    EXPECT_NE(dataFileProblem((dir / "none.osv").string(), 2016)->find("No such file"),
              std::string::npos);
}

TEST_F(DataFileCheck, RecordsLoadAllOrNone) {
    std::vector<uint8_t> p0(8, 0xEE), p1(8, 0xEE), p2(8, 0xEE);
    int calls = 0;
    const RecordLoader failsOnTwo = [&](uint8_t *to, int32_t n, const char *, int32_t k) {
        ++calls;
        if (k == 2) return -1;
        std::fill(to, to + n, static_cast<uint8_t>(k + 1));
        return 0;
    };
    EXPECT_FALSE(
        loadDataRecords("x", 8, {true, true, true}, {p0.data(), p1.data(), p2.data()}, failsOnTwo));
    EXPECT_EQ(p0, std::vector<uint8_t>(8, 0xEE));  // record 0 was read, but not kept
    EXPECT_EQ(p1, std::vector<uint8_t>(8, 0xEE));
    EXPECT_TRUE(loadDataRecords("x", 8, {false, true, false}, {p0.data(), p1.data(), p2.data()},
                                failsOnTwo));
    EXPECT_EQ(p0, std::vector<uint8_t>(8, 0xEE));
    EXPECT_EQ(p1, std::vector<uint8_t>(8, 2));
    EXPECT_EQ(calls, 4);
}

TEST_F(DataFileCheck, SettingsFilesThatCannotBeRead) {
    ProgramState s;
    WindowMarks w;
    bool existed = true;
    loadSettingsFile((dir / "none.ini").string(), false, s, w, &existed);
    EXPECT_FALSE(existed);  // a missing file is passed over in silence
    file("empty.ini", 0);
    SettingsReadResult r = loadSettingsFile((dir / "empty.ini").string(), false, s, w, &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(r.outcome, SettingsReadResult::Outcome::Unreadable);
    EXPECT_EQ(r.message, "is empty");
    fs::create_directories(dir / "KV6830.ini");
    r = loadSettingsFile((dir / "KV6830.ini").string(), true, s, w, &existed);
    EXPECT_EQ(r.outcome, SettingsReadResult::Outcome::Unreadable);
    EXPECT_EQ(r.message, "is a folder, not a settings file");
}
