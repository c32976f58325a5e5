// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/usb_libusb.h"

#include <libusb.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/usb_ids.h"

namespace kv::platform {
namespace {

bool isUnit(uint16_t vendor, uint16_t product);

class RealLibusb final : public LibusbApi {
  public:
    explicit RealLibusb(libusb_context *context) : m_context(context) {
        // Where the system tells of devices coming and going, count the units that arrive.
        if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
            m_hotplugOn = libusb_hotplug_register_callback(
                              m_context, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED,
                              static_cast<libusb_hotplug_flag>(0), LIBUSB_HOTPLUG_MATCH_ANY,
                              LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
                              &RealLibusb::arrived, this, &m_hotplug) == LIBUSB_SUCCESS;
        }
    }
    ~RealLibusb() override {
        if (m_hotplugOn) libusb_hotplug_deregister_callback(m_context, m_hotplug);
        libusb_exit(m_context);
    }

    int arrivals() override {
        if (!m_hotplugOn) return 0;
        timeval none{0, 0};
        libusb_handle_events_timeout_completed(m_context, &none, nullptr);
        const int n = m_arrivals;
        m_arrivals = 0;
        return n;
    }

    std::vector<Device> devices() override {
        std::vector<Device> out;
        libusb_device **list = nullptr;
        const ssize_t n = libusb_get_device_list(m_context, &list);
        for (ssize_t i = 0; i < n; ++i) {
            libusb_device_descriptor d{};
            if (libusb_get_device_descriptor(list[i], &d) != 0) continue;
            Device dev;
            dev.vendor = d.idVendor;
            dev.product = d.idProduct;
            std::memcpy(dev.descriptor, &d, std::min(sizeof d, sizeof dev.descriptor));
            dev.opaque = libusb_ref_device(list[i]);
            bulkEndpoint(list[i], dev);
            out.push_back(dev);
        }
        if (list) libusb_free_device_list(list, 1);
        for (Device &d : m_previous)
            libusb_unref_device(static_cast<libusb_device *>(d.opaque));
        m_previous = out;
        return out;
    }
    int open(const Device &device, void **handle) override {
        libusb_device_handle *h = nullptr;
        const int r = libusb_open(static_cast<libusb_device *>(device.opaque), &h);
        *handle = h;
        if (r == 0) libusb_set_auto_detach_kernel_driver(h, 1);
        return r;
    }
    void close(void *handle) override { libusb_close(static_cast<libusb_device_handle *>(handle)); }
    int claimInterface(void *handle, int number) override {
        return libusb_claim_interface(static_cast<libusb_device_handle *>(handle), number);
    }
    int control(void *handle, uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                uint8_t *data, uint16_t length, unsigned timeoutMs) override {
        return libusb_control_transfer(static_cast<libusb_device_handle *>(handle), requestType,
                                       request, value, index, data, length, timeoutMs);
    }
    int bulkIn(void *handle, uint8_t endpoint, uint8_t *data, int length, int *transferred,
               unsigned timeoutMs) override {
        return libusb_bulk_transfer(static_cast<libusb_device_handle *>(handle), endpoint, data,
                                    length, transferred, timeoutMs);
    }
    int clearHalt(void *handle, uint8_t endpoint) override {
        return libusb_clear_halt(static_cast<libusb_device_handle *>(handle), endpoint);
    }

  private:
    static int LIBUSB_CALL arrived(libusb_context *, libusb_device *device, libusb_hotplug_event,
                                   void *user) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(device, &d) == 0 && isUnit(d.idVendor, d.idProduct)) {
            ++static_cast<RealLibusb *>(user)->m_arrivals;
        }
        return 0;  // stay registered
    }

    static void bulkEndpoint(libusb_device *device, Device &dev) {
        libusb_config_descriptor *config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != 0 || !config) return;
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface &itf = config->interface[i];
            for (int a = 0; a < itf.num_altsetting; ++a) {
                const libusb_interface_descriptor &alt = itf.altsetting[a];
                for (int e = 0; e < alt.bNumEndpoints; ++e) {
                    const libusb_endpoint_descriptor &ep = alt.endpoint[e];
                    if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) &&
                        (ep.bmAttributes & 3) == LIBUSB_TRANSFER_TYPE_BULK) {
                        dev.bulkInEndpoint = ep.bEndpointAddress;
                        dev.interfaceNumber = alt.bInterfaceNumber;
                        libusb_free_config_descriptor(config);
                        return;
                    }
                }
            }
        }
        libusb_free_config_descriptor(config);
    }

    libusb_context *m_context;
    std::vector<Device> m_previous;
    libusb_hotplug_callback_handle m_hotplug = 0;
    bool m_hotplugOn = false;
    int m_arrivals = 0;
};

bool isUnit(uint16_t vendor, uint16_t product) {
    return std::any_of(kUnitUsbIds.begin(), kUnitUsbIds.end(), [&](const UsbId &id) {
        return id.vendor == vendor && id.product == product;
    });
}

int pairRank(uint16_t vendor, uint16_t product) {
    for (size_t i = 0; i < kUnitUsbIds.size(); ++i) {
        if (kUnitUsbIds[i].vendor == vendor && kUnitUsbIds[i].product == product) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

std::unique_ptr<LibusbApi> makeLibusbApi() {
    libusb_context *context = nullptr;
    if (libusb_init(&context) != 0) return nullptr;
    return std::make_unique<RealLibusb>(context);
}

LibusbDriver::LibusbDriver(std::unique_ptr<LibusbApi> api) : m_api(std::move(api)) {}

LibusbDriver::~LibusbDriver() {
    for (auto &o : m_open) {
        if (o && o->handle) m_api->close(o->handle);
    }
}

LibusbDriver::Open *LibusbDriver::find(int handle) {
    if (handle < 0 || handle >= static_cast<int>(m_open.size())) return nullptr;
    return m_open[static_cast<size_t>(handle)].get();
}

int LibusbDriver::open(UsbFamily, int index) {
    if (!m_api || index < 0) return -1;
    if (index == 0) m_accessDenied = false;
    std::vector<LibusbApi::Device> units;
    for (const auto &d : m_api->devices()) {
        if (isUnit(d.vendor, d.product)) units.push_back(d);
    }
    std::stable_sort(units.begin(), units.end(), [](const auto &a, const auto &b) {
        return pairRank(a.vendor, a.product) < pairRank(b.vendor, b.product);
    });
    if (index >= static_cast<int>(units.size())) return -1;
    auto o = std::make_unique<Open>();
    o->device = units[static_cast<size_t>(index)];
    const int r = m_api->open(o->device, &o->handle);
    if (r != 0) {
        if (r == LIBUSB_ERROR_ACCESS) m_accessDenied = true;
        return -1;
    }
    if (m_api->claimInterface(o->handle, o->device.interfaceNumber) != 0) {
        m_api->close(o->handle);
        return -1;
    }
    m_open.push_back(std::move(o));
    return static_cast<int>(m_open.size() - 1);
}

void LibusbDriver::close(int handle) {
    Open *o = find(handle);
    if (!o || !o->handle) return;
    m_api->close(o->handle);
    m_open[static_cast<size_t>(handle)].reset();
}

bool LibusbDriver::check(Open &o, int result) {
    if (result >= 0) return true;
    if (result == LIBUSB_ERROR_NO_DEVICE) o.gone = true;
    if (result == LIBUSB_ERROR_PIPE) m_api->clearHalt(o.handle, o.device.bulkInEndpoint);
    return false;
}

bool LibusbDriver::control(int handle, uint32_t code, const void *in, size_t inLength, void *out,
                           size_t outLength, size_t *returned) {
    if (returned) *returned = 0;
    Open *o = find(handle);
    if (!o || o->gone) return false;
    switch (code) {
        case usbreq::StillImageIdentity: {
            if (!out || outLength < 8) return false;
            const uint8_t *d = o->device.descriptor;
            auto *b = static_cast<uint8_t *>(out);
            // vendor, product, device release, language (US English)
            const uint8_t identity[8] = {d[8], d[9], d[10], d[11], d[12], d[13], 0x09, 0x04};
            std::memcpy(b, identity, 8);
            if (returned) *returned = 8;
            return true;
        }
        case usbreq::DeviceDescriptor:
            if (!out || outLength < 18) return false;
            std::memcpy(out, o->device.descriptor, 18);
            if (returned) *returned = 18;
            return true;
        case usbreq::WriteRegisters:
        case usbreq::ReadRegisters: {
            if (!in || inLength < sizeof(UsbRegisterIo)) return false;
            const auto &block = *static_cast<const UsbRegisterIo *>(in);
            if (block.length > 0xFFFF || (block.length > 0 && !block.data)) return false;
            const bool write = code == usbreq::WriteRegisters;
            if (!write && (!out || outLength < block.length)) return false;
            const uint8_t type = write ? 0x40 : 0xC0;
            const uint8_t request = block.length > 1 ? 0x04 : 0x0C;
            uint8_t *data =
                write ? static_cast<uint8_t *>(block.data) : static_cast<uint8_t *>(out);
            const int r =
                m_api->control(o->handle, type, request, static_cast<uint16_t>(block.offset),
                               static_cast<uint16_t>(block.index), data,
                               static_cast<uint16_t>(block.length), kUsbTimeoutMs);
            if (!check(*o, r)) return false;
            if (returned) *returned = static_cast<size_t>(r);
            return write || static_cast<uint32_t>(r) == block.length;
        }
        default:
            return false;
    }
}

long LibusbDriver::read(int handle, void *buffer, size_t length) {
    Open *o = find(handle);
    if (!o || o->gone || !buffer) return -1;
    int transferred = 0;
    const int r = m_api->bulkIn(o->handle, o->device.bulkInEndpoint, static_cast<uint8_t *>(buffer),
                                static_cast<int>(std::min<size_t>(length, 1u << 30)), &transferred,
                                kUsbTimeoutMs);
    if (r != 0 && !check(*o, r)) return transferred > 0 ? transferred : -1;
    return transferred;
}

bool usbUnitWithoutPermission() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator("/sys/bus/usb/devices", ec)) {
        const auto read = [&](const char *name) {
            std::ifstream in(entry.path() / name);
            std::string s;
            std::getline(in, s);
            return s;
        };
        const std::string vendor = read("idVendor"), product = read("idProduct");
        if (vendor.empty() || product.empty()) continue;
        const auto v = static_cast<uint16_t>(std::stoul(vendor, nullptr, 16));
        const auto p = static_cast<uint16_t>(std::stoul(product, nullptr, 16));
        if (!isUnit(v, p)) continue;
        const std::string bus = read("busnum"), dev = read("devnum");
        if (bus.empty() || dev.empty()) continue;
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", std::stoi(bus), std::stoi(dev));
        if (::access(node, R_OK | W_OK) != 0) return true;
    }
    return false;
}

}  // namespace kv::platform
