// SPDX-License-Identifier: GPL-3.0-or-later
// One decoding run through the decoding library: the stack's instances in a fresh session,
// the samples fed in chunks, the annotations collected as the decoders put them out.
#include "decode/decoding.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "library_lock.h"

namespace kv::decode {

namespace {

constexpr int64_t kChunk = 16384;  // samples per call, so that a cancel is seen soon

// Collects the run's annotations and error messages; the decoders call in on their own
// threads, one at a time while the run waits for them.
struct Collector {
    std::map<const srd_decoder_inst *, int> position;  // instance -> index in the stack
    std::vector<std::vector<int>> rowOfClass;          // per stack index
    std::vector<Annotation> annotations;
    std::vector<std::string> names;  // the instance name each decoder's output carries
    std::string log;
    std::mutex logLock;  // the decoders' threads write the log while the run reads it
    bool hasLog() {
        std::lock_guard guard(logLock);
        return !log.empty();
    }
};

Collector *g_current = nullptr;  // guarded by the library lock

void onAnnotation(srd_proto_data *pdata, void *data) {
    auto *c = static_cast<Collector *>(data);
    auto it = c->position.find(pdata->pdo->di);
    if (it == c->position.end()) return;
    auto *ann = static_cast<const srd_proto_data_annotation *>(pdata->data);
    Annotation a;
    a.start = int64_t(pdata->start_sample);
    a.end = int64_t(pdata->end_sample);
    a.decoder = it->second;
    if (c->names[size_t(a.decoder)].empty() && pdata->pdo->di->inst_id)
        c->names[size_t(a.decoder)] = pdata->pdo->di->inst_id;
    a.annClass = ann->ann_class;
    const auto &rows = c->rowOfClass[size_t(a.decoder)];
    a.row = (a.annClass >= 0 && size_t(a.annClass) < rows.size()) ? rows[size_t(a.annClass)] : 0;
    for (char **t = ann->ann_text; t && *t; ++t)
        a.texts.emplace_back(*t);
    c->annotations.push_back(std::move(a));
}

int onLog(void *, int level, const char *format, va_list args) {
    if (level > SRD_LOG_ERR || !g_current) return SRD_OK;
    char buffer[2048];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    std::lock_guard guard(g_current->logLock);
    if (!g_current->log.empty()) g_current->log += '\n';
    g_current->log += buffer;
    return SRD_OK;
}

// The last line of the library's error text: the Python exception itself.
std::string lastLine(const std::string &log) {
    std::string s = log;
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    auto nl = s.rfind('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

GVariant *toVariant(const OptionValue &v) {
    if (auto *i = std::get_if<int64_t>(&v)) return g_variant_new_int64(*i);
    if (auto *d = std::get_if<double>(&v)) return g_variant_new_double(*d);
    return g_variant_new_string(std::get<std::string>(v).c_str());
}

using Feed = std::function<void(int64_t from, int64_t n, uint8_t *out)>;

DecodeResult run(const DecoderStack &stack, int64_t count, uint64_t sampleRate,
                 const std::atomic<bool> *cancel, const Feed &feed) {
    DecodeResult result;
    result.rows = rowsOf(stack);
    if (std::string why = initialise(); !why.empty()) {
        result.error = why;
        return result;
    }
    if (stack.empty()) return result;
    for (const auto &s : stack) {
        if (!findDecoder(s.id)) {
            result.error = "Decoder " + s.id + ": no such decoder is installed";
            return result;
        }
    }

    std::lock_guard guard(libraryLock());
    Collector collector;
    g_current = &collector;
    srd_log_callback_set(onLog, nullptr);
    srd_session *session = nullptr;
    std::string failing;  // the decoder to blame for a failure outside decoding
    auto fail = [&](const std::string &id, const std::string &what) {
        std::string detail = lastLine(collector.log);
        result.error = "Decoder " + id + ": " + (detail.empty() ? what : detail);
    };

    srd_session_new(&session);
    srd_pd_output_callback_add(session, SRD_OUTPUT_ANN, onAnnotation, &collector);

    srd_decoder_inst *below = nullptr;
    bool ok = true;
    for (size_t i = 0; i < stack.size() && ok; ++i) {
        const DecoderSetup &setup = stack[i];
        const DecoderInfo *info = findDecoder(setup.id);
        GHashTable *options =
            g_hash_table_new_full(g_str_hash, g_str_equal, g_free, (GDestroyNotify)g_variant_unref);
        for (const auto &[key, value] : setup.options)
            g_hash_table_insert(options, g_strdup(key.c_str()),
                                g_variant_ref_sink(toVariant(value)));
        srd_decoder_inst *di = srd_inst_new(session, setup.id.c_str(), options);
        g_hash_table_destroy(options);
        if (!di) {
            fail(setup.id, "its options were refused");
            ok = false;
            break;
        }
        collector.position[di] = int(i);
        std::vector<int> rowOfClass(info->annotationClasses.size(), 0);
        for (size_t r = 0; r < info->rows.size(); ++r)
            for (int cls : info->rows[r].classes)
                if (cls >= 0 && size_t(cls) < rowOfClass.size()) rowOfClass[size_t(cls)] = int(r);
        collector.rowOfClass.push_back(std::move(rowOfClass));
        collector.names.push_back(di->inst_id ? di->inst_id : setup.id);
        if (i == 0) {
            GHashTable *channels = g_hash_table_new_full(g_str_hash, g_str_equal, g_free,
                                                         (GDestroyNotify)g_variant_unref);
            for (const auto &[key, unit] : setup.channels)
                g_hash_table_insert(channels, g_strdup(key.c_str()),
                                    g_variant_ref_sink(g_variant_new_int32(unit)));
            int rc = srd_inst_channel_set_all(di, channels);
            g_hash_table_destroy(channels);
            if (rc != SRD_OK) {
                fail(setup.id, "its channels were refused");
                ok = false;
            }
        } else if (srd_inst_stack(session, below, di) != SRD_OK) {
            fail(setup.id, "it cannot take the output of " + stack[i - 1].id);
            ok = false;
        }
        below = di;
    }

    // The instances take the sample rate as they are when it is set.
    if (ok)
        srd_session_metadata_set(session, SRD_CONF_SAMPLERATE, g_variant_new_uint64(sampleRate));
    if (ok && srd_session_start(session) != SRD_OK) {
        fail(stack.front().id, "it did not start");
        ok = false;
    }
    std::vector<uint8_t> buffer(size_t(std::min(count, kChunk)) * 3);
    for (int64_t from = 0; ok && from < count; from += kChunk) {
        if (cancel && cancel->load()) {
            result.cancelled = true;
            break;
        }
        int64_t n = std::min(kChunk, count - from);
        feed(from, n, buffer.data());
        int rc = srd_session_send(session, uint64_t(from), uint64_t(from + n), buffer.data(),
                                  uint64_t(n) * 3, 3);
        if (rc != SRD_OK || collector.hasLog()) ok = false;
    }
    // Ending the session waits for the decoders' threads, so that every message of a
    // decoder that failed is in before the failure is told.
    srd_session_terminate_reset(session);
    srd_session_destroy(session);
    if (!collector.log.empty() && !result.cancelled) ok = false;
    if (!ok && result.error.empty()) {
        // Which decoder failed: the library names the instance in its message.
        std::string blame = stack.front().id;
        for (const auto &s : stack)
            if (collector.log.find(s.id) != std::string::npos) blame = s.id;
        fail(blame, "it stopped with an error");
    }
    srd_log_callback_set_default();
    g_current = nullptr;

    if (!result.error.empty() || result.cancelled) {
        result.annotations.clear();
        return result;
    }
    // Decoders stacked on others may put out an annotation after the ones it came from;
    // the list is kept in output order, as a reader of the decoders' text expects.
    result.annotations = std::move(collector.annotations);
    for (auto &row : result.rows)
        row.decoderId = collector.names[size_t(row.decoder)];
    return result;
}

}  // namespace

std::vector<RowName> rowsOf(const DecoderStack &stack) {
    std::vector<RowName> rows;
    for (size_t i = 0; i < stack.size(); ++i) {
        const DecoderInfo *info = findDecoder(stack[i].id);
        if (!info) continue;
        for (size_t r = 0; r < info->rows.size(); ++r)
            rows.push_back({int(i), int(r), info->id, info->name + ": " + info->rows[r].desc});
    }
    return rows;
}

DecodeResult decodeWords(const DecoderStack &stack, const uint32_t *words, int64_t count,
                         uint64_t sampleRate, const std::atomic<bool> *cancel) {
    return run(stack, count, sampleRate, cancel, [words](int64_t from, int64_t n, uint8_t *out) {
        for (int64_t s = 0; s < n; ++s) {
            uint32_t w = words[from + s];
            out[3 * s] = uint8_t(w);
            out[3 * s + 1] = uint8_t(w >> 8);
            out[3 * s + 2] = uint8_t(w >> 16);
        }
    });
}

DecodeResult decodePlanes(const DecoderStack &stack, const std::array<const uint8_t *, 3> &planes,
                          int64_t first, int64_t count, uint64_t sampleRate,
                          const std::atomic<bool> *cancel) {
    return run(stack, count, sampleRate, cancel,
               [&planes, first](int64_t from, int64_t n, uint8_t *out) {
                   for (int64_t s = 0; s < n; ++s) {
                       int64_t i = first + from + s;
                       out[3 * s] = planes[0][i];
                       out[3 * s + 1] = planes[1][i];
                       out[3 * s + 2] = planes[2][i];
                   }
               });
}

}  // namespace kv::decode
