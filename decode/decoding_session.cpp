// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding off the caller's thread.
#include "decode/decoding_session.h"

namespace kv::decode {

DecodingSession::~DecodingSession() {
    cancel();
}

void DecodingSession::cancel() {
    if (m_cancel) m_cancel->store(true);
    if (m_thread.joinable()) m_thread.join();
}

int DecodingSession::start(std::vector<DecoderStack> stacks,
                           const std::array<const uint8_t *, 3> &planes, int64_t first,
                           int64_t count, uint64_t sampleRate,
                           std::function<void(int, std::vector<DecodeResult>)> done) {
    cancel();
    int generation = ++m_generation;
    std::array<std::vector<uint8_t>, 3> copy;
    for (size_t p = 0; p < 3; ++p)
        copy[p].assign(planes[p] + first, planes[p] + first + count);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    m_cancel = stop;
    m_running = ended;
    m_thread = std::thread(
        [=, copy = std::move(copy), stacks = std::move(stacks), done = std::move(done)] {
            std::vector<DecodeResult> results;
            std::array<const uint8_t *, 3> p{copy[0].data(), copy[1].data(), copy[2].data()};
            for (const auto &stack : stacks) {
                results.push_back(decodePlanes(stack, p, 0, count, sampleRate, stop.get()));
                if (stop->load()) break;
            }
            ended->store(true);
            if (!stop->load()) done(generation, std::move(results));
        });
    return generation;
}

}  // namespace kv::decode
