// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/detection.h"

#include "platform/usb_libusb.h"

namespace kv::app {

std::string portText(uint8_t found) {
    switch (found) {
        case 1:
            return "378 ";
        case 2:
            return "278 ";
        case 3:
            return "3BC ";
        case 4:
            return "Usb";
        default:
            return "No ";
    }
}

std::string connectionText(uint8_t linkKind) {
    switch (linkKind) {
        case 1:
            return "Epp Port be connected";
        case 2:
            return "Bpp Port be connected";
        case 3:
            return "1.1 Port be connected";
        case 4:
            return "2.0 Port be connected";
        default:
            return "Any Port be connected\r\n\nPress 'Cancel button' for Demo mode";
    }
}

DetectionResult detectHardware(ProgramState &state, DeviceApi &device,
                               const std::string &osRelease) {
    DetectionResult r;
    state.platformId = 1;
    const std::string first = "Linux " + osRelease + ". ";
    const std::string second = "Interface: BPP/EPP/Usb1.1/Usb2.0 support";
    state.librarySelector = 1;
    state.hardwarePresent = 0;
    r.found = device.findBoard1(0x3BC, state.selectionBlock.data(), state.stateBlock.data(),
                                state.furtherBlock.data(), static_cast<uint32_t>(state.platformId));
    if (r.found) {
        state.hardwarePresent = 1;
        state.unitCode = 15;
    }
    const uint8_t kind = state.stateBlock[1008];
    if (kind == 3 || kind == 4) state.stateBlock[1007] = 4;
    switch (r.found) {
        case 1:
            state.portBase = 0x378;
            break;
        case 2:
            state.portBase = 0x278;
            break;
        case 3:
            state.portBase = 0x3BC;
            break;
        default:
            break;
    }
    std::string port = portText(r.found);
    // A unit on USB that this user may not open looks like no unit at all: say why.
    if (!r.found && platform::usbUnitWithoutPermission()) {
        port = "no permission to open the USB unit: install the udev rules, see README\r\n";
    } else if (!r.found) {
        // A port that is there but no unit behind it: most often a unit without supply.
        const uint8_t ports = device.prtDect();
        std::string bases;
        for (const auto &[bit, base] : {std::pair{2, "378"}, {4, "278"}, {1, "3BC"}}) {
            if (ports & bit) bases += (bases.empty() ? "" : ", ") + std::string(base);
        }
        if (!bases.empty()) {
            port = "no unit answers on the parallel port at " + bases +
                   ": check that the unit has its supply and that its cable is in\r\n";
        }
    }
    r.message = first + "\r\n" + second + "\r\n\n" + port + connectionText(kind);
    return r;
}

void startDemonstration(ProgramState &state, DeviceApi &device) {
    state.hardwarePresent = 0;
    state.librarySelector = 1;
    state.demonstration = device.findDemoBoard1(state.portBase, state.selectionBlock.data(),
                                                state.stateBlock.data()) != 0;
}

}  // namespace kv::app
