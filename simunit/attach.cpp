// SPDX-License-Identifier: GPL-3.0-or-later
#include "simunit/attach.h"

#include <charconv>
#include <cstdio>
#include <string>

#include "platform/tick.h"

namespace kv::sim {
namespace {

std::optional<uint16_t> parseBase(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || ptr != text.data() + text.size() || value == 0 || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

std::optional<Attachment> parsePlace(std::string_view setting) {
    Attachment a;
    if (setting == "none") {
        a.link = Attachment::Link::None;
        return a;
    }
    if (setting == "usb2" || setting == "usb") return a;
    if (setting == "usb1") {
        a.highSpeed = false;
        return a;
    }
    const size_t colon = setting.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view kind = setting.substr(0, colon);
    if (kind == "epp")
        a.link = Attachment::Link::Epp;
    else if (kind == "bpp")
        a.link = Attachment::Link::Bpp;
    else
        return std::nullopt;
    auto base = parseBase(setting.substr(colon + 1));
    if (!base) return std::nullopt;
    a.base = *base;
    return a;
}

std::optional<uint32_t> parseCount(std::string_view text) {
    uint32_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

// One fault option; false when it is not known or its value is not a number.
bool applyOption(std::string_view option, Attachment &a) {
    const size_t equals = option.find('=');
    const std::string_view name = option.substr(0, equals);
    if (equals == std::string_view::npos) {
        if (name == "short-reads")
            a.faults.shortBulkBy = 512;
        else if (name == "unpowered")
            a.faults.unpowered = true;
        else if (name == "never-trigger")
            a.faults.neverTrigger = true;
        else
            return false;
        return true;
    }
    if (name == "mixed") {
        const auto place = parsePlace(option.substr(equals + 1));
        if (!place || place->link == Attachment::Link::None) return false;
        a.mixed = Attachment::Place{place->link, place->highSpeed, place->base};
        return true;
    }
    const auto value = parseCount(option.substr(equals + 1));
    if (!value) return false;
    if (name == "unplug-after")
        a.unplugAfterMs = *value;
    else if (name == "replug-after")
        a.replugAfterMs = *value;
    else if (name == "fail-from" && *value <= 0x7FFFFFFF)
        a.faults.usbFailFrom = static_cast<int>(*value);
    else
        return false;
    return true;
}

std::optional<platform::SimulatedBackends> attachFromEnvironment(std::string_view setting) {
    static std::unique_ptr<Simulator> simulator;
    std::string why;
    auto where = parseAttachment(setting, &why);
    if (!where) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return std::nullopt;
    }
    simulator = std::make_unique<Simulator>(*where);
    return simulator->backends();
}

}  // namespace

std::optional<Attachment> parseAttachment(std::string_view setting, std::string *error) {
    const auto fail = [&](const std::string &why) -> std::optional<Attachment> {
        if (error) *error = why;
        return std::nullopt;
    };
    const size_t comma = setting.find(',');
    auto a = parsePlace(setting.substr(0, comma));
    if (!a) {
        return fail("KV6830_SIMULATE: unknown place \"" + std::string(setting.substr(0, comma)) +
                    "\" (use usb2, usb1, epp:0x378, epp:0x278, bpp:0x278, bpp:0x378, bpp:0x3BC "
                    "or none)");
    }
    std::string_view rest = comma == std::string_view::npos ? "" : setting.substr(comma + 1);
    while (comma != std::string_view::npos) {
        const size_t next = rest.find(',');
        const std::string_view option = rest.substr(0, next);
        const bool mixedOption = option.substr(0, 6) == "mixed=";
        if ((a->link == Attachment::Link::None && !mixedOption) || !applyOption(option, *a)) {
            return fail("KV6830_SIMULATE: unknown option \"" + std::string(option) +
                        "\" (use unplug-after=MS, replug-after=MS, fail-from=N, short-reads, "
                        "unpowered, never-trigger or mixed=PLACE)");
        }
        if (next == std::string_view::npos) break;
        rest = rest.substr(next + 1);
    }
    return a;
}

Simulator::Simulator(const Attachment &where) {
    m_unit.faults() = where.faults;
    const uint32_t now = platform::tickMs();
    if (where.unplugAfterMs) m_unit.faults().unplugAt = now + *where.unplugAfterMs;
    if (where.replugAfterMs) m_unit.faults().replugAt = now + *where.replugAfterMs;
    if (where.mixed) attachMixed(*where.mixed);
    if (where.link == Attachment::Link::None) return;  // no unit of the first family
    if (where.link == Attachment::Link::Usb) {
        UsbIdentity identity;
        identity.highSpeed = where.highSpeed;
        m_unit.setLink(where.highSpeed ? "USB 2.0" : "USB 1.1");
        m_usb = std::make_unique<SimUsbDriver>(m_unit, identity);
    } else {
        const auto mode =
            where.link == Attachment::Link::Epp ? ParallelMode::Epp : ParallelMode::Bpp;
        m_unit.setLink(mode == ParallelMode::Epp ? "EPP" : "BPP");
        m_port = std::make_unique<SimParallelPort>(m_unit, where.base, mode);
    }
}

void Simulator::attachMixed(const Attachment::Place &place) {
    m_mixed = std::make_unique<MixedUnit>();
    if (place.link == Attachment::Link::Usb) {
        UsbIdentity identity;
        identity.product = 0x0185;
        identity.highSpeed = place.highSpeed;
        m_mixedUsb = std::make_unique<MixedUsbDriver>(*m_mixed, identity);
    } else {
        const auto mode =
            place.link == Attachment::Link::Epp ? ParallelMode::Epp : ParallelMode::Bpp;
        m_mixedPort = std::make_unique<MixedParallelPort>(*m_mixed, place.base, mode);
    }
}

platform::SimulatedBackends Simulator::backends() {
    platform::SimulatedBackends b;
    b.port = m_port ? static_cast<platform::PortIo *>(m_port.get()) : &m_nullPort;
    b.usb = m_usb ? static_cast<platform::UsbDriver *>(m_usb.get()) : &m_nullUsb;
    if (m_mixedPort) {
        if (m_port) {
            m_portBus = std::make_unique<PortBus>(
                std::vector<platform::PortIo *>{m_port.get(), m_mixedPort.get()});
            b.port = m_portBus.get();
        } else {
            b.port = m_mixedPort.get();
        }
    }
    if (m_mixedUsb) {
        if (m_usb) {
            m_usbBus = std::make_unique<UsbBus>(
                std::vector<platform::UsbDriver *>{m_usb.get(), m_mixedUsb.get()});
            b.usb = m_usbBus.get();
        } else {
            b.usb = m_mixedUsb.get();
        }
    }
    return b;
}

void registerWithPlatform() {
    platform::registerSimulator(&attachFromEnvironment);
}

Simulator &demonstrationUnit() {
    static Simulator unit(Attachment{});
    return unit;
}

}  // namespace kv::sim
