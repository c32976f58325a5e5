// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of a decoder stack, for the command line and the decoder settings file.
#include "decode/decoder_text.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace kv::decode {

namespace {

std::string folded(const std::string &s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '_') continue;
        out += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::vector<std::string> split(const std::string &s, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    if (!s.empty() && s.back() == sep) parts.emplace_back();
    return parts;
}

std::string trimmed(const std::string &s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// A value of the type the option's default has; the error text when it does not read.
std::string readOption(const OptionInfo &opt, const std::string &text, OptionValue &value) {
    if (std::holds_alternative<int64_t>(opt.defaultValue)) {
        char *end = nullptr;
        long long v = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end)
            return "option " + opt.id + " takes a whole number, not \"" + text + "\"";
        value = int64_t(v);
    } else if (std::holds_alternative<double>(opt.defaultValue)) {
        char *end = nullptr;
        double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end)
            return "option " + opt.id + " takes a number, not \"" + text + "\"";
        value = v;
    } else {
        value = text;
    }
    if (!opt.values.empty()) {
        for (const auto &allowed : opt.values)
            if (optionText(allowed) == optionText(value)) return {};
        std::string list;
        for (const auto &allowed : opt.values)
            list += (list.empty() ? "" : ", ") + optionText(allowed);
        return "option " + opt.id + " takes one of " + list + ", not \"" + text + "\"";
    }
    return {};
}

}  // namespace

int channelNamed(const std::string &text, const std::array<std::string, 24> &channelNames) {
    std::string t = trimmed(text);
    if (t.size() >= 2 && (t[0] == 'D' || t[0] == 'd')) {
        bool digits = true;
        for (size_t i = 1; i < t.size(); ++i)
            digits = digits && std::isdigit(static_cast<unsigned char>(t[i]));
        if (digits && t.size() <= 3) {
            int n = std::atoi(t.c_str() + 1);
            if (n < 24) return n;
        }
    }
    std::string f = folded(t);
    if (f.empty()) return -1;
    for (int n = 0; n < 24; ++n)
        if (folded(channelNames[size_t(n)]) == f) return n;
    return -1;
}

std::map<std::string, int> mapByName(const DecoderInfo &info,
                                     const std::array<std::string, 24> &channelNames) {
    std::map<std::string, int> out;
    auto take = [&](const std::vector<ChannelInfo> &list) {
        for (const auto &c : list) {
            for (int n = 0; n < 24; ++n) {
                std::string f = folded(channelNames[size_t(n)]);
                if (!f.empty() && (f == folded(c.id) || f == folded(c.name))) {
                    out[c.id] = n;
                    break;
                }
            }
        }
    };
    take(info.channels);
    take(info.optionalChannels);
    return out;
}

std::vector<std::string> unmappedChannels(const DecoderInfo &info, const DecoderSetup &setup) {
    std::vector<std::string> out;
    for (const auto &c : info.channels)
        if (!setup.channels.count(c.id)) out.push_back(c.id);
    return out;
}

DecoderTextParse parseDecoderText(const std::string &text,
                                  const std::array<std::string, 24> &channelNames) {
    DecoderTextParse result;
    if (trimmed(text).empty()) {
        result.error = "no decoder given";
        return result;
    }
    for (const std::string &part : split(text, '+')) {
        std::string decoderText = trimmed(part);
        auto colon = decoderText.find(':');
        DecoderSetup setup;
        setup.id = trimmed(decoderText.substr(0, colon));
        const DecoderInfo *info = findDecoder(setup.id);
        if (!info) {
            result.error = setup.id.empty() ? "a decoder name is missing"
                                            : "no decoder named \"" + setup.id + "\" is installed";
            return result;
        }
        bool fedWithSamples = result.stack.empty();
        if (fedWithSamples && !info->takesSamples()) {
            result.error = setup.id + " decodes the output of another decoder, not samples";
            return result;
        }
        if (!fedWithSamples) {
            bool fits = false;
            for (const auto *d : stackableOn(*findDecoder(result.stack.back().id)))
                fits = fits || d == info;
            if (!fits) {
                result.error = setup.id + " cannot take the output of " + result.stack.back().id;
                return result;
            }
        }
        if (colon != std::string::npos) {
            for (const std::string &item : split(decoderText.substr(colon + 1), ',')) {
                auto eq = item.find('=');
                std::string key = trimmed(item.substr(0, eq));
                if (eq == std::string::npos || key.empty()) {
                    result.error = setup.id + ": \"" + item + "\" is not key=value";
                    return result;
                }
                std::string value = trimmed(item.substr(eq + 1));
                if (info->channelIndex(key) >= 0) {
                    int unit = channelNamed(value, channelNames);
                    if (unit < 0) {
                        result.error =
                            setup.id + ": channel " + key + ": no channel \"" + value + "\"";
                        return result;
                    }
                    setup.channels[key] = unit;
                } else if (const OptionInfo *opt = info->option(key)) {
                    OptionValue v;
                    if (std::string why = readOption(*opt, value, v); !why.empty()) {
                        result.error = setup.id + ": " + why;
                        return result;
                    }
                    setup.options[key] = v;
                } else {
                    result.error = setup.id + " has no channel or option \"" + key + "\"";
                    return result;
                }
            }
        }
        if (fedWithSamples) {
            for (const auto &[id, unit] : mapByName(*info, channelNames))
                setup.channels.emplace(id, unit);
            if (auto missing = unmappedChannels(*info, setup); !missing.empty()) {
                result.error = setup.id + ": channel " + missing.front() + " is not mapped";
                return result;
            }
        }
        result.stack.push_back(std::move(setup));
    }
    return result;
}

std::string formatDecoderText(const DecoderStack &stack) {
    std::string out;
    for (const auto &setup : stack) {
        if (!out.empty()) out += '+';
        out += setup.id;
        char sep = ':';
        for (const auto &[id, unit] : setup.channels) {
            out += sep + id + "=D" + std::to_string(unit);
            sep = ',';
        }
        for (const auto &[id, value] : setup.options) {
            out += sep + id + "=" + optionText(value);
            sep = ',';
        }
    }
    return out;
}

}  // namespace kv::decode
