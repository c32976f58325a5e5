// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <vector>

#include "decode/decoding_session.h"
#include "decode/setup.h"
#include "timing/decoder_rows.h"

namespace kv::app {

// The protocol decoders of one view and what they read from the view's data set. Decoding
// runs on a thread of its own; the view keeps drawing the rows of the last run meanwhile.
class ViewDecoding : public QObject {
    Q_OBJECT
  public:
    explicit ViewDecoding(QObject *parent = nullptr);
    ~ViewDecoding() override;

    const std::vector<decode::DecoderStack> &stacks() const { return m_stacks; }
    // New decoders: the rows go and the next refresh decodes again.
    void setStacks(std::vector<decode::DecoderStack> stacks);
    // Starts decoding when the samples, the sample rate or the decoders changed since the
    // last run (the samples are compared with the copy that run took).
    void refresh(const std::array<const uint8_t *, 3> &planes, int64_t count, uint64_t sampleRate);
    const ViewAnnotations &annotations() const { return m_annotations; }
    bool busy() const { return m_busy; }
    // Waits for the running decoding (tests and benchmarks).
    void wait();

  signals:
    void decoded();
    // A decoder failed; the text names it.
    void failed(const QString &message);

  private:
    void finished(int generation, std::vector<decode::DecodeResult> results);

    std::vector<decode::DecoderStack> m_stacks;
    decode::DecodingSession m_session;
    std::array<std::vector<uint8_t>, 3> m_seen;
    uint64_t m_seenRate = 0;
    bool m_dirty = true;
    bool m_busy = false;
    ViewAnnotations m_annotations;
};

}  // namespace kv::app
