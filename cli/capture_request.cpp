// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "core/capture_parameters.h"

namespace kv::cli {
namespace {

std::string lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool endsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::optional<uint8_t> rateCodeOf(const std::string &text) {
    const std::string wanted = lower(text);
    for (int i = 0; i < app::kRateListSize; ++i) {
        const std::string item = lower(app::rateListText(i));  // "1msa(1us)"
        const size_t open = item.find('(');
        const std::string rate = item.substr(0, open);
        const std::string period = item.substr(open + 1, item.size() - open - 2);
        if (wanted == item || wanted == rate || wanted == period) return app::rateListCode(i);
    }
    return std::nullopt;
}

std::optional<uint8_t> thresholdCodeOf(const std::string &text) {
    std::string number = lower(text);
    double scale = 1;
    if (endsWith(number, "mv")) {
        number.resize(number.size() - 2);
        scale = 0.001;
    } else if (endsWith(number, "v")) {
        number.resize(number.size() - 1);
    }
    if (number.empty()) return std::nullopt;
    double volts = 0;
    const char *end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, volts);
    if (ec != std::errc() || ptr != end || !std::isfinite(volts)) return std::nullopt;
    // Code 60 is 0 V; each code below it is 50 mV more.
    const double code = 60 - volts * scale / 0.05;
    const double rounded = std::round(code);
    if (std::abs(code - rounded) > 1e-6 || rounded < 0 || rounded > 80) return std::nullopt;
    return static_cast<uint8_t>(rounded);
}

std::optional<std::string> triggerWordOf(const std::string &text) {
    std::string bits;
    for (char c : text) {
        if (c == ' ' || c == '_') continue;
        if (c == 'x') c = 'X';
        if (c != '0' && c != '1' && c != 'X') return std::nullopt;
        bits += c;
    }
    if (bits.size() != 24) return std::nullopt;
    return bits.substr(0, 8) + " " + bits.substr(8, 8) + " " + bits.substr(16, 8);
}

std::optional<OutputKind> outputKindOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    const std::string name = lower(slash == std::string::npos ? path : path.substr(slash + 1));
    if (endsWith(name, ".osv") && name.size() > 4) return OutputKind::Data;
    if (endsWith(name, ".vcd") && name.size() > 4) return OutputKind::Vcd;
    if (endsWith(name, ".csv") && name.size() > 4) return OutputKind::Csv;
    if (endsWith(name, ".txt") && name.size() > 4) return OutputKind::Text;
    return std::nullopt;
}

std::string numberedName(const std::string &path, int index, int count) {
    if (count == 1) return path;
    const size_t dot = path.rfind('.');
    return path.substr(0, dot) + "-" + std::to_string(index) + path.substr(dot);
}

int32_t lastTriggerPosition(uint8_t depthIndex) {
    // The trigger cursor's scroll bar ends one before the last start of the record.
    return (depthIndex ? 128 * 1024 : 2 * 1024) - 32 - 1;
}

}  // namespace kv::cli
