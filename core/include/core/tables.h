// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::app {

inline constexpr int kGroups = 30;
inline constexpr int kTracks = 160;
inline constexpr int kShownTracks = 28;
inline constexpr int kStateColumns = 16;

// The group table and the user mnemonic tables, laid out as the render library reads
// them.
struct GroupTables {
    std::array<std::string, kGroups> name;
    std::array<int32_t, kGroups> base{};
    std::array<int32_t, kGroups> topBit{};
    std::array<int32_t, kGroups * 32> bitMap{};
    std::vector<uint8_t> patterns = std::vector<uint8_t>(4 * 256 * 24, 255);
    std::vector<char> characters = std::vector<char>(4 * 256 * 8, ' ');
    std::vector<std::string> patternText = std::vector<std::string>(4 * 256, std::string(24, 'X'));
    std::vector<std::string> mnemonicText = std::vector<std::string>(4 * 256);

    void setDefaults();
    // Characters 0..7 of mnemonic entry e of table t.
    std::string mnemonic(int table, int entry) const;
};

// Per view: what each track row shows, and the state columns.
struct TrackTable {
    std::array<uint8_t, kTracks> content{};  // 0..29 group, 30 + n channel n
    std::array<std::string, kTracks> name;
    std::array<uint8_t, kTracks> height{};  // 0..5
    std::array<uint8_t, kTracks> off{};     // 0 shown, 1 not
    std::array<int32_t, kStateColumns> stateGroup{};
    std::array<int32_t, kStateColumns> stateOff{};

    void setDefaults(const std::array<std::string, kTracks> &channelNames,
                     const GroupTables &groups);
};

// Colour table entries 0..1000 and the 48-colour user palette, as COLORREF (0x00BBGGRR).
struct ColourTable {
    std::vector<uint32_t> entry = std::vector<uint32_t>(1001, 0);
    std::array<uint32_t, 48> palette{};
    void setDefaults();
};

inline constexpr uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b) << 16;
}

}  // namespace kv::app
