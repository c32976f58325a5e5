// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ppdev_port_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace kv::platform {
namespace {

constexpr const char *kProcDir = "/proc/sys/dev/parport";

class LinuxPpdevSystem final : public PpdevSystem {
  public:
    int open(const std::string &path) override { return ::open(path.c_str(), O_RDWR | O_CLOEXEC); }
    int ioctl(int fd, unsigned long request, void *argument) override {
        return ::ioctl(fd, request, argument);
    }
    long read(int fd, void *buffer, size_t length) override { return ::read(fd, buffer, length); }
    long write(int fd, const void *buffer, size_t length) override {
        return ::write(fd, buffer, length);
    }
    void close(int fd) override { ::close(fd); }
    std::optional<std::string> readFile(const std::string &path) override {
        std::ifstream in(path);
        if (!in) return std::nullopt;
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }
    std::vector<std::string> listDir(const std::string &path) override {
        std::vector<std::string> names;
        DIR *dir = ::opendir(path.c_str());
        if (!dir) return names;
        while (const dirent *entry = ::readdir(dir))
            names.emplace_back(entry->d_name);
        ::closedir(dir);
        return names;
    }
};

// "parport0" -> 0, anything else -> -1
int portNumber(const std::string &name) {
    const std::string prefix = "parport";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    int n = -1;
    auto [ptr, ec] = std::from_chars(name.data() + prefix.size(), name.data() + name.size(), n);
    if (ec != std::errc() || ptr != name.data() + name.size()) return -1;
    return n;
}

}  // namespace

std::unique_ptr<PpdevSystem> makeLinuxPpdevSystem() {
    return std::make_unique<LinuxPpdevSystem>();
}

PpdevPortIo::PpdevPortIo(std::unique_ptr<PpdevSystem> system) : m_system(std::move(system)) {
    for (const std::string &name : m_system->listDir(kProcDir)) {
        const int n = portNumber(name);
        if (n < 0) continue;
        auto text = m_system->readFile(std::string(kProcDir) + "/" + name + "/base-addr");
        if (!text) continue;
        // "888\t1912\n": the first number is the base.
        unsigned base = 0;
        const char *begin = text->data();
        auto [ptr, ec] = std::from_chars(begin, begin + text->size(), base);
        (void)ptr;
        if (ec != std::errc() || base == 0 || base > 0xFFFF) continue;
        m_paths.emplace(static_cast<uint16_t>(base), "/dev/parport" + std::to_string(n));
    }
}

PpdevPortIo::~PpdevPortIo() {
    for (auto &[base, port] : m_open) {
        if (port.fd < 0) continue;
        m_system->ioctl(port.fd, PPRELEASE, nullptr);
        m_system->close(port.fd);
    }
}

PpdevPortIo::Open *PpdevPortIo::portFor(uint16_t address, uint16_t &offset) {
    for (const auto &[base, path] : m_paths) {
        if (address < base || address > base + 4) continue;
        offset = static_cast<uint16_t>(address - base);
        auto found = m_open.find(base);
        if (found == m_open.end()) {
            Open port;
            port.fd = m_system->open(path);
            if (port.fd >= 0 && m_system->ioctl(port.fd, PPCLAIM, nullptr) != 0) {
                m_system->close(port.fd);
                port.fd = -1;
            }
            found = m_open.emplace(base, port).first;
        }
        return found->second.fd >= 0 ? &found->second : nullptr;
    }
    return nullptr;
}

bool PpdevPortIo::setMode(Open &port, int mode) {
    if (port.mode == mode) return true;
    if (m_system->ioctl(port.fd, PPSETMODE, &mode) != 0) return false;
    port.mode = mode;
    return true;
}

void PpdevPortIo::out(uint16_t address, uint8_t value) {
    uint16_t offset = 0;
    Open *port = portFor(address, offset);
    if (!port) return;
    switch (offset) {
        case 0: {
            unsigned char data = value;
            m_system->ioctl(port->fd, PPWDATA, &data);
            break;
        }
        case 2: {
            // The kernel takes the direction bit apart from the four control lines.
            const bool reverse = (value & 0x20) != 0;
            if (reverse != port->reverse) {
                int direction = reverse ? 1 : 0;
                if (m_system->ioctl(port->fd, PPDATADIR, &direction) == 0) port->reverse = reverse;
            }
            unsigned char lines = value & 0x0F;
            m_system->ioctl(port->fd, PPWCONTROL, &lines);
            port->control = value;
            break;
        }
        case 3:
        case 4: {
            const int mode = offset == 3 ? (IEEE1284_MODE_EPP | IEEE1284_ADDR) : IEEE1284_MODE_EPP;
            if (setMode(*port, mode)) m_system->write(port->fd, &value, 1);
            break;
        }
        default:
            break;
    }
}

uint8_t PpdevPortIo::in(uint16_t address) {
    uint16_t offset = 0;
    Open *port = portFor(address, offset);
    if (!port) return 0xFF;
    unsigned char value = 0xFF;
    switch (offset) {
        case 0:
            if (m_system->ioctl(port->fd, PPRDATA, &value) != 0) value = 0xFF;
            break;
        case 1:
            if (m_system->ioctl(port->fd, PPRSTATUS, &value) != 0) value = 0xFF;
            break;
        case 2:
            if (m_system->ioctl(port->fd, PPRCONTROL, &value) != 0) return 0xFF;
            value = static_cast<unsigned char>((value & 0x0F) | (port->control & 0xF0));
            break;
        case 3:
        case 4: {
            const int mode = offset == 3 ? (IEEE1284_MODE_EPP | IEEE1284_ADDR) : IEEE1284_MODE_EPP;
            if (!setMode(*port, mode) || m_system->read(port->fd, &value, 1) != 1) value = 0xFF;
            break;
        }
        default:
            break;
    }
    return value;
}

}  // namespace kv::platform
