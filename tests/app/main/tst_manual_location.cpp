// SPDX-License-Identifier: GPL-3.0-or-later
// Where Help > Help Topics finds the manual: beside the program in the build tree, in the
// installed layout, or in the start-up directory, the first place first.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "main/manual_location.h"

namespace fs = std::filesystem;

namespace {

fs::path freshTree() {
    const fs::path root = fs::temp_directory_path() / ("kv-manual-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share/doc/kv6830");
    fs::create_directories(root / "work");
    return root;
}

void put(const fs::path &file) {
    std::ofstream(file) << "<html></html>\n";
}

}  // namespace

TEST(ManualLocation, InstalledBesideAndStartUpInThatOrder) {
    const fs::path root = freshTree();
    const std::string bin = (root / "usr/bin").string(), work = (root / "work").string();
    EXPECT_EQ(kv::app::findManual(bin, work), std::nullopt);

    put(root / "work/manual.htm");
    EXPECT_EQ(kv::app::findManual(bin, work), work + "/manual.htm");

    put(root / "usr/share/doc/kv6830/manual.htm");
    EXPECT_EQ(kv::app::findManual(bin, work), bin + "/../share/doc/kv6830/manual.htm");

    put(root / "usr/bin/manual.htm");
    EXPECT_EQ(kv::app::findManual(bin, work), bin + "/manual.htm");
    fs::remove_all(root);
}

TEST(ManualLocation, AFolderNamedLikeTheManualIsNoManual) {
    const fs::path root = freshTree();
    fs::create_directories(root / "usr/bin/manual.htm");
    put(root / "work/manual.htm");
    EXPECT_EQ(kv::app::findManual((root / "usr/bin").string(), (root / "work").string()),
              (root / "work/manual.htm").string());
    fs::remove_all(root);
}
