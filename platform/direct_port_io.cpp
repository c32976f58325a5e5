// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/direct_port_io.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace kv::platform {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// The three parallel port blocks, base to base+7.
constexpr unsigned short kBases[] = {0x378, 0x278, 0x3BC};

bool permitted(uint16_t port) {
    for (unsigned short base : kBases) {
        if (port >= base && port < base + 8) return true;
    }
    return false;
}

class DirectPortIo final : public PortIo {
  public:
    void out(uint16_t port, uint8_t value) override {
        if (permitted(port)) outb(value, port);
    }
    uint8_t in(uint16_t port) override { return permitted(port) ? inb(port) : 0xFF; }
};

}  // namespace

std::unique_ptr<PortIo> makeDirectPortIo() {
    for (unsigned short base : kBases) {
        if (ioperm(base, 8, 1) != 0) return nullptr;
    }
    return std::make_unique<DirectPortIo>();
}
#else
std::unique_ptr<PortIo> makeDirectPortIo() {
    return nullptr;
}
#endif

}  // namespace kv::platform
