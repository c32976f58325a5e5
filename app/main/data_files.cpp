#include "main/data_files.h"

#include <cstdio>

namespace kv::app {

std::string companionName(const std::string &dataFile) {
    const std::string stem = dataFile.size() >= 3 ? dataFile.substr(0, dataFile.size() - 3) : "";
    return stem + "cfg";
}

std::string textTable(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                      int32_t recordLength, int32_t adjust, int64_t available) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "Position   D23-16     D15-8      D7-0\r\n";
    out.reserve(out.size() + static_cast<size_t>(recordLength) * 56);
    const auto hex = [&](uint8_t b) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    };
    for (int32_t i = 0; i < recordLength; ++i) {
        const int64_t j = int64_t{i} + adjust + 1;
        char position[24];
        std::snprintf(position, sizeof position, "%06lld", static_cast<long long>(j));
        out += position;
        if (j >= 0 && j < available) {
            out += std::string(10, ' ');
            hex(plane2[j]);
            out += std::string(12, ' ');
            hex(plane1[j]);
            out += std::string(12, ' ');
            hex(plane0[j]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace kv::app
