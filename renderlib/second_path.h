// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The second capture path: one mixed-signal unit found by findHardware and driven over
// USB or a parallel port. The protocol is described in out47.h.
namespace kv::render {

// Byte offsets in the unit state block and entries of the port record.
namespace unitblock {
inline constexpr int Control = 29;
inline constexpr int PortMode = 32;
inline constexpr int NoStrobe = 106;
inline constexpr int LoopBack = 115;
inline constexpr int Latches = 119;  // 119..122
inline constexpr int Model = 176;
inline constexpr int Link = 1007;
inline constexpr int LinkKind = 1008;
inline constexpr int Buffers = 10240;
inline constexpr int BufferSpacing = 1048576;
}  // namespace unitblock
namespace portrecord {
inline constexpr int Addresses = 28;  // 28..35
inline constexpr int EarliestPoll = 36;
inline constexpr int Family = 91;
}  // namespace portrecord

// The arguments of capture, GetTrigStat and EndCapture that the path uses.
struct CaptureArgs {
    uint8_t *destinations[6] = {};
    uint8_t depthIndex = 0;
    int32_t *record = nullptr;
    uint8_t *state = nullptr;
    uint8_t rateCode = 0;
    uint8_t triggerChannel = 0;
    const uint8_t *slopes = nullptr;
    uint8_t level = 0;
    int32_t triggerPosition = 0;
    uint8_t clockSource = 0;
    const uint8_t *inputEnable = nullptr;
    int32_t *setRow = nullptr;
};

// Sample period of a rate code in picoseconds.
uint64_t ratePeriodPs(uint8_t rateCode);

class SecondPath {
  public:
    uint8_t findHardware(uint8_t *model, int32_t *record, uint8_t *state, uint16_t family);
    uint8_t findPort(uint16_t base);
    void power(int32_t *record, uint8_t *state, bool on);
    uint32_t capture(const CaptureArgs &a);
    uint8_t getTrigStat(const CaptureArgs &a);
    uint8_t endCapture(const CaptureArgs &a);
    void forceTrigger(int32_t *record, uint8_t *state);
    // Forgets the link (tests start afresh).
    void release();

  private:
    enum class Functions { None, Quiet, Port, Usb };

    void out(uint16_t port, uint8_t value);
    uint8_t in(uint16_t port);
    bool usbWrite(uint8_t command, const uint8_t *data, uint32_t length, uint32_t index = 0);
    uint8_t usbReadByte(uint8_t command);
    void control(uint8_t *state, uint16_t base, uint8_t value);
    void writeRegister(const int32_t *record, uint8_t *state, uint8_t reg, uint8_t value);
    uint8_t readRegister(const int32_t *record, uint8_t *state, uint8_t reg);
    void writeLatch(const int32_t *record, uint8_t *state, int latch);
    void readBuffer(const int32_t *record, uint8_t *state, uint8_t buffer, uint8_t *to,
                    uint32_t count);
    bool searchUsb(int32_t *record, uint8_t *state, uint16_t family);
    bool usbPresent();
    bool searchParallel(int32_t *record, uint8_t *state);
    bool handshake(uint16_t base);
    uint8_t identify(const int32_t *record, uint8_t *state);
    bool ready(const int32_t *record, const uint8_t *state) const;
    uint16_t address(const int32_t *record, int k) const;

    Functions m_functions = Functions::None;
    bool m_found = false;
    int m_usb = -1;
};

// The process's one path.
SecondPath &secondPath();

// Measures a byte-valued trace (TestAd).
void testAd(const uint8_t *trace, int32_t length, int32_t reference, uint8_t threshold,
            int16_t *record);

}  // namespace kv::render
