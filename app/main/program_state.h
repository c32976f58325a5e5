#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "main/capture_array.h"

namespace kv::app {

inline constexpr int kMaxViews = 10;
inline constexpr int kSelectionBlockSize = 2048;
inline constexpr int kStateBlockSize = 1024;

// Capture settings edited by the parameter panel and read by the capture run.
struct CaptureSettings {
    uint8_t threshold[4] = {60, 60, 60, 60};  // v_tshd .. v_tshd4, codes 0..80
    uint8_t triggerChannel = 0;               // TrigCh
    uint8_t triggerSlope[51] = {};            // TrigSlop(...)
    uint8_t triggerWordPairs[8] = {};         // TrigWd1A .. TrigWd4B
    uint8_t captureMode = 1;                  // 0 Single, 1 Normal, 2 Auto
    uint8_t memoryDepthIndex = 0;             // 0 "2k", 1 "128k"
    uint8_t rateCode = 4;
    uint8_t clockSource = 0;  // 0 internal, 1 external rising, 2 falling
    std::string triggerWord = "XXXXXXXX XXXXXXXX XXXXXXXX";

    int32_t recordLength() const { return memoryDepthIndex ? 128 * 1024 : 2 * 1024; }
};

// Per view, what the capture run reads of it.
struct ViewState {
    int32_t triggerCursor = 60;   // position table column 2
    int32_t triggerDelay = 0;     // column 7
    int32_t delayBarMax = 32767;  // HScroll7.Max
    int dataSet = 0;              // the data set the view shows
    bool open = false;
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

    CaptureSettings settings;
    CaptureArray capture;
    std::array<ViewState, kMaxViews> views{};
    bool triggerDelayMode = false;
    int32_t delayE = 2;  // 2 for "2k", 256 for "128k"

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
