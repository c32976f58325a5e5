// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/capture_array.h"
#include "core/tables.h"
#include "out47.h"

namespace kv::app {

inline constexpr int kMaxViews = 10;
inline constexpr int kSelectionBlockSize = 2048;
inline constexpr int kStateBlockSize = 1024;

// Capture settings edited by the parameter panel and read by the capture run.
struct CaptureSettings {
    // v_tshd .. v_tshd4, codes 0..80; 32 is 1.4 V, the TTL switching level.
    uint8_t threshold[4] = {32, 32, 32, 32};
    uint8_t triggerChannel = 0;        // TrigCh
    uint8_t triggerSlope[51] = {};     // TrigSlop(...)
    uint8_t triggerWordPairs[8] = {};  // TrigWd1A .. TrigWd4B
    uint8_t captureMode = 1;           // 0 Single, 1 Normal, 2 Auto
    uint8_t memoryDepthIndex = 0;      // 0 "2k", 1 "128k"
    uint8_t rateCode = 4;
    uint8_t clockSource = 0;  // 0 internal, 1 external rising, 2 falling
    std::string triggerWord = "XXXXXXXX XXXXXXXX XXXXXXXX";

    int32_t recordLength() const { return memoryDepthIndex ? 128 * 1024 : 2 * 1024; }
};

// Per view state: the position table row, the zoom, the scroll bar ranges and the data set
// the view shows.
struct ViewState {
    int32_t cursorA = 30;        // position table column 0
    int32_t cursorB = 90;        // column 1
    int32_t triggerCursor = 60;  // column 2
    int32_t screenStart = 0;     // column 3
    int32_t column4 = 3, column5 = 3;
    int32_t firstRow = 0;      // column 6: VScroll1.Value
    int32_t triggerDelay = 0;  // column 7
    uint8_t zoomIndex = 5;
    uint8_t previousZoomIndex = 5;
    float pixelsPerSample = 1.0f;
    double samplesPerDivision = 50;
    double samplesPerPixel = 1;
    uint8_t zoomAnchor = 0;
    int dataSet = 0;
    bool open = false;
    // Scroll bar ranges the view keeps in step with the record.
    int32_t barMax = 2015;  // HScroll1, 3, 5, 6 .Max
    int32_t largeChange = 8;
    int32_t delayBarMin = (2 + 100) * 512;
    int32_t delayBarMax = 32767;  // HScroll7.Max
    int32_t delayLargeChange = 10240;
    int32_t stateStart = 0;  // ScrollBar1.Value
    int drawingWidth = 0;
};

// Program-wide state: plain data owned by the main window and read and written by the
// windows and the capture run.
struct ProgramState {
    std::string startupDirectory;
    std::string modelName = "KV6830";
    int highestViewIndex = 1;
    int currentView = 0;
    int32_t platformId = 1;
    uint8_t librarySelector = 1;
    uint8_t hardwarePresent = 0;
    uint8_t unitCode = 0;
    uint16_t portBase = 0x378;
    bool demonstration = false;

    // Blocks handed to the device library; the program never looks inside.
    std::vector<uint8_t> selectionBlock = std::vector<uint8_t>(kSelectionBlockSize, 0);
    std::vector<uint8_t> stateBlock = std::vector<uint8_t>(kStateBlockSize, 0);
    std::vector<uint8_t> furtherBlock = std::vector<uint8_t>(kStateBlockSize, 0);
    // Blocks handed to the render library's second capture path (Autoset): the port
    // record, the unit state block (whose option bytes 1003 and 1010 the Parameters
    // window reads) and four blocks the library does not use.
    std::vector<int32_t> portRecord = std::vector<int32_t>(OUT47_PORT_RECORD_SIZE, 0);
    std::vector<uint8_t> unitBlock = std::vector<uint8_t>(OUT47_UNIT_BLOCK_SIZE, 0);
    std::array<std::vector<uint8_t>, 4> autosetBlocks = {
        std::vector<uint8_t>(4096, 0), std::vector<uint8_t>(4096, 0), std::vector<uint8_t>(4096, 0),
        std::vector<uint8_t>(4096, 0)};
    uint8_t mixedModel = 0;                    // FindHardware's model code; 0: no mixed-signal unit
    std::array<int16_t, 13> autosetMeasure{};  // TestAd's fields after the last Autoset

    CaptureSettings settings;
    CaptureArray capture;
    std::array<ViewState, kMaxViews + 1> views{};
    bool triggerDelayMode = false;
    int32_t delayE = 2;  // 2 for "2k", 256 for "128k"
    int32_t recordLength = 2048;
    int32_t lastStart = 2048 - 32;
    double samplePeriodPs = 10000;
    bool persistence = false;
    bool stateListing = false;  // munsTATEview
    uint8_t busy = 0;           // 33 while the program sets controls itself
    uint8_t scrollGuard = 0;    // 55 cursor bar, 33 drag, 99 zoom or screen bar, 88 pass
    int32_t dragActive = 0;     // 1 while the left button moves over a picture
    int32_t dragCount = 0;
    bool displayTime = true, displaySamples = false, displayFrequency = false;

    GroupTables groups;
    std::array<std::string, kTracks> channelNames;
    std::array<TrackTable, kMaxViews> tracks;
    ColourTable colours;
    // One row of 51 entries per data set; entry 0 is the record offset of its capture.
    std::array<std::array<int32_t, 51>, kMaxViews> dataSetRecords{};

    void setDefaultTables();

    // Settings that only the settings file and their windows carry.
    uint8_t autoSaveSetting = 0, autoLoadSetting = 0;
    std::array<int32_t, kMaxViews> secondAdjustment{};  // "MAdjaddr"
    std::array<uint8_t, 64> trans{};                    // the colour dialog's Trans table
    struct SearchSlot {
        std::string word = "XX";
        uint8_t flag = 0;
        std::string text = "XX";
    };
    // The search window's four group rows: value typed (word) and group (flag).
    std::array<SearchSlot, 4> searchSlots{SearchSlot{"XX", 8, "XX"}, SearchSlot{"XX", 9, "XX"},
                                          SearchSlot{"XX", 10, "XX"}, SearchSlot{"XX", 11, "XX"}};
    uint8_t searchOption = 0;
    std::string searchPattern = "XXXXXXXXXXXXXXXXXXXXXXXX";
    int32_t currentGroup = 0, currentMnemonic = 0, editedView = 0;
    int32_t selectedChannel = 0;  // the channel window's channel (not kept in the file)
    std::string currentFileName;
    // The data file that Save Data writes: set only by Save Data As and Load Data.
    std::string currentDataFile;

    // Capture run
    uint8_t stopRequest = 0;
    uint8_t settingsChanged = 0;
    uint8_t autoTimeout = 0;
    int32_t runCounter = 0;
    int32_t nextAutoDataSet = 0;
    int32_t saveCounter = 0;
    int32_t saveLimit = 0;
    bool numberedSaveChecked = false;  // one of the menutime items is checked
    bool data2timing = false;
    bool data2timingbyauto = false;
    std::array<int32_t, kMaxViews> triggerPositions{};
    std::array<uint32_t, 21> endTicks{};
    uint8_t activeTriggerPair[2] = {0, 0};

    // Capture parameter arrays passed by pointer.
    std::array<uint8_t, 41> triggerWordChars{};
    uint16_t thresholdWord = 0;
    std::array<int32_t, 3> planeLengths{};
    std::array<uint8_t, 3> readFlags{};
    std::array<int32_t, 3> triggerOffsets{};
    std::array<uint8_t, 51> inputEnable{};
    uint8_t depthByte = 0;
    uint8_t zeroBytes[4] = {0, 0, 0, 0};
};

}  // namespace kv::app
