// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop/vcd_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>

#include "interop/time_scale.h"

namespace kv::interop {
namespace {

__extension__ typedef __int128 Wide;

class Tokens {
  public:
    explicit Tokens(std::istream &in) : m_in(in) {}
    // The next blank-separated token; false at the end of the file.
    bool next(std::string &token) {
        token.clear();
        int c;
        while ((c = m_in.get()) != EOF && std::isspace(c)) {
            if (c == '\n') ++m_line;
        }
        if (c == EOF) return false;
        do {
            token += static_cast<char>(c);
        } while ((c = m_in.peek()) != EOF && !std::isspace(c) && m_in.get());
        return true;
    }
    int line() const { return m_line; }

  private:
    std::istream &m_in;
    int m_line = 1;
};

std::string normalised(const std::string &name) {
    std::string out;
    bool blank = false;
    for (char c : name) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '_') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += '_';
        blank = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

struct Signal {
    std::string id, name;
    long width = 1;
    int channel = -1;
};

bool isUnsigned(const std::string &text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

VcdImport readVcd(std::istream &in, const std::array<std::string, kChannels> &channelNames,
                  int64_t periodPs, int64_t length) {
    VcdImport result;
    Tokens tokens(in);
    std::string token;
    const auto fail = [&](const std::string &why) {
        result.error = "line " + std::to_string(tokens.line()) + ": " + why;
        return result;
    };
    // Words up to "$end".
    const auto section = [&](std::vector<std::string> &words) {
        words.clear();
        while (tokens.next(token)) {
            if (token == "$end") return true;
            words.push_back(token);
        }
        return false;
    };

    std::vector<Signal> signals;
    std::optional<TimeScale> scale;
    std::vector<std::string> words;
    bool definitionsEnded = false;
    while (!definitionsEnded && tokens.next(token)) {
        if (token.empty() || token[0] != '$') continue;  // stray text before the header
        const std::string keyword = token;
        if (!section(words)) return fail("the file ends inside " + keyword);
        if (keyword == "$enddefinitions") {
            definitionsEnded = true;
        } else if (keyword == "$timescale") {
            std::string joined;
            for (const std::string &w : words)
                joined += w;
            scale = parseTimeScale(joined);
            if (!scale) return fail("the time unit \"" + joined + "\" is not one VCD allows");
        } else if (keyword == "$var") {
            if (words.size() < 4 || !isUnsigned(words[1]))
                return fail("a $var needs a type, a width, a code and a name");
            Signal s;
            s.width = std::stol(words[1]);
            s.id = words[2];
            for (size_t i = 3; i < words.size(); ++i)
                s.name += (i > 3 ? " " : "") + words[i];
            if (words[0] == "real") s.width = 0;
            signals.push_back(s);
        }
    }
    if (!definitionsEnded) return fail("the file has no $enddefinitions");
    if (!scale) scale = TimeScale{1000};  // no $timescale: 1 ps, as most tools assume

    // Channels take signals by name, then by "D<n>".
    std::vector<bool> taken(signals.size(), false);
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < kChannels; ++n) {
            if (result.matched[static_cast<size_t>(n)]) continue;
            const std::string want = normalised(pass == 0 ? channelNames[static_cast<size_t>(n)]
                                                          : "D" + std::to_string(n));
            for (size_t i = 0; i < signals.size(); ++i) {
                if (taken[i] || signals[i].width != 1 || normalised(signals[i].name) != want)
                    continue;
                taken[i] = true;
                signals[i].channel = n;
                result.matched[static_cast<size_t>(n)] = true;
                break;
            }
        }
    }
    std::multimap<std::string, size_t> byId;
    for (size_t i = 0; i < signals.size(); ++i) {
        byId.emplace(signals[i].id, i);
        if (signals[i].channel >= 0) continue;
        const Signal &s = signals[i];
        result.unmapped.push_back(s.width == 1 ? s.name
                                  : s.width == 0
                                      ? s.name + " (real)"
                                      : s.name + " (" + std::to_string(s.width) + " bits)");
    }
    bool any = false;
    for (bool m : result.matched)
        any = any || m;
    if (!any) return fail("no signal of the file is named like a channel");

    for (auto &plane : result.planes)
        plane.assign(static_cast<size_t>(length), 0);
    uint32_t word = 0;
    int64_t filled = 0;          // samples written so far
    bool changedAtTime = false;  // a value changed at the last time stamp
    Wide lastTime = -1;
    const Wide period = static_cast<Wide>(periodPs) * 1000;
    // Sample index of the first sample at or after file time t.
    const auto sampleAt = [&](Wide t) -> int64_t {
        const Wide fs = t * scale->femtoseconds;
        const Wide k = (fs + period - 1) / period;
        return k > INT64_MAX / 2 ? INT64_MAX / 2 : static_cast<int64_t>(k);
    };
    const auto fillTo = [&](int64_t end) {
        for (int64_t k = filled; k < std::min(end, length); ++k) {
            const auto i = static_cast<size_t>(k);
            result.planes[0][i] = static_cast<uint8_t>(word);
            result.planes[1][i] = static_cast<uint8_t>(word >> 8);
            result.planes[2][i] = static_cast<uint8_t>(word >> 16);
        }
        filled = std::max(filled, end);
    };
    const auto set = [&](const std::string &id, char value) {
        auto [from, to] = byId.equal_range(id);
        if (from == to) return false;
        for (auto it = from; it != to; ++it) {
            const int channel = signals[it->second].channel;
            if (channel < 0) continue;
            if (value != '0' && value != '1') result.unknownValues = true;
            if (value == '1')
                word |= 1u << channel;
            else
                word &= ~(1u << channel);
        }
        changedAtTime = true;
        return true;
    };

    while (tokens.next(token)) {
        const char c = token[0];
        if (c == '#') {
            const std::string digits = token.substr(1);
            if (!isUnsigned(digits)) return fail("\"" + token + "\" is no time stamp");
            const Wide t = std::stoll(digits);
            if (t < lastTime) return fail("time goes back at \"" + token + "\"");
            fillTo(sampleAt(t));
            lastTime = t;
            changedAtTime = false;
        } else if (token == "$comment") {
            if (!section(words)) return fail("the file ends inside $comment");
        } else if (c == '$') {
            // $dumpvars, $dumpall, $dumpon, $dumpoff and their $end only frame values.
        } else if (std::strchr("01xXzZ", c)) {
            if (!set(token.substr(1), static_cast<char>(std::tolower(c))))
                return fail("no signal has the code \"" + token.substr(1) + "\"");
        } else if (c == 'b' || c == 'B' || c == 'r' || c == 'R') {
            std::string id;
            if (!tokens.next(id)) return fail("a value without a code");
            if (c == 'r' || c == 'R') continue;
            if (token.size() < 2) return fail("\"" + token + "\" holds no bits");
            // A single-bit signal written as a vector takes the last bit.
            if (!set(id, static_cast<char>(std::tolower(token.back()))))
                return fail("no signal has the code \"" + id + "\"");
        } else {
            return fail("\"" + token + "\" is neither a time stamp nor a value");
        }
    }
    if (lastTime >= 0) {
        result.fileSamples = sampleAt(lastTime) + (changedAtTime ? 1 : 0);
        fillTo(result.fileSamples);
    }
    fillTo(length);  // the last values hold to the end of the data set
    result.droppedSamples = std::max<int64_t>(0, result.fileSamples - length);
    result.ok = true;
    return result;
}

}  // namespace kv::interop
