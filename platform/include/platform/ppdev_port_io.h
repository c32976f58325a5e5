// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_io.h"

namespace kv::platform {

// The operating-system calls that the ppdev backend makes, so that tests can replace them.
class PpdevSystem {
  public:
    virtual ~PpdevSystem() = default;
    virtual int open(const std::string &path) = 0;                         // file descriptor or -1
    virtual int ioctl(int fd, unsigned long request, void *argument) = 0;  // 0 or -1
    virtual long read(int fd, void *buffer, size_t length) = 0;
    virtual long write(int fd, const void *buffer, size_t length) = 0;
    virtual void close(int fd) = 0;
    virtual std::optional<std::string> readFile(const std::string &path) = 0;
    virtual std::vector<std::string> listDir(const std::string &path) = 0;
};

// The real system calls.
std::unique_ptr<PpdevSystem> makeLinuxPpdevSystem();

// Parallel ports through /dev/parportN. The port base addresses come from
// /proc/sys/dev/parport/parportN/base-addr. Registers: base+0 data, +1 status,
// +2 control (bit 5, the data direction, through PPDATADIR), +3 EPP address cycle,
// +4 EPP data cycle. A port that cannot be opened or claimed reads 0xFF.
class PpdevPortIo final : public PortIo {
  public:
    explicit PpdevPortIo(std::unique_ptr<PpdevSystem> system);
    ~PpdevPortIo() override;
    PpdevPortIo(const PpdevPortIo &) = delete;
    PpdevPortIo &operator=(const PpdevPortIo &) = delete;

    void out(uint16_t port, uint8_t value) override;
    uint8_t in(uint16_t port) override;
    bool present(uint16_t base) override { return m_paths.count(base) != 0; }

    // Base address -> device path, as found on the system.
    const std::map<uint16_t, std::string> &ports() const { return m_paths; }
    // True when at least one port was listed.
    bool hasPorts() const { return !m_paths.empty(); }

  private:
    struct Open {
        int fd = -1;
        int mode = -1;  // last mode given to PPSETMODE
        bool reverse = false;
        uint8_t control = 0;
    };
    Open *portFor(uint16_t address, uint16_t &offset);
    bool setMode(Open &port, int mode);

    std::unique_ptr<PpdevSystem> m_system;
    std::map<uint16_t, std::string> m_paths;
    std::map<uint16_t, Open> m_open;  // claimed or failed (fd -1), by base
};

}  // namespace kv::platform
