// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: one walk over the records serves both the writer and the reader, so
// the two cannot disagree about the order.
#include "core/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "core/number_format.h"

namespace kv::app {
namespace {

std::string numberText(long long v) {
    return withSignBlank(v) + " ";
}

// The text without the blanks and tabs around it.
std::string trimmed(const std::string &text) {
    const size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}

std::string floatText(float v) {
    if (std::floor(v) == v && std::fabs(v) < 1e15f) return numberText(static_cast<long long>(v));
    std::ostringstream out;
    out.precision(7);
    out << v;
    std::string t = out.str();
    return (v < 0 ? "" : " ") + t + " ";
}

class Writer {
  public:
    void line(const std::string &text) { m_out += text + "\r\n"; }
    void key(const std::string &k) { line(k); }
    void blank() { line(""); }
    template <typename T>
    void number(T &v, long long = 0, long long = 0) {
        line(numberText(static_cast<long long>(v)));
    }
    void real(float &v) { line(floatText(v)); }
    void text(std::string &t) { line(t); }
    void truth(bool &b) { line(b ? "True" : "False"); }
    bool failed() const { return false; }
    std::string result() { return m_out; }

  private:
    std::string m_out;
};

// Reads the text as the system's file layer does: a key line is the rest of the current
// line; a value ends at a comma or at the line end.
class Reader {
  public:
    explicit Reader(const std::string &text) : m_text(text) {}

    void key(const std::string &) { restOfLine(); }
    void blank() { restOfLine(); }
    template <typename T>
    void number(T &v, long long lo = std::numeric_limits<T>::min(),
                long long hi = std::numeric_limits<T>::max()) {
        if (m_failed) return;
        const int line = m_line + 1;
        const std::string field = trimmed(value());
        if (m_failed) return;
        long long parsed = 0;
        if (!field.empty()) {
            auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), parsed);
            if (ec != std::errc() || ptr != field.data() + field.size()) {
                fail(line, "\"" + field + "\" is not a number");
                return;
            }
        }
        if (parsed < lo || parsed > hi) {
            fail(line, std::to_string(parsed) + " is outside " + std::to_string(lo) + " to " +
                           std::to_string(hi));
            return;
        }
        v = static_cast<T>(parsed);
    }
    void real(float &v) {
        if (m_failed) return;
        const int line = m_line + 1;
        std::string field = value();
        if (m_failed) return;
        char *end = nullptr;
        errno = 0;
        const double parsed = std::strtod(field.c_str(), &end);
        while (end && (*end == ' ' || *end == '\t'))
            ++end;
        if (field.find_first_not_of(" \t") == std::string::npos) {
            v = 0;
            return;
        }
        if (!end || *end != '\0' || errno != 0 || !std::isfinite(parsed)) {
            fail(line, "\"" + field + "\" is not a number");
            return;
        }
        v = static_cast<float>(parsed);
    }
    void text(std::string &t) {
        if (m_failed) return;
        std::string field = value();
        if (!m_failed) t = field;
    }
    void truth(bool &b) {
        if (m_failed) return;
        const int line = m_line + 1;
        const std::string field = trimmed(value());
        if (m_failed) return;
        if (field == "True" || field == "#TRUE#" || field == "-1")
            b = true;
        else if (field == "False" || field == "#FALSE#" || field == "0")
            b = false;
        else
            fail(line, "\"" + field + "\" is not True or False");
    }
    // The whole next line, for the header.
    std::string line() { return restOfLine(); }
    bool failed() const { return m_failed; }
    int errorLine() const { return m_errorLine; }
    const std::string &error() const { return m_error; }

  private:
    void fail(int line, const std::string &why) {
        if (m_failed) return;
        m_failed = true;
        m_errorLine = line;
        m_error = why;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    void endLine() {
        if (m_pos < m_text.size() && m_text[m_pos] == '\r') ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
        ++m_line;
    }
    std::string restOfLine() {
        if (m_failed) return {};
        if (atEnd()) {
            fail(m_line + 1, "the file ends early");
            return {};
        }
        const size_t end = m_text.find_first_of("\r\n", m_pos);
        const size_t stop = end == std::string::npos ? m_text.size() : end;
        std::string s = m_text.substr(m_pos, stop - m_pos);
        m_pos = stop;
        endLine();
        return s;
    }
    std::string value() {
        if (atEnd()) {
            fail(m_line + 1, "the file ends early");
            return {};
        }
        const size_t end = m_text.find_first_of(",\r\n", m_pos);
        const size_t stop = end == std::string::npos ? m_text.size() : end;
        std::string s = m_text.substr(m_pos, stop - m_pos);
        m_pos = stop;
        if (m_pos < m_text.size() && m_text[m_pos] == ',')
            ++m_pos;  // the rest stays on the line
        else
            endLine();
        return s;
    }

    const std::string &m_text;
    size_t m_pos = 0;
    int m_line = 0;
    bool m_failed = false;
    int m_errorLine = 0;
    std::string m_error;
};

template <typename IO, typename State, typename Marks>
void records(IO &io, State &s, Marks &w) {
    io.blank();           // 4
    io.key("osv47left");  // 5
    io.real(w.mainLeft);
    io.key("osv47top");
    io.real(w.mainTop);
    io.key("osv47width");
    io.real(w.mainWidth);
    io.key("osv47height");
    io.real(w.mainHeight);
    io.key("form2left");  // 6
    io.real(w.form2Left);
    io.key("form2top");
    io.real(w.form2Top);
    io.key("clock source");  // 7
    io.number(s.settings.clockSource, 0, 2);
    io.key("TrigCh");  // 8
    io.number(s.settings.triggerChannel, 0, 50);
    static const char *slopes[12] = {
        "TrigSlop(ACH0)",    "TrigSlop(ACH1)",     "TrigSlop(ACH2)",     "TrigSlop(ACH3)",
        "TrigSlop(ACH4)",    "TrigSlop(ACH5)",     "TrigSlop(ACH6)",     "TrigSlop(ACH7)",
        "TrigSlop(chlogic)", "TrigSlop(chlogic1)", "TrigSlop(chlogic2)", "TrigSlop(chlogic3)"};
    for (int i = 0; i < 12; ++i) {  // 9
        io.key(slopes[i]);
        io.number(s.settings.triggerSlope[static_cast<size_t>(i < 8 ? i : 36 + i - 8)], 0, 1);
    }
    static const char *pairs[8] = {"TrigWd1A", "TrigWd1B", "TrigWd2A", "TrigWd2B",
                                   "TrigWd3A", "TrigWd3B", "TrigWd4A", "TrigWd4B"};
    for (int i = 0; i < 8; ++i) {  // 10
        io.key(pairs[i]);
        io.number(s.settings.triggerWordPairs[static_cast<size_t>(i)]);
    }
    static const char *thresholds[4] = {"v_tshd", "v_tshd2", "v_tshd3", "v_tshd4"};
    for (int i = 0; i < 4; ++i) {  // 11
        io.key(thresholds[i]);
        io.number(s.settings.threshold[static_cast<size_t>(i)], 0, 80);
    }
    io.blank();         // 12
    io.key("Capture");  // 13
    io.number(s.settings.captureMode, 0, 2);
    io.key("Depth");  // 14
    io.number(s.settings.memoryDepthIndex, 0, 1);
    io.key("Rate0");  // 15
    io.number(w.rateListIndex, 0, 13);
    io.key("ABuflen");  // 16
    io.number(w.memoryBarValue, 0, 1);
    for (size_t v = 0; v < 4; ++v) {  // 17
        auto &view = s.views[v];
        io.key("object");
        io.number(view.zoomAnchor, 0, 4);
        io.key("Zoom");
        io.number(view.zoomIndex, 0, 12);
        io.key("Adjaddr");
        io.number(s.dataSetRecords[v][0]);
        io.key("MAdjaddr");
        io.number(s.secondAdjustment[v]);
        io.key("CursorA position");
        io.number(view.cursorA, 0, 131071);
        io.key("CursorB position");
        io.number(view.cursorB, 0, 131071);
        io.key("CursorT position");
        io.number(view.triggerCursor, 0, 131071);
        io.key("Screen  position");
        io.number(view.screenStart, 0, 131071);
        io.key("V1 position");
        io.number(view.column4);
        io.key("V2  position");
        io.number(view.column5);
        io.key("Chname  position");
        io.number(view.firstRow, 0, kShownTracks - 1);
        for (size_t k = 0; k < 24; ++k) {
            io.key("Ch_D" + std::to_string(k));
            io.text(s.tracks[v].name[k]);
        }
    }
    io.blank();                        // 18
    for (size_t i = 0; i < 48; ++i) {  // 19
        io.key("User color" + withSignBlank(static_cast<long long>(i)));
        io.number(s.colours.palette[i]);
    }
    const auto scolor = [&](size_t i) {
        io.key("Scolor" + withSignBlank(static_cast<long long>(i)));
        io.number(s.colours.entry[i]);
    };
    for (size_t i = 0; i <= 53; ++i)
        scolor(i);  // 20
    for (size_t i = 423; i <= 430; ++i)
        scolor(i);
    for (size_t i = 525; i <= 532; ++i)
        scolor(i);
    io.key("Scolor(541)");  // 21
    io.number(s.colours.entry[541]);
    io.key("Scolor(542)");
    io.number(s.colours.entry[542]);
    io.blank();         // 22
    io.key("Trans32");  // 23
    io.number(s.trans[32]);
    const auto trans = [&](size_t i) {  // 24
        io.key("Trans" + withSignBlank(static_cast<long long>(i)));
        io.number(s.trans[i]);
    };
    for (size_t i = 36; i <= 39; ++i)
        trans(i);
    for (size_t i = 0; i <= 7; ++i)
        trans(i);
    for (size_t i = 16; i <= 23; ++i)
        trans(i);
    io.blank();               // 25
    io.key("Trigger word0");  // 26
    io.text(s.settings.triggerWord);
    io.key("tool bar");  // 27: the status bar's mark, as the format has it
    io.truth(w.statusBar);
    io.key("status bar");  // 28
    io.truth(w.statusBar);
    io.key("time");  // 29
    io.truth(w.time);
    io.key("sample");
    io.truth(w.sample);
    io.key("fre");
    io.truth(w.frequency);
    io.key("mnuInternal");  // 30
    io.truth(w.internal);
    io.key("mnurising");  // 31
    io.truth(w.rising);
    io.key("mnurising");
    io.truth(w.falling);
    io.key("data2timing");  // 32
    io.truth(s.data2timing);
    io.key("data2timingbyauto");
    io.truth(s.data2timingbyauto);
    for (bool &open : w.viewOpen) {  // 33
        io.key("munTiming");
        io.truth(open);
    }
    io.key("timingpersistence");  // 34
    io.truth(w.persistence);
    io.key("refreshscreen");
    io.truth(w.refreshScreen);
    io.key("state");  // 35
    for (size_t g = 0; g < kGroups; ++g) {
        io.text(s.groups.name[g]);
        io.number(s.groups.base[g], 0, 7);
        io.number(s.groups.topBit[g], -1, 23);
        for (size_t i = 0; i < 32; ++i)
            io.number(s.groups.bitMap[g * 32 + i], 0, 23);
    }
    for (size_t v = 0; v < kMaxViews; ++v) {
        for (size_t c = 0; c < kStateColumns; ++c) {
            io.number(s.tracks[v].stateOff[c], 0, 1);
            io.number(s.tracks[v].stateGroup[c], 0, kGroups - 1);
        }
    }
    io.number(s.currentGroup, 0, kGroups - 1);
    io.number(s.currentMnemonic, 0, 255);
    io.key("statedis");  // 36
    io.truth(w.stateView);
    for (size_t p = 0; p < 256; ++p) {  // 37
        for (size_t u = 0; u < 4; ++u) {
            const size_t e = u * 256 + p;
            io.text(s.groups.patternText[e]);
            io.text(s.groups.mnemonicText[e]);
            for (size_t k = 0; k < 24; ++k)
                io.number(s.groups.patterns[e * 24 + k]);
            for (size_t k = 0; k < 8; ++k) {
                auto c = static_cast<uint8_t>(s.groups.characters[e * 8 + k]);
                io.number(c);
                s.groups.characters[e * 8 + k] = static_cast<char>(c);
            }
        }
    }
    io.key("searchgroup");  // 38
    for (auto &slot : s.searchSlots) {
        io.text(slot.word);
        io.number(slot.flag);
        io.text(slot.text);
    }
    io.number(s.searchOption);
    for (auto &name : s.channelNames)
        io.text(name);
    io.number(s.editedView, 0, kMaxViews - 1);
    for (size_t r = 0; r < kTracks; ++r) {  // 39
        for (size_t v = 0; v < kMaxViews; ++v) {
            io.number(s.tracks[v].content[r], 0, 189);
            io.number(s.tracks[v].off[r], 0, 1);
            io.number(s.tracks[v].height[r], 0, 5);
        }
    }
    for (int i = 0; i < 101; ++i) {  // 40
        io.key("spare");
        int16_t zero = 0;
        io.number(zero);
    }
}

}  // namespace

std::string writeSettings(const ProgramState &state, const WindowMarks &marks) {
    Writer out;
    out.line("Model=KV6830");
    out.line("AutoSavesetting=" + numberText(state.autoSaveSetting));
    out.line("AutoLoadsetting=" + numberText(state.autoLoadSetting));
    // The walk takes mutable references for the reader's sake; the writer only reads.
    ProgramState &s = const_cast<ProgramState &>(state);
    WindowMarks w = marks;
    records(out, s, w);
    return out.result();
}

SettingsReadResult readSettings(const std::string &text, bool defaultName, ProgramState &s,
                                WindowMarks &w) {
    SettingsReadResult r;
    Reader in(text);
    const std::string model = in.line();
    if (in.failed() || model.size() < 6 || model.substr(6) != "KV6830") {
        r.outcome = SettingsReadResult::Outcome::OtherModel;
        r.message = "Model or Version not match!!";
        r.line = 1;
        return r;
    }
    const auto flag = [&](const std::string &line, uint8_t &out) {
        long long v = 0;
        const std::string t = trimmed(line.size() > 16 ? line.substr(16) : "");
        auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (ec != std::errc() || ptr != t.data() + t.size() || v < 0 || v > 255) return false;
        out = static_cast<uint8_t>(v);
        return true;
    };
    uint8_t autoSave = 0, autoLoad = 0;
    const std::string line2 = in.line(), line3 = in.line();
    if (in.failed() || !flag(line2, autoSave) || !flag(line3, autoLoad)) {
        r.outcome = SettingsReadResult::Outcome::Error;
        r.line = in.failed() ? in.errorLine() : (flag(line2, autoSave) ? 3 : 2);
        r.message = in.failed() ? in.error() : "the AutoSavesetting or AutoLoadsetting value";
        return r;
    }
    if (defaultName && autoSave == 0) {
        s.autoSaveSetting = autoSave;
        s.autoLoadSetting = autoLoad;
        r.outcome = SettingsReadResult::Outcome::HeaderOnly;
        return r;
    }
    // Everything else goes into copies: a file that fails part way changes nothing. The
    // sample store is not part of the settings and stays where it is.
    CaptureArray samples = std::move(s.capture);
    auto copy = std::make_unique<ProgramState>(s);
    WindowMarks marks = w;
    records(in, *copy, marks);
    if (in.failed()) {
        s.capture = std::move(samples);
        r.outcome = SettingsReadResult::Outcome::Error;
        r.line = in.errorLine();
        r.message = in.error();
        return r;
    }
    copy->autoSaveSetting = autoSave;
    copy->autoLoadSetting = autoLoad;
    s = std::move(*copy);
    s.capture = std::move(samples);
    w = marks;
    r.outcome = SettingsReadResult::Outcome::Loaded;
    return r;
}

platform::WriteOutcome writeSettingsFile(const std::string &path, const ProgramState &s,
                                         const WindowMarks &w) {
    const std::string text = writeSettings(s, w);
    return platform::replaceFile(path, {{text.data(), text.size()}});
}

std::string saveSettingsFile(const std::string &path, const ProgramState &s, const WindowMarks &w) {
    const platform::WriteOutcome outcome = writeSettingsFile(path, s, w);
    return outcome.ok() ? std::string() : outcome.describe();
}

SettingsReadResult loadSettingsFile(const std::string &path, bool defaultName, ProgramState &s,
                                    WindowMarks &w, bool *existed) {
    SettingsReadResult r;
    const auto unreadable = [&r](const std::string &why) {
        r.outcome = SettingsReadResult::Outcome::Unreadable;
        r.message = why;
        return r;
    };
    struct stat info {};
    const bool found = ::stat(path.c_str(), &info) == 0;
    const int statError = errno;
    if (existed) *existed = found || (statError != ENOENT && statError != ENOTDIR);
    if (!found) {
        if (statError == ENOENT || statError == ENOTDIR) {
            r.outcome = SettingsReadResult::Outcome::Loaded;
            return r;
        }
        return unreadable(std::string("could not be read: ") + std::strerror(statError));
    }
    if (S_ISDIR(info.st_mode)) return unreadable("is a folder, not a settings file");
    if (!S_ISREG(info.st_mode)) return unreadable("is not a regular file, so not a settings file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return unreadable(std::string("could not be read: ") + std::strerror(errno));
    std::stringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return unreadable("could not be read to its end");
    const std::string text = buffer.str();
    if (text.empty()) return unreadable("is empty");
    return readSettings(text, defaultName, s, w);
}

}  // namespace kv::app
