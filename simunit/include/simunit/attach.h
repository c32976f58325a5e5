// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/backends.h"
#include "simunit/links.h"
#include "simunit/mixed_links.h"
#include "simunit/mixed_unit.h"
#include "simunit/unit.h"

namespace kv::sim {

// Where a simulated unit is attached: "usb2", "usb1", "epp:0x378", "bpp:0x278", ...;
// "none" stands for a machine with no unit and no ports at all. Faults follow after
// commas: "usb2,unplug-after=3000,replug-after=8000", "epp:0x378,unpowered", ...
// "mixed=PLACE" adds a mixed-signal unit of the related family at a place of the same
// kinds: "none,mixed=usb2", "usb2,mixed=bpp:0x378".
struct Attachment {
    enum class Link { Usb, Epp, Bpp, None } link = Link::Usb;
    bool highSpeed = true;
    uint16_t base = 0;
    struct Place {
        Link link = Link::Usb;
        bool highSpeed = true;
        uint16_t base = 0;
    };
    std::optional<Place> mixed;
    Faults faults;
    // Milliseconds after the unit is attached at which its cable is pulled and put back.
    std::optional<uint32_t> unplugAfterMs, replugAfterMs;
};
// Nothing, with the reason in `error` (may be null), for a setting it does not know.
std::optional<Attachment> parseAttachment(std::string_view setting, std::string *error = nullptr);

// One simulated unit with the link it is attached by.
class Simulator {
  public:
    explicit Simulator(const Attachment &where);
    Unit &unit() { return m_unit; }
    platform::SimulatedBackends backends();
    SimUsbDriver *usb() { return m_usb.get(); }
    SimParallelPort *parallel() { return m_port.get(); }
    // The mixed-signal unit, when one is attached.
    MixedUnit *mixed() { return m_mixed.get(); }

  private:
    void attachMixed(const Attachment::Place &place);

    Unit m_unit;
    std::unique_ptr<SimUsbDriver> m_usb;
    std::unique_ptr<SimParallelPort> m_port;
    std::unique_ptr<MixedUnit> m_mixed;
    std::unique_ptr<MixedUsbDriver> m_mixedUsb;
    std::unique_ptr<MixedParallelPort> m_mixedPort;
    std::unique_ptr<PortBus> m_portBus;
    std::unique_ptr<UsbBus> m_usbBus;
    platform::NullPortIo m_nullPort;
    platform::NullUsbDriver m_nullUsb;
};

// Lets KV6830_SIMULATE attach a unit where the platform looks for a real one.
void registerWithPlatform();

// The process's demonstration unit (on USB 2.0), created at first use.
Simulator &demonstrationUnit();

}  // namespace kv::sim
