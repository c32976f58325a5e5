// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/port_io.h"
#include "platform/usb_driver.h"
#include "platform/usb_ids.h"

namespace kv::dev {

enum class Transport : uint8_t { Epp = 0, Bpp = 1, Usb = 3, UsbHigh = 4 };
enum class Writer : uint8_t { Unset, Port, UsbQueue, Nothing };
enum class Reader : uint8_t { Unset, Epp, Bpp, Usb, One };

// Register shadows: control registers A, B, C and the parallel port's control register P.
struct Shadows {
    uint8_t a = 0, b = 0, c = 0, p = 0;
};

// Offsets in the caller's device state block.
namespace state {
inline constexpr size_t A = 0;
inline constexpr size_t P = 2;
inline constexpr size_t B = 40;
inline constexpr size_t C = 44;
inline constexpr size_t UsbFound = 1007;
inline constexpr size_t LinkKind = 1008;
}  // namespace state
inline constexpr size_t kFamilyOffset = 2018;

// The vendor/product pairs of the USB device search, in search order.
using platform::UsbId;
inline constexpr const auto &kUsbIds = platform::kUnitUsbIds;

struct StartArgs {
    uint16_t port = 0;
    uint8_t *stateBlock = nullptr;
    bool deep = false;  // 128K memory
    int32_t triggerPosition = 0;
    uint8_t clockSource = 0;
    uint8_t rateCode = 0;
    const char *triggerWord = nullptr;
    uint8_t edgeCode = 0;
    uint8_t condition = 0;
    uint16_t *threshold = nullptr;
};

struct EndArgs {
    uint8_t *planes[3] = {nullptr, nullptr, nullptr};
    uint16_t port = 0;
    uint8_t *stateBlock = nullptr;
    const uint8_t *flags = nullptr;
    int8_t n = 0;
    int32_t a = 0, b = 0;
    const int32_t *lengths = nullptr;
    const char *triggerWord = nullptr;
    int32_t triggerIndex = 0;
    uint8_t condition = 0;
    int32_t *offsets = nullptr;
};

// The library-wide state and every operation of the device library. The exported
// functions forward to one process-wide instance; tests make their own with recording
// backends.
class Device {
  public:
    // Null backends mean the platform's choice, looked up at each use.
    explicit Device(platform::PortIo *port = nullptr, platform::UsbDriver *usb = nullptr);
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    void setBackends(platform::PortIo *port, platform::UsbDriver *usb);

    // Device link
    uint8_t findBoard1(uint16_t port, uint8_t *selectionBlock, uint8_t *stateBlock,
                       uint16_t family);
    uint8_t findBoard(uint16_t port, uint8_t *stateBlock);
    uint8_t prtDect();
    void setupIo(uint16_t index, uint8_t type, int32_t *outType, uint16_t *outBase,
                 const uint16_t *table);
    uint8_t laPower(uint16_t port, bool on);
    void powerOff(uint16_t port);

    // Capture control
    uint8_t startCapture(const StartArgs &args);
    uint8_t getTrigStat(uint16_t port, uint8_t *stateBlock);
    void forceTrigger(uint16_t port);
    uint8_t endCapture(const EndArgs &args);
    uint8_t setClock(uint8_t *stateBlock, uint8_t rateCode, uint8_t clockSource, uint8_t edge);

    // A unit that goes away
    uint8_t linkStat(uint16_t port, uint8_t *stateBlock);
    uint8_t unitsPlugged();

    // Inspection, for tests.
    Transport transport() const { return m_mode; }
    bool linkChosen() const { return m_writer != Writer::Unset && m_reader != Reader::Unset; }
    const Shadows &shadows() const { return m_sh; }
    size_t pendingUsbBytes() const { return m_queueCount; }
    uint16_t portBase() const { return m_base; }
    bool usbOpen() const { return m_usbHandle >= 0; }
    // Lets go of an open USB unit on the backend it was opened on (before the backends
    // change) and forgets the link.
    void releaseLink();

    // Register primitives.
    void writeRegister(uint8_t reg, uint8_t value);
    void selectStatus();
    uint8_t readStatus();
    size_t bulkRead(uint8_t *destination, size_t length);
    void flushQueue();
    void commitBC();

  private:
    platform::PortIo &port();
    platform::UsbDriver &usb();

    void out(uint16_t address, uint8_t value);  // the byte writer
    uint8_t readByte();                         // the byte reader
    void addressCycle(uint8_t reg);
    void dataWrite(uint8_t value);
    uint8_t bppRead();
    bool usbWrite(uint8_t command, const uint8_t *data, uint32_t length, uint32_t index = 0);
    bool usbRead(uint8_t command, uint8_t *data, uint32_t length);

    void useParallel(Transport mode, Reader reader);
    void useUsb();
    bool usbSearch(uint16_t vendor, uint16_t product, platform::UsbFamily family);
    bool usbSearchAll(platform::UsbFamily family);
    bool identityMatches(int handle, platform::UsbFamily family, uint16_t vendor, uint16_t product);
    bool presenceTest(uint16_t port);
    void power(uint16_t port, bool on);
    void waitMs(uint32_t ms);
    void closeUsb();

    void loadShadows(const uint8_t *stateBlock);
    void storeShadows(uint8_t *stateBlock) const;

    struct Clock {
        uint32_t hertz = 100'000'000;
        char source = 'I';
        char edge = 'R';
    };
    static Clock decodeClock(uint8_t rateCode, uint8_t clockSource, uint8_t edgeCode);
    void programClock(const Clock &clock);
    void externalAdjust(const Clock &clock);
    void shiftCommand(uint16_t command);
    void shiftWordStuffed(uint32_t word);
    void loadThreshold(uint16_t *threshold);
    void programTriggerWord(const char *channels, uint8_t condition);
    void loadCounter(uint16_t count);
    void arm(const Clock &clock, bool deep);
    void forceSequence();
    void locateTrigger(const EndArgs &args, uint8_t *const planes[3], int32_t count) const;

    platform::PortIo *m_port;
    platform::UsbDriver *m_usb;

    Transport m_mode = Transport::Epp;
    Writer m_writer = Writer::Unset;
    Reader m_reader = Reader::Unset;
    uint16_t m_base = 0;
    int m_usbHandle = -1;
    bool m_transferFailed = false;  // a USB request failed since linkStat or a start
    static constexpr size_t kQueueSize = 100'000;
    uint8_t m_queue[kQueueSize] = {};
    size_t m_queueCount = 0;
    Shadows m_sh;
    bool m_pollGate = false;
    uint32_t m_earliestPoll = 0;
};

// Reorders the 26-character trigger word (D23 first, two separators) into the
// 24-character channel string indexed by channel number.
std::string channelString(const char *triggerWord);
// True when a channel string holds a "0" or "1".
bool hasTriggerChannels(const std::string &channels);
// Start value of the trigger counter.
uint16_t counterStart(bool withTrigger, bool deep, int32_t triggerPosition);
// Sample rate in hertz for a rate code.
uint32_t rateHertz(uint8_t rateCode);
// Sample period in nanoseconds for a unit family and rate index.
double rateNs(uint8_t family, uint8_t index);

}  // namespace kv::dev
