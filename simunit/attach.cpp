#include "simunit/attach.h"

#include <charconv>
#include <string>

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

std::optional<platform::SimulatedBackends> attachFromEnvironment(std::string_view setting) {
    static std::unique_ptr<Simulator> simulator;
    auto where = parseAttachment(setting);
    if (!where) return std::nullopt;
    simulator = std::make_unique<Simulator>(*where);
    return simulator->backends();
}

}  // namespace

std::optional<Attachment> parseAttachment(std::string_view setting) {
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

Simulator::Simulator(const Attachment &where) {
    if (where.link == Attachment::Link::None) return;  // no unit anywhere
    if (where.link == Attachment::Link::Usb) {
        UsbIdentity identity;
        identity.highSpeed = where.highSpeed;
        m_usb = std::make_unique<SimUsbDriver>(m_unit, identity);
    } else {
        const auto mode =
            where.link == Attachment::Link::Epp ? ParallelMode::Epp : ParallelMode::Bpp;
        m_port = std::make_unique<SimParallelPort>(m_unit, where.base, mode);
    }
}

platform::SimulatedBackends Simulator::backends() {
    platform::SimulatedBackends b;
    b.port = m_port ? static_cast<platform::PortIo *>(m_port.get()) : &m_nullPort;
    b.usb = m_usb ? static_cast<platform::UsbDriver *>(m_usb.get()) : &m_nullUsb;
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
