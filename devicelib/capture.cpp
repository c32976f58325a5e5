// SPDX-License-Identifier: GPL-3.0-or-later
// Capture control: clock generator, threshold, trigger word and counter, arming, status,
// forced trigger and read-out.
#include <algorithm>
#include <cstring>

#include "device.h"
#include "platform/tick.h"
#include "platform/unit_registers.h"

namespace kv::dev {
namespace {

constexpr uint16_t kLoadCommand = 0x1E05;
constexpr uint16_t kApplyCommand1 = 0x1E04;
constexpr uint16_t kApplyCommand2 = 0x1E00;
// A poll deadline further ahead than this is stale (the tick wrapped since it was set).
constexpr uint32_t kLongestPollGateMs = 200'000;

}  // namespace

uint32_t rateHertz(uint8_t rateCode) {
    switch (rateCode) {
        case 4:
            return 100'000'000;
        case 5:
            return 50'000'000;
        case 6:
            return 20'000'000;
        case 7:
            return 10'000'000;
        case 8:
            return 5'000'000;
        case 9:
            return 2'000'000;
        case 10:
            return 1'000'000;
        case 11:
            return 500'000;
        case 13:
            return 200'000;
        case 15:
            return 100'000;
        case 17:
            return 50'000;
        case 19:
            return 20'000;
        case 21:
            return 10'000;
        case 22:
            return 5'000;
        default:
            return 100'000'000;
    }
}

std::string channelString(const char *triggerWord) {
    std::string channels(24, 'X');
    for (int i = 0; i < 8; ++i) {
        channels[static_cast<size_t>(23 - i)] = triggerWord[i];
        channels[static_cast<size_t>(15 - i)] = triggerWord[9 + i];
        channels[static_cast<size_t>(7 - i)] = triggerWord[18 + i];
    }
    return channels;
}

bool hasTriggerChannels(const std::string &channels) {
    return channels.find_first_of("01") != std::string::npos;
}

uint16_t counterStart(bool withTrigger, bool deep, int32_t triggerPosition) {
    if (!withTrigger) return deep ? 0 : 0x3F00;
    const int64_t x = deep ? triggerPosition : int64_t{triggerPosition} + 129024;
    const int64_t q = x / 8;
    const int64_t count = q == 0x1FFFF ? q + 1 : q + 2;
    return static_cast<uint16_t>(count & 0x3FFF);
}

void Device::loadShadows(const uint8_t *block) {
    m_sh.a = block[state::A];
    m_sh.p = block[state::P];
    m_sh.b = block[state::B];
    m_sh.c = block[state::C];
}

void Device::storeShadows(uint8_t *block) const {
    block[state::A] = m_sh.a;
    block[state::P] = m_sh.p;
    block[state::B] = m_sh.b;
    block[state::C] = m_sh.c;
}

Device::Clock Device::decodeClock(uint8_t rateCode, uint8_t clockSource, uint8_t edgeCode) {
    Clock clock;
    clock.hertz = rateHertz(rateCode);
    switch (clockSource) {
        case 0:
            clock.source = 'I';
            clock.edge = edgeCode == 1 ? 'F' : 'R';
            break;
        case 1:
            clock.source = 'E';
            clock.edge = 'R';
            break;
        case 2:
            clock.source = 'E';
            clock.edge = 'F';
            break;
        case 3:
            clock.source = 'E';
            clock.edge = edgeCode == 1 ? 'F' : 'R';
            break;
        default:
            clock.source = 'I';
            clock.edge = 'R';
            break;
    }
    return clock;
}

void Device::shiftCommand(uint16_t command) {
    m_sh.b &= 0xEF;
    commitBC();
    for (int bit = 0; bit < 14; ++bit) {
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0xFE) | ((command >> bit) & 1));
        writeRegister(reg::SerialStrobe, m_sh.a);
    }
}

void Device::shiftWordStuffed(uint32_t word) {
    int ones = 0;
    for (int bit = 0; bit < 22; ++bit) {
        const uint8_t value = (word >> bit) & 1;
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0xFE) | value);
        writeRegister(reg::SerialStrobe, m_sh.a);
        ones = value ? ones + 1 : 0;
        if (ones == 3) {
            m_sh.a &= 0xFE;
            writeRegister(reg::SerialStrobe, m_sh.a);
            ones = 0;
        }
    }
}

void Device::externalAdjust(const Clock &clock) {
    if (clock.source != 'E') return;
    if (clock.edge == 'R')
        m_sh.c = static_cast<uint8_t>((m_sh.c & 0xFD) | 5);
    else
        m_sh.c = static_cast<uint8_t>((m_sh.c & 0xFE) | 6);
    m_sh.b &= 0xAF;
}

void Device::programClock(const Clock &clock) {
    m_sh.c &= 0xF8;
    m_sh.b = static_cast<uint8_t>((m_sh.b & 0xBF) | 0x10);
    uint32_t word = 0x183920;
    const auto slow = [&](uint8_t range, uint32_t w) {
        m_sh.b &= 0xAF;
        m_sh.c |= range;
        word = w;
    };
    switch (clock.hertz) {
        case 100'000'000:
            word = 0x178088;
            break;
        case 50'000'000:
            word = 0x178888;
            break;
        case 25'000'000:
            word = 0x0B0880;
            break;
        case 20'000'000:
            word = 0x129080;
            break;
        case 10'000'000:
            word = 0x129880;
            break;
        case 5'000'000:
            word = 0x12A080;
            break;
        case 2'000'000:
            word = 0x0EA880;
            break;
        case 1'000'000:
            word = 0x0EB080;
            break;
        case 500'000:
            word = 0x0EB880;
            break;
        case 200'000:
            slow(0, 0x183920);
            break;
        case 100'000:
            slow(1, 0x183920);
            break;
        case 50'000:
            slow(2, 0x183920);
            break;
        case 20'000:
            slow(4, 0x182920);
            break;
        case 10'000:
            slow(4, 0x183120);
            break;
        case 5'000:
            slow(4, 0x183920);
            break;
        default:
            break;
    }
    externalAdjust(clock);
    const uint8_t remembered = m_sh.b;
    shiftCommand(kLoadCommand);
    shiftWordStuffed(word);
    shiftCommand(kApplyCommand1);
    shiftCommand(kApplyCommand2);
    m_sh.b = remembered;
    commitBC();
}

void Device::loadThreshold(uint16_t *threshold) {
    uint16_t t = *threshold;
    if (t > 80) {
        t = 80;
        *threshold = 80;
    }
    const uint32_t code = uint32_t{t} * 128 / 10;  // t x 12.8, truncated
    // 80 gives 1024, one past what the 12-bit word holds: send the largest word instead.
    const uint32_t word = std::min<uint32_t>(code * 4, 0xFFF);
    m_sh.b &= 0x7F;
    commitBC();
    for (int bit = 11; bit >= 0; --bit) {
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0xFE) | ((word >> bit) & 1));
        writeRegister(reg::SerialStrobe, m_sh.a);
    }
    m_sh.b &= 0x7F;
    commitBC();
    m_sh.b |= 0x80;
    commitBC();
}

void Device::programTriggerWord(const char *channels, uint8_t condition) {
    uint8_t value[3] = {}, care[3] = {};
    for (int k = 0; k < 24; ++k) {
        const char ch = channels[k];
        const auto bit = static_cast<uint8_t>(1u << (k % 8));
        if (ch == '1') value[k / 8] |= bit;
        if (ch == '0' || ch == '1') care[k / 8] |= bit;
    }
    const auto pulseChain1 = [&] {
        m_sh.c = 1;
        commitBC();
        m_sh.c = 0;
        commitBC();
    };
    const uint8_t rememberedB = m_sh.b;
    m_sh.a |= 0x40;
    writeRegister(reg::ControlA, m_sh.a);
    m_sh.a &= 0x40;
    writeRegister(reg::ControlA, m_sh.a);
    m_sh.b = static_cast<uint8_t>((m_sh.b & 0xEF) | 0x41);
    commitBC();
    m_sh.a &= 0xDF;
    writeRegister(reg::ControlA, m_sh.a);
    pulseChain1();

    // Chain 1: V2 bit 0, then V1.V0 from bit 15 down.
    const uint32_t low = static_cast<uint32_t>(value[1]) << 8 | value[0];
    const auto chain1Bit = [&](uint32_t bit) {
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0x7E) | bit);
        writeRegister(reg::ControlA, m_sh.a);
        pulseChain1();
    };
    chain1Bit(value[2] & 1u);
    for (int bit = 15; bit >= 0; --bit)
        chain1Bit((low >> bit) & 1u);

    m_sh.b |= 0x20;
    commitBC();
    m_sh.b &= 0xDF;
    commitBC();

    // Chain 2: bits 31..1 of K2.K1.K0.V2.
    const uint32_t high = static_cast<uint32_t>(care[2]) << 24 |
                          static_cast<uint32_t>(care[1]) << 16 |
                          static_cast<uint32_t>(care[0]) << 8 | value[2];
    for (int bit = 31; bit >= 1; --bit) {
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0x7E) | ((high >> bit) & 1u));
        writeRegister(reg::ControlA, m_sh.a);
        m_sh.a |= 0x80;
        writeRegister(reg::ControlA, m_sh.a);
        m_sh.a &= 0x7F;
        writeRegister(reg::ControlA, m_sh.a);
    }

    if (condition == 1)
        m_sh.a &= 0xEF;
    else
        m_sh.a |= 0x10;
    writeRegister(reg::ControlA, m_sh.a);
    m_sh.b = rememberedB;
    commitBC();
}

void Device::loadCounter(uint16_t count) {
    m_sh.b = static_cast<uint8_t>((m_sh.b & 0xF7) | 1);
    commitBC();
    for (int bit = 13; bit >= 0; --bit) {
        m_sh.a = static_cast<uint8_t>((m_sh.a & 0xFE) | ((count >> bit) & 1));
        writeRegister(reg::ControlA, m_sh.a);
        m_sh.b |= 8;
        commitBC();
        m_sh.b &= 0xF7;
        commitBC();
    }
    m_sh.b &= 0xFE;
    commitBC();
}

void Device::arm(const Clock &clock, bool deep) {
    externalAdjust(clock);
    if (deep)
        m_sh.b |= 0x04;
    else
        m_sh.b &= 0xFB;
    m_sh.b &= 0xBD;
    commitBC();
    m_sh.b |= 2;
    commitBC();
}

void Device::forceSequence() {
    m_sh.a &= 0xBF;
    writeRegister(reg::ControlA, m_sh.a);
    for (int i = 0; i < 5; ++i) {
        m_sh.a |= 0x10;
        writeRegister(reg::ControlA, m_sh.a);
        m_sh.a &= 0xEF;
        writeRegister(reg::ControlA, m_sh.a);
    }
}

uint8_t Device::startCapture(const StartArgs &args) {
    if (!linkChosen() || !args.stateBlock || !args.triggerWord || !args.threshold) return 1;
    m_transferFailed = false;
    if (m_mode == Transport::Epp || m_mode == Transport::Bpp) m_base = args.port;
    loadShadows(args.stateBlock);
    const Clock clock = decodeClock(args.rateCode, args.clockSource, args.edgeCode);
    programClock(clock);
    loadThreshold(args.threshold);
    const std::string channels = channelString(args.triggerWord);
    if (!hasTriggerChannels(channels)) {
        loadCounter(counterStart(false, args.deep, args.triggerPosition));
        arm(clock, args.deep);
        m_sh.a &= 0xBF;
        writeRegister(reg::ControlA, m_sh.a);
        forceSequence();
        flushQueue();
    } else {
        programTriggerWord(channels.c_str(), args.condition);
        loadCounter(counterStart(true, args.deep, args.triggerPosition));
        arm(clock, args.deep);
        flushQueue();
        const int64_t waitMs = (50 * int64_t{args.triggerPosition} + 5000) / 1'000'000 + 55;
        m_earliestPoll = platform::tickMs() + static_cast<uint32_t>(std::max<int64_t>(waitMs, 0));
        m_pollGate = true;
    }
    storeShadows(args.stateBlock);
    return 1;
}

uint8_t Device::getTrigStat(uint16_t portBase, uint8_t *stateBlock) {
    if (!linkChosen() || !stateBlock) return 0;
    if (m_pollGate) {
        const uint32_t now = platform::tickMs();
        const uint32_t ahead = m_earliestPoll - now;
        if (!platform::tickReached(now, m_earliestPoll) && ahead <= kLongestPollGateMs) return 0;
        m_pollGate = false;
    }
    if (m_mode == Transport::Epp || m_mode == Transport::Bpp) m_base = portBase;
    loadShadows(stateBlock);
    m_sh.a &= 0xBF;
    writeRegister(reg::ControlA, m_sh.a);
    selectStatus();
    uint8_t status = 4;
    if (readStatus() & 0x10) {
        // The status register is still selected: read it again at once.
        status = (readStatus() & 0x20) ? 1 : 3;
    }
    storeShadows(stateBlock);
    return status;
}

void Device::forceTrigger(uint16_t portBase) {
    if (!linkChosen()) return;
    if (m_mode == Transport::Epp || m_mode == Transport::Bpp) m_base = portBase;
    forceSequence();
}

uint8_t Device::endCapture(const EndArgs &args) {
    if (!linkChosen() || !args.stateBlock || !args.flags || !args.lengths) return 0;
    if (m_mode == Transport::Epp || m_mode == Transport::Bpp) m_base = args.port;
    loadShadows(args.stateBlock);

    uint8_t *destination[3];
    int32_t length[3];
    const int64_t planesWanted = int64_t{args.a} * args.b;
    for (int i = 0; i < 3; ++i) {
        destination[i] =
            (i > planesWanted || args.lengths[i] < 0) ? args.planes[0] : args.planes[i];
        length[i] = args.flags[i] == 1 ? args.lengths[i] : 0;
    }

    m_sh.b |= 0x52;
    commitBC();
    m_sh.b &= 0xFD;
    commitBC();
    const int32_t count = length[0] == 2048 ? 2048 : 131072;
    const auto bytes = static_cast<size_t>(count - 1);

    const auto readPlane = [&](int i) {
        writeRegister(reg::ControlA, m_sh.a);
        selectStatus();
        if (length[i] == 0 || !destination[i]) return;
        if (m_mode == Transport::Usb || m_mode == Transport::UsbHigh) {
            bulkRead(destination[i], bytes);
        } else {
            for (size_t k = 0; k < bytes; ++k)
                destination[i][k] = readStatus();
        }
    };
    m_sh.a &= 0x90;
    readPlane(0);
    m_sh.a = static_cast<uint8_t>((m_sh.a & 0xBF) | 1);
    readPlane(1);
    m_sh.a = static_cast<uint8_t>((m_sh.a & 0xFE) | 0x40);
    readPlane(2);

    locateTrigger(args, destination, count);
    storeShadows(args.stateBlock);
    return 0;
}

void Device::locateTrigger(const EndArgs &args, uint8_t *const planes[3], int32_t count) const {
    if (!args.triggerWord || !args.offsets || args.n <= 0) return;
    const std::string channels = channelString(args.triggerWord);
    if (!hasTriggerChannels(channels)) {
        for (int i = 0; i < args.n; ++i)
            args.offsets[i] = 8;
        return;
    }
    if (!planes[0] || !planes[1] || !planes[2]) return;
    uint8_t value[3] = {}, mask[3] = {};
    for (int k = 0; k < 24; ++k) {
        const char ch = channels[static_cast<size_t>(k)];
        const auto bit = static_cast<uint8_t>(1u << (k % 8));
        if (ch == '1' || ch == 'X' || ch == 'x') value[k / 8] |= bit;
        if (ch == 'X' || ch == 'x') mask[k / 8] |= bit;
    }
    const int64_t readable = count - 1;  // bytes each plane received
    // Returns -1 outside the planes, else 1 for a match and 0 for none.
    const auto matchAt = [&](int32_t d) -> int {
        const int64_t k = int64_t{args.triggerIndex} + d;
        if (k < 0 || k >= readable) return -1;
        for (int p = 0; p < 3; ++p) {
            if ((planes[p][k] | mask[p]) != value[p]) return 0;
        }
        return 1;
    };
    const int first = args.condition == 1 ? 0 : 1;  // what the first search looks for
    int32_t d = -1;
    for (;; ++d) {
        if (d >= 35) return;
        const int m = matchAt(d);
        if (m < 0) return;
        if (m == first) break;
    }
    for (++d;; ++d) {
        if (d >= 35) return;
        const int m = matchAt(d);
        if (m < 0) return;
        if (m != first) break;
    }
    for (int i = 0; i < args.n; ++i)
        args.offsets[i] = d;
}

uint8_t Device::setClock(uint8_t *stateBlock, uint8_t rateCode, uint8_t clockSource, uint8_t edge) {
    if (!stateBlock) return 1;
    loadShadows(stateBlock);
    (void)decodeClock(rateCode, clockSource, edge);
    storeShadows(stateBlock);
    return 1;
}

double rateNs(uint8_t family, uint8_t index) {
    static constexpr double kTable[34] = {
        2,    2.5,  4,    5,      10,     20,     50,     100,    200,    500,     1000,    2000,
        4000, 5000, 8000, 10'000, 16'000, 20'000, 32'000, 50'000, 64'000, 100'000, 200'000, 500'000,
        1e6,  2e6,  5e6,  1e7,    2e7,    5e7,    1e8,    2e8,    5e8,    1e9};
    if (family == 0 || family == 4) return index < 34 ? kTable[index] : 10;
    if (family == 5) return 10;
    return 0;
}

}  // namespace kv::dev
