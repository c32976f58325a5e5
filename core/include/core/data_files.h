// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kv::app {

// The settings file that goes with a data file: the data file's name with its last three
// characters replaced by "cfg". Only the name after the last '/' is touched, and
// characters are counted as characters, not bytes (UTF-8); a name of fewer than three
// characters is replaced whole.
std::string companionName(const std::string &dataFile);

// The name with ".<extension>" added when its last part has none ("demo1" becomes
// "demo1.osv"; "demo1.bin" and "run.OSV" stay as they are). A trailing dot counts as no
// extension ("demo." becomes "demo.osv"); so does a leading one (".x" becomes ".x.osv").
std::string withExtension(const std::string &name, const std::string &extension);

// The first of "KV6830-1.ini", "KV6830-2.ini", ... in the folder that no file takes.
std::string freeSettingsName(const std::string &folder);

// A file dialog filter that also shows the lower-case spelling of each pattern, for the
// platform dialogs that match case-sensitively: "Osv Files (*.Osv)" becomes
// "Osv Files (*.Osv *.osv)", so the files the program writes (".osv") are listed.
std::string filterForEveryCase(const std::string &filter);

// Record length of a data file for a memory depth index (0 "2k", 1 "128k"): the last
// start of the depth, 2016 or 131040 bytes.
int32_t dataRecordLength(int depthIndex);

// Why the file at `path` cannot be loaded as a data file of `recordLength` (ten records,
// no header), in words for the user; nothing when it can. Names the depth a file of the
// other length holds.
std::optional<std::string> dataFileProblem(const std::string &path, int32_t recordLength);

// The memory depth index a settings file sets when it is loaded (its "ABuflen"), or
// nothing when the file is missing or would be refused.
std::optional<int> settingsFileDepth(const std::string &path);

// One record of a data file into a buffer: vc_loaddata's shape.
using RecordLoader = std::function<int32_t(uint8_t *, int32_t, const char *, int32_t)>;

// Loads record k into planes[k] for every k with which[k] set: all of them or none (each
// record is read into a buffer first). Returns false when a record could not be read.
bool loadDataRecords(const std::string &path, int32_t recordLength,
                     const std::array<bool, 3> &which, const std::array<uint8_t *, 3> &planes,
                     const RecordLoader &load);

// The text table of a data set: the header and one line per sample j = i + adjust + 1
// for i = 0 .. recordLength - 1. Positions past `available` samples are written with the
// position and no bytes.
std::string textTable(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                      int32_t recordLength, int32_t adjust, int64_t available);

}  // namespace kv::app
