// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <QCommandLineParser>

#include "core/project.h"
#include "decode/catalogue.h"
#include "decode/decoder_text.h"
#include "interop/sample_set.h"

namespace kv::cli {
namespace {

const char *const kDescription =
    "Captures from a KV-6830 unit (or the simulated one named by KV6830_SIMULATE) without\n"
    "the window, and writes each capture to the files given with --output: the extension\n"
    "chooses the kind (.osv data file with its .cfg settings file, .vcd, .csv, .txt text\n"
    "table). A series of captures (--count) numbers the files: run.vcd becomes run-0.vcd,\n"
    "run-1.vcd, ...\n"
    "\n"
    "Exit codes: 0 done, 1 a library failed, 2 bad argument (nothing touched), 3 no unit,\n"
    "4 time-out waiting for the trigger, 5 a file could not be written, 6 the unit stopped\n"
    "answering, 7 a protocol decoder failed.";

// Every option of the tool: add a new one here and read it in readOptions().
struct Options {
    QCommandLineOption list{"list", "Lists the units found and exits."};
    QCommandLineOption output{{"o", "output"},
                              "Writes each capture to <file> (.osv, .vcd, .csv or .txt); may be "
                              "given more than once.",
                              "file"};
    QCommandLineOption rate{{"r", "rate"},
                            "Sample rate as the Parameters window lists it: 100MSa(10ns) .. "
                            "5KSa(200us), by rate (1MSa) or period (1us). Default 100MSa.",
                            "rate",
                            "100MSa"};
    QCommandLineOption memory{
        {"m", "memory"}, "Memory depth: 2k or 128k. Default 2k.", "depth", "2k"};
    QCommandLineOption threshold{{"t", "threshold"},
                                 "Threshold voltage, -1 V to 3 V in 50 mV steps (1.4, 800mV). "
                                 "Default 1.4 V.",
                                 "volts",
                                 "1.4"};
    QCommandLineOption trigger{{"w", "trigger-word"},
                               "Trigger word, D23 first: 24 of 0, 1, X (blanks or _ between "
                               "them allowed). Default all X: free run.",
                               "word",
                               "XXXXXXXXXXXXXXXXXXXXXXXX"};
    QCommandLineOption condition{
        "condition",
        "Trigger when the word becomes true (true, the default) or stops being true (false).",
        "true|false", "true"};
    QCommandLineOption position{"trigger-position",
                                "Trigger position in samples from the record's start "
                                "(0..2015 for 2k, 0..131039 for 128k). Default 60.",
                                "samples", "60"};
    QCommandLineOption clock{"clock", "Clock source: internal, rising or falling (external).",
                             "source", "internal"};
    QCommandLineOption count{
        {"n", "count"}, "Number of captures; 1 (the default) is a Single capture.", "number", "1"};
    QCommandLineOption timeout{"timeout",
                               "Seconds to wait for the trigger of each capture; then exit 4, "
                               "or force the trigger with --force. Default 10.",
                               "seconds", "10"};
    QCommandLineOption force{"force", "Forces the trigger at the time-out instead of failing."};
    QCommandLineOption vcdChannels{"vcd-channels-only",
                                   "Leaves the group vectors out of .vcd files, for tools that "
                                   "read one-bit wires only (sigrok-cli of Debian 12)."};
    QCommandLineOption decode{
        "decode",
        "Decodes each capture with a protocol decoder: NAME:channel=D<n>,option=value,... "
        "(e.g. uart:rx=D11,baudrate=250000; stacked decoders joined by +); may be given "
        "more than once.",
        "decoder"};
    QCommandLineOption annotations{"annotations",
                                   "Writes the decoders' annotations to <file>: .txt as "
                                   "sigrok-cli prints them, .csv with times from the "
                                   "trigger. Default: standard output, as text.",
                                   "file"};
};

std::optional<int> integerOf(const QString &text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// Reads and checks the values; the first problem found is the error.
std::string readOptions(const QCommandLineParser &p, const Options &o, CaptureRequest &r) {
    const auto value = [&p](const QCommandLineOption &option) {
        return p.value(option).toStdString();
    };
    if (auto code = rateCodeOf(value(o.rate)))
        r.rateCode = *code;
    else
        return "unknown rate \"" + value(o.rate) + "\": give one of 100MSa .. 5KSa, e.g. 1MSa";
    const QString depth = p.value(o.memory).toLower();
    if (depth == "2k" || depth == "128k")
        r.depthIndex = depth == "128k" ? 1 : 0;
    else
        return "unknown memory depth \"" + value(o.memory) + "\": give 2k or 128k";
    if (auto code = thresholdCodeOf(value(o.threshold)))
        r.thresholdCode = *code;
    else
        return "threshold \"" + value(o.threshold) +
               "\" is not a voltage from -1 V to 3 V in steps of 50 mV";
    if (auto word = triggerWordOf(value(o.trigger)))
        r.triggerWord = *word;
    else
        return "trigger word \"" + value(o.trigger) + "\" is not 24 characters of 0, 1 and X";
    const QString condition = p.value(o.condition).toLower();
    if (condition == "true" || condition == "false")
        r.slope = condition == "true" ? 0 : 1;
    else
        return "trigger condition \"" + value(o.condition) + "\" is neither true nor false";
    const QString clock = p.value(o.clock).toLower();
    if (clock == "internal" || clock == "rising" || clock == "falling")
        r.clockSource = clock == "internal" ? 0 : clock == "rising" ? 1 : 2;
    else
        return "clock source \"" + value(o.clock) + "\" is not internal, rising or falling";
    const int32_t last = lastTriggerPosition(r.depthIndex);
    if (auto n = integerOf(p.value(o.position), 0, last))
        r.triggerPosition = *n;
    else
        return "trigger position \"" + value(o.position) + "\" is not a whole number from 0 to " +
               std::to_string(last);
    if (auto n = integerOf(p.value(o.count), 1, 1000000))
        r.count = *n;
    else
        return "count \"" + value(o.count) + "\" is not a whole number from 1 on";
    if (auto n = integerOf(p.value(o.timeout), 1, 86400))
        r.timeoutMs = *n * 1000;
    else
        return "time-out \"" + value(o.timeout) +
               "\" is not a whole number of seconds from 1 to 86400";
    r.forceOnTimeout = p.isSet(o.force);
    r.vcdChannelsOnly = p.isSet(o.vcdChannels);
    for (const QString &path : p.values(o.output)) {
        const auto kind = outputKindOf(path.toStdString());
        if (!kind)
            return "output \"" + path.toStdString() + "\" does not end in .osv, .vcd, .csv or .txt";
        r.outputs.push_back({path.toStdString(), *kind});
    }
    for (const QString &text : p.values(o.decode)) {
        if (const std::string why = decode::initialise(); !why.empty())
            return "protocol decoding is not available: " + why;
        const decode::DecoderTextParse parsed =
            decode::parseDecoderText(text.toStdString(), interop::defaultChannelNames());
        if (!parsed.error.empty()) return "decoder \"" + text.toStdString() + "\": " + parsed.error;
        r.decoders.push_back(parsed.stack);
    }
    if (p.isSet(o.annotations)) {
        r.annotations = value(o.annotations);
        const auto kind = outputKindOf(r.annotations);
        if (kind != OutputKind::Text && kind != OutputKind::Csv)
            return "annotations \"" + r.annotations + "\" do not end in .txt or .csv";
        if (r.decoders.empty()) return "--annotations needs a --decode";
    }
    if (r.outputs.empty() && r.decoders.empty())
        return "no output file: give at least one --output (or a --decode)";
    return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments) {
    ParsedCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const Options o;
    parser.addOptions({o.list, o.output, o.rate, o.memory, o.threshold, o.trigger, o.condition,
                       o.position, o.clock, o.count, o.timeout, o.force, o.vcdChannels, o.decode,
                       o.annotations});
    if (!parser.parse(arguments)) {
        result.text = parser.errorText().toStdString();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.text = "unexpected argument \"" +
                      parser.positionalArguments().first().toStdString() +
                      "\"; files are given with --output";
        return result;
    }
    if (parser.isSet(help)) {
        result.action = ParsedCommandLine::Action::ShowText;
        result.text = parser.helpText().toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = ParsedCommandLine::Action::ShowText;
        result.text = std::string("kv6830-capture ") + kProjectVersion + "\n";
        return result;
    }
    if (parser.isSet(o.list)) {
        result.action = ParsedCommandLine::Action::List;
        return result;
    }
    result.text = readOptions(parser, o, result.request);
    if (result.text.empty()) result.action = ParsedCommandLine::Action::Capture;
    return result;
}

}  // namespace kv::cli
