// SPDX-License-Identifier: GPL-3.0-or-later
// The list of recent data files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "main/recent_files.h"

using namespace kv::app;
using List = std::vector<std::string>;

TEST(RecentFiles, MostRecentFirstWithoutRepeatsAtMostEight) {
    List l = recentWith({}, "/d/a.osv");
    l = recentWith(l, "/d/b.osv");
    l = recentWith(l, "/d/c.osv");
    EXPECT_EQ(l, (List{"/d/c.osv", "/d/b.osv", "/d/a.osv"}));
    l = recentWith(l, "/d/a.osv");  // opened again: to the top, once
    EXPECT_EQ(l, (List{"/d/a.osv", "/d/c.osv", "/d/b.osv"}));
    for (int i = 0; i < 7; ++i)
        l = recentWith(l, "/d/n" + std::to_string(i) + ".osv");
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l.front(), "/d/n6.osv");
    EXPECT_EQ(l.back(), "/d/a.osv");  // c and b were the oldest
    // A name a line cannot hold is not taken.
    EXPECT_EQ(recentWith(l, "/d/two\nlines.osv"), l);
    EXPECT_EQ(recentWith(l, ""), l);
    EXPECT_EQ(recentWithout(l, "/d/n3.osv").size(), 7u);
    EXPECT_EQ(recentWithout(l, "/d/none.osv"), l);
}

TEST(RecentFiles, ListFileReadsBackAndSkipsWhatItCannotUse) {
    const List l{"/home/u/a b.osv", "/home/u/x&y.osv", "/tmp/c.osv"};
    EXPECT_EQ(parseRecentList(recentListText(l)), l);
    // CR LF lines, empty lines, relative names and repeats.
    EXPECT_EQ(parseRecentList("/a.osv\r\n\r\nrelative.osv\n/b.osv\n/a.osv\n/c.osv"),
              (List{"/a.osv", "/b.osv", "/c.osv"}));
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "/f" + std::to_string(i) + "\n";
    const List first = parseRecentList(ten);
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first.back(), "/f7");
}

TEST(RecentFiles, SavedWholeAndMissingFileReadsEmpty) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kv-recent-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / kRecentListName).string();
    EXPECT_TRUE(loadRecentList(path).empty());
    const List l{"/d/one.osv", "/d/two.osv"};
    ASSERT_TRUE(saveRecentList(path, l).ok());
    EXPECT_EQ(loadRecentList(path), l);
    // A folder in the list file's place: not written, and reads as empty.
    const std::string folder = (dir / "folder").string();
    std::filesystem::create_directories(folder);
    EXPECT_FALSE(saveRecentList(folder, l).ok());
    EXPECT_TRUE(loadRecentList(folder).empty());
    std::filesystem::remove_all(dir);
}
