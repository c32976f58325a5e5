// SPDX-License-Identifier: GPL-3.0-or-later
// A view's decoders: decoding when the data changes, the result back on the window thread.
#include "timing/view_decoding.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <cstring>

namespace kv::app {

ViewDecoding::ViewDecoding(QObject *parent) : QObject(parent) {}

ViewDecoding::~ViewDecoding() {
    m_session.cancel();
}

void ViewDecoding::setStacks(std::vector<decode::DecoderStack> stacks) {
    m_session.cancel();
    m_busy = false;
    m_stacks = std::move(stacks);
    m_annotations = {};
    m_dirty = true;
}

void ViewDecoding::refresh(const std::array<const uint8_t *, 3> &planes, int64_t count,
                           uint64_t sampleRate) {
    if (m_stacks.empty() || count <= 0) return;
    bool same = !m_dirty && sampleRate == m_seenRate;
    for (size_t p = 0; same && p < 3; ++p)
        same = m_seen[p].size() == size_t(count) &&
               std::memcmp(m_seen[p].data(), planes[p], size_t(count)) == 0;
    if (same) return;
    m_dirty = false;
    m_seenRate = sampleRate;
    for (size_t p = 0; p < 3; ++p)
        m_seen[p].assign(planes[p], planes[p] + count);
    m_busy = true;
    m_session.start(m_stacks, planes, 0, count, sampleRate,
                    [this](int generation, std::vector<decode::DecodeResult> results) {
                        QMetaObject::invokeMethod(
                            this,
                            [this, generation, results = std::move(results)]() mutable {
                                finished(generation, std::move(results));
                            },
                            Qt::QueuedConnection);
                    });
}

void ViewDecoding::finished(int generation, std::vector<decode::DecodeResult> results) {
    if (generation != m_session.generation()) return;  // a later run is on its way
    m_busy = false;
    QString errors;
    for (auto &r : results) {
        if (!r.error.empty()) {
            errors += (errors.isEmpty() ? "" : "\n") + QString::fromStdString(r.error);
            r.annotations.clear();
        }
    }
    m_annotations = arrangeRows(std::move(results));
    emit decoded();
    if (!errors.isEmpty()) emit failed(errors);
}

void ViewDecoding::wait() {
    while (m_busy) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

}  // namespace kv::app
