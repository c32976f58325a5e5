// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <map>

#include "platform/ppdev_port_io.h"

using namespace kv::platform;

namespace {

// Records every call the backend makes and plays a port with an EPP unit behind it.
struct FakePpdev : PpdevSystem {
    std::map<std::string, std::string> files;
    std::vector<std::string> dir;
    std::vector<std::string> calls;
    std::map<int, std::string> fdPath;
    int nextFd = 10;
    bool claimFails = false;
    int mode = -1;
    unsigned char data = 0, control = 0, status = 0x5A, eppRead = 0x42;
    int direction = 0;
    std::vector<std::string> *afterlife = nullptr;  // outlives the backend that owns us

    int open(const std::string &path) override {
        calls.push_back("open " + path);
        if (path != "/dev/parport0" && path != "/dev/parport1") return -1;
        fdPath[nextFd] = path;
        return nextFd++;
    }
    int ioctl(int fd, unsigned long request, void *argument) override {
        const std::string on = " " + fdPath[fd];
        switch (request) {
            case PPCLAIM:
                calls.push_back("claim" + on);
                return claimFails ? -1 : 0;
            case PPRELEASE:
                if (afterlife) afterlife->push_back("release" + on);
                return 0;
            case PPSETMODE:
                mode = *static_cast<int *>(argument);
                calls.push_back("mode " + std::to_string(mode) + on);
                return 0;
            case PPWDATA:
                data = *static_cast<unsigned char *>(argument);
                calls.push_back("wdata");
                return 0;
            case PPRDATA:
                *static_cast<unsigned char *>(argument) = data;
                calls.push_back("rdata");
                return 0;
            case PPRSTATUS:
                *static_cast<unsigned char *>(argument) = status;
                calls.push_back("rstatus");
                return 0;
            case PPWCONTROL:
                control = *static_cast<unsigned char *>(argument);
                calls.push_back("wcontrol " + std::to_string(control));
                return 0;
            case PPRCONTROL:
                *static_cast<unsigned char *>(argument) = control;
                return 0;
            case PPDATADIR:
                direction = *static_cast<int *>(argument);
                calls.push_back("datadir " + std::to_string(direction));
                return 0;
            default:
                calls.push_back("unknown");
                return -1;
        }
    }
    long read(int, void *buffer, size_t length) override {
        calls.push_back("read " + std::to_string(length) + " mode " + std::to_string(mode));
        *static_cast<unsigned char *>(buffer) = eppRead;
        return 1;
    }
    long write(int, const void *buffer, size_t length) override {
        calls.push_back("write " + std::to_string(*static_cast<const unsigned char *>(buffer)) +
                        " len " + std::to_string(length) + " mode " + std::to_string(mode));
        return static_cast<long>(length);
    }
    void close(int fd) override {
        calls.push_back("close " + fdPath[fd]);
        if (afterlife) afterlife->push_back("close " + fdPath[fd]);
    }
    std::optional<std::string> readFile(const std::string &path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::vector<std::string> listDir(const std::string &) override { return dir; }
};

std::unique_ptr<FakePpdev> twoPorts() {
    auto fake = std::make_unique<FakePpdev>();
    fake->dir = {".", "..", "default", "parport0", "parport1"};
    fake->files["/proc/sys/dev/parport/parport0/base-addr"] = "888\t1912\n";  // 0x378
    fake->files["/proc/sys/dev/parport/parport1/base-addr"] = "632\t1656\n";  // 0x278
    return fake;
}

}  // namespace

TEST(Ppdev, BaseAddressesMapToDeviceFiles) {
    auto fake = twoPorts();
    PpdevPortIo io(std::move(fake));
    ASSERT_EQ(io.ports().size(), 2u);
    EXPECT_EQ(io.ports().at(0x378), "/dev/parport0");
    EXPECT_EQ(io.ports().at(0x278), "/dev/parport1");
}

TEST(Ppdev, EppCyclesSelectAddressAndDataModes) {
    auto fake = twoPorts();
    FakePpdev *f = fake.get();
    PpdevPortIo io(std::move(fake));
    io.out(0x37B, 0x06);            // address cycle
    io.out(0x37C, 0x99);            // data write
    EXPECT_EQ(io.in(0x37C), 0x42);  // data read, same mode: no second PPSETMODE
    const int addr = IEEE1284_MODE_EPP | IEEE1284_ADDR;
    const int data = IEEE1284_MODE_EPP;
    const std::vector<std::string> expected = {
        "open /dev/parport0",
        "claim /dev/parport0",
        "mode " + std::to_string(addr) + " /dev/parport0",
        "write 6 len 1 mode " + std::to_string(addr),
        "mode " + std::to_string(data) + " /dev/parport0",
        "write 153 len 1 mode " + std::to_string(data),
        "read 1 mode " + std::to_string(data),
    };
    EXPECT_EQ(f->calls, expected);
}

TEST(Ppdev, DataStatusAndControlRegisters) {
    auto fake = twoPorts();
    FakePpdev *f = fake.get();
    PpdevPortIo io(std::move(fake));
    io.out(0x278, 0xAA);
    EXPECT_EQ(f->data, 0xAA);
    EXPECT_EQ(io.in(0x278), 0xAA);
    EXPECT_EQ(io.in(0x279), 0x5A);
    // Bit 5 is the data direction, taken apart from the four control lines.
    io.out(0x27A, 0xE6);
    EXPECT_EQ(f->direction, 1);
    EXPECT_EQ(f->control, 0x06);
    EXPECT_EQ(io.in(0x27A) & 0x2F, 0x26);
    io.out(0x27A, 0xC4);
    EXPECT_EQ(f->direction, 0);
    EXPECT_EQ(f->control, 0x04);
}

TEST(Ppdev, UnknownOrUnclaimablePortsReadHighAndIgnoreWrites) {
    auto fake = twoPorts();
    fake->claimFails = true;
    FakePpdev *f = fake.get();
    {
        PpdevPortIo io(std::move(fake));
        EXPECT_EQ(io.in(0x3BC), 0xFF);  // no such port
        EXPECT_EQ(io.in(0x379), 0xFF);  // claim refused
        io.out(0x378, 1);
        EXPECT_EQ(f->data, 0);
    }
}

TEST(Ppdev, ReleasesAndClosesWhatItClaimed) {
    std::vector<std::string> calls;
    {
        auto fake = twoPorts();
        fake->afterlife = &calls;
        PpdevPortIo io(std::move(fake));
        io.in(0x379);
        io.in(0x279);
    }
    const std::vector<std::string> expected = {"release /dev/parport1", "close /dev/parport1",
                                               "release /dev/parport0", "close /dev/parport0"};
    EXPECT_EQ(calls, expected);
}

TEST(Ppdev, NoPortsListed) {
    PpdevPortIo io(std::make_unique<FakePpdev>());
    EXPECT_FALSE(io.hasPorts());
    EXPECT_EQ(io.in(0x378), 0xFF);
}
