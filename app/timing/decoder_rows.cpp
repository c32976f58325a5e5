// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder rows: which rows a view shows and where their annotations lie at a zoom.
#include "timing/decoder_rows.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "decode/annotation_writers.h"
#include "interop/time_scale.h"

namespace kv::app {

ViewAnnotations arrangeRows(std::vector<decode::DecodeResult> results) {
    ViewAnnotations view;
    view.results = std::move(results);
    for (size_t s = 0; s < view.results.size(); ++s) {
        const auto &r = view.results[s];
        for (const auto &name : r.rows) {
            DecodedRow row{int(s), name, {}};
            for (size_t i = 0; i < r.annotations.size(); ++i)
                if (r.annotations[i].decoder == name.decoder && r.annotations[i].row == name.row)
                    row.byStart.push_back(i);
            if (row.byStart.empty()) continue;
            std::stable_sort(row.byStart.begin(), row.byStart.end(), [&](size_t a, size_t b) {
                return r.annotations[a].start < r.annotations[b].start;
            });
            view.rows.push_back(std::move(row));
        }
    }
    return view;
}

std::string fittedText(const std::vector<std::string> &texts, int room,
                       const TextWidth &textWidth) {
    if (texts.empty() || room <= 0) return {};
    for (const auto &t : texts)
        if (textWidth(t) <= room) return t;
    std::string shortest = texts.back();
    for (size_t n = shortest.size(); n > 0; --n) {
        // Never cut inside a multi-byte character.
        if ((static_cast<unsigned char>(shortest[n]) & 0xC0) == 0x80) continue;
        std::string cut = shortest.substr(0, n) + "...";
        if (textWidth(cut) <= room) return cut;
    }
    return {};
}

std::vector<AnnotationBox> rowBoxes(const ViewAnnotations &view, const DecodedRow &row,
                                    double firstSample, double pixelsPerSample, int width,
                                    const TextWidth &textWidth) {
    std::vector<AnnotationBox> boxes;
    const auto &anns = view.results[size_t(row.stack)].annotations;
    const double lastSample = firstSample + width / pixelsPerSample;
    // The first annotation that may reach into the picture: one before the first that starts
    // in it (annotations of a row follow one another).
    auto it = std::lower_bound(row.byStart.begin(), row.byStart.end(), firstSample,
                               [&](size_t i, double s) { return double(anns[i].start) < s; });
    if (it != row.byStart.begin()) --it;
    for (; it != row.byStart.end(); ++it) {
        const decode::Annotation &a = anns[*it];
        if (double(a.start) > lastSample) break;
        if (double(a.end) < firstSample) continue;
        int x0 = int(std::floor((double(a.start) - firstSample) * pixelsPerSample));
        int x1 = int(std::ceil((double(a.end) - firstSample) * pixelsPerSample)) - 1;
        x1 = std::max(x1, x0);
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width - 1);
        if (!boxes.empty() && x1 <= boxes.back().x1) {
            boxes.back().text.clear();  // several annotations in one pixel column
            continue;
        }
        boxes.push_back({x0, x1, fittedText(a.texts, x1 - x0 - 3, textWidth), *it});
    }
    return boxes;
}

int boxAt(const std::vector<AnnotationBox> &boxes, int x) {
    for (size_t i = 0; i < boxes.size(); ++i)
        if (x >= boxes[i].x0 && x <= boxes[i].x1) return int(i);
    return -1;
}

}  // namespace kv::app

namespace kv::app {

std::vector<AnnotationEntry> annotationEntries(const ViewAnnotations &view, int64_t triggerSample,
                                               int64_t periodPs) {
    std::vector<AnnotationEntry> out;
    for (const DecodedRow &row : view.rows) {
        const auto &anns = view.results[size_t(row.stack)].annotations;
        for (size_t i : row.byStart) {
            out.push_back({anns[i].start,
                           interop::secondsText((anns[i].start - triggerSample) * periodPs),
                           row.name.title, anns[i].text()});
        }
    }
    std::stable_sort(
        out.begin(), out.end(),
        [](const AnnotationEntry &a, const AnnotationEntry &b) { return a.start < b.start; });
    return out;
}

std::vector<size_t> findAnnotations(const std::vector<AnnotationEntry> &entries,
                                    const std::string &needle) {
    auto lower = [](std::string s) {
        for (char &c : s)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string n = lower(needle);
    std::vector<size_t> out;
    if (n.empty()) return out;
    for (size_t i = 0; i < entries.size(); ++i)
        if (lower(entries[i].text).find(n) != std::string::npos) out.push_back(i);
    return out;
}

}  // namespace kv::app

namespace kv::app {

std::string annotationListCsv(const std::vector<AnnotationEntry> &entries) {
    std::string out = "Time (s),Row,Text\n";
    for (const auto &e : entries)
        out += e.time + ',' + decode::csvField(e.row) + ',' + decode::csvField(e.text) + '\n';
    return out;
}

}  // namespace kv::app
