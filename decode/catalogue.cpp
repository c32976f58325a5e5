// SPDX-License-Identifier: GPL-3.0-or-later
// The installed decoders as the decoding library describes them.
#include "decode/catalogue.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "library_lock.h"

namespace kv::decode {

namespace {

std::string text(const char *s) {
    return s ? s : "";
}

OptionValue fromVariant(GVariant *v) {
    if (!v) return std::string();
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_INT64)) return int64_t(g_variant_get_int64(v));
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_DOUBLE)) return g_variant_get_double(v);
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_STRING))
        return std::string(g_variant_get_string(v, nullptr));
    return std::string();
}

std::vector<ChannelInfo> channelsOf(const GSList *list) {
    std::vector<ChannelInfo> out;
    for (const GSList *l = list; l; l = l->next) {
        auto *ch = static_cast<const srd_channel *>(l->data);
        out.push_back({text(ch->id), text(ch->name), text(ch->desc)});
    }
    return out;
}

std::vector<std::string> stringsOf(const GSList *list) {
    std::vector<std::string> out;
    for (const GSList *l = list; l; l = l->next)
        out.push_back(text(static_cast<char *>(l->data)));
    return out;
}

DecoderInfo describe(const srd_decoder *d) {
    DecoderInfo info;
    info.id = text(d->id);
    info.name = text(d->name);
    info.longName = text(d->longname);
    info.desc = text(d->desc);
    info.inputs = stringsOf(d->inputs);
    info.outputs = stringsOf(d->outputs);
    info.channels = channelsOf(d->channels);
    info.optionalChannels = channelsOf(d->opt_channels);
    for (const GSList *l = d->options; l; l = l->next) {
        auto *o = static_cast<const srd_decoder_option *>(l->data);
        OptionInfo opt{text(o->id), text(o->desc), fromVariant(o->def), {}};
        for (const GSList *v = o->values; v; v = v->next)
            opt.values.push_back(fromVariant(static_cast<GVariant *>(v->data)));
        info.options.push_back(std::move(opt));
    }
    for (const GSList *l = d->annotations; l; l = l->next) {
        // Each class is a pair of texts, its id and its description.
        auto **pair = static_cast<char **>(l->data);
        info.annotationClasses.push_back(text(pair[1] ? pair[1] : pair[0]));
    }
    std::vector<bool> placed(info.annotationClasses.size(), false);
    for (const GSList *l = d->annotation_rows; l; l = l->next) {
        auto *r = static_cast<const srd_decoder_annotation_row *>(l->data);
        RowInfo row{text(r->id), text(r->desc), {}};
        for (const GSList *c = r->ann_classes; c; c = c->next) {
            int cls = GPOINTER_TO_INT(c->data);
            row.classes.push_back(cls);
            if (cls >= 0 && size_t(cls) < placed.size()) placed[size_t(cls)] = true;
        }
        info.rows.push_back(std::move(row));
    }
    // Classes no declared row takes get a row each, so that nothing a decoder says is lost.
    for (size_t c = 0; c < placed.size(); ++c) {
        if (!placed[c])
            info.rows.push_back({"class" + std::to_string(c), info.annotationClasses[c], {int(c)}});
    }
    return info;
}

std::string g_initError;
std::vector<DecoderInfo> g_catalogue;

}  // namespace

std::mutex &libraryLock() {
    static std::mutex lock;
    return lock;
}

std::string optionText(const OptionValue &value) {
    if (auto *i = std::get_if<int64_t>(&value)) return std::to_string(*i);
    if (auto *d = std::get_if<double>(&value)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", *d);
        return buffer;
    }
    return std::get<std::string>(value);
}

const OptionInfo *DecoderInfo::option(const std::string &optionId) const {
    for (const auto &o : options)
        if (o.id == optionId) return &o;
    return nullptr;
}

int DecoderInfo::channelIndex(const std::string &channelId) const {
    int i = 0;
    for (const auto &c : channels) {
        if (c.id == channelId) return i;
        ++i;
    }
    for (const auto &c : optionalChannels) {
        if (c.id == channelId) return i;
        ++i;
    }
    return -1;
}

bool DecoderInfo::takesSamples() const {
    return std::find(inputs.begin(), inputs.end(), "logic") != inputs.end();
}

std::string initialise(const std::string &extraPath) {
    static std::once_flag once;
    std::call_once(once, [&] {
        std::lock_guard guard(libraryLock());
        // Only errors reach the log; a decoding run collects them itself.
        srd_log_loglevel_set(SRD_LOG_ERR);
        int rc = srd_init(extraPath.empty() ? nullptr : extraPath.c_str());
        if (rc != SRD_OK) {
            g_initError = std::string("the decoding library did not start: ") + srd_strerror(rc);
            return;
        }
        srd_decoder_load_all();
        for (const GSList *l = srd_decoder_list(); l; l = l->next)
            g_catalogue.push_back(describe(static_cast<const srd_decoder *>(l->data)));
        std::sort(g_catalogue.begin(), g_catalogue.end(),
                  [](const DecoderInfo &a, const DecoderInfo &b) { return a.id < b.id; });
        if (g_catalogue.empty()) g_initError = "no protocol decoders are installed";
    });
    return g_initError;
}

const std::vector<DecoderInfo> &catalogue() {
    initialise();
    return g_catalogue;
}

const DecoderInfo *findDecoder(const std::string &id) {
    for (const auto &d : catalogue())
        if (d.id == id) return &d;
    return nullptr;
}

std::vector<const DecoderInfo *> stackableOn(const DecoderInfo &below) {
    std::vector<const DecoderInfo *> out;
    for (const auto &d : catalogue()) {
        for (const auto &in : d.inputs) {
            if (std::find(below.outputs.begin(), below.outputs.end(), in) != below.outputs.end()) {
                out.push_back(&d);
                break;
            }
        }
    }
    return out;
}

}  // namespace kv::decode
