// SPDX-License-Identifier: GPL-3.0-or-later
// The routines written for speed against the plain versions, on seeded random data.
#include <gtest/gtest.h>

#include <random>

#include "listing.h"
#include "recorder.h"
#include "reference.h"
#include "search.h"
#include "tables.h"
#include "track.h"

using namespace kvtest;

namespace {

// Planes of runs of random length, so both long constant stretches and busy ones occur.
std::vector<uint8_t> runs(std::mt19937 &rng, size_t n, int maxRun, int alphabet) {
    std::vector<uint8_t> p(n);
    std::uniform_int_distribution<int> run(1, maxRun), value(0, alphabet - 1);
    size_t i = 0;
    while (i < n) {
        const auto v = static_cast<uint8_t>(value(rng) * (255 / std::max(alphabet - 1, 1)));
        for (int k = run(rng); k > 0 && i < n; --k)
            p[i++] = v;
    }
    return p;
}

void randomTables(std::mt19937 &rng, Tables &t) {
    std::uniform_int_distribution<int> channel(-2, 25), top(-1, 31), base(0, 8), pick(0, 9);
    for (int g = 0; g < 30; ++g) {
        t.base[g] = base(rng);
        t.top[g] = top(rng);
        for (int i = 0; i < 32; ++i)
            t.map[g * 32 + i] = channel(rng);
    }
    const uint8_t choices[] = {0, 0, 0, 0, '0', '1', '0', '1', 'x', 7};
    for (auto &b : t.patterns)
        b = choices[pick(rng)];
    for (auto &c : t.chars)
        c = static_cast<char>('a' + pick(rng));
}

}  // namespace

TEST(AgainstReference, DrawLaAtEveryZoomAndBase) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 6; ++round) {
        const size_t n = 160'000;
        const auto p0 = runs(rng, n, round % 2 ? 400 : 6, 4);
        const auto p1 = runs(rng, n, 50, 3);
        const auto p2 = runs(rng, n, 3000, 2);
        Tables tables;
        randomTables(rng, tables);
        std::uniform_int_distribution<int> width(0, 600), fine(-3, 60), h(-5, 20), start(1, 1000),
            bit(0, 7), group(0, 29);
        for (int zoom = 0; zoom <= 12; ++zoom) {
            for (int kind = 0; kind < 4; ++kind) {
                kv::render::TrackArgs a;
                Recorder fast, plain;
                a.zoom = zoom;
                a.width = width(rng);
                a.fine = fine(rng);
                a.h = h(rng);
                a.start = start(rng);
                a.y0 = 40;
                a.colour = 0x123456;
                a.groups = tables.view();
                a.planes[0] = p0.data();
                a.planes[1] = p1.data();
                a.planes[2] = p2.data();
                if (kind == 0) {
                    a.selector = 30 + bit(rng);
                    a.plane = (round % 3 == 0 ? p2 : p0).data();
                    a.bit = bit(rng);
                } else {
                    a.selector = group(rng);
                }
                a.dc = fast.surface();
                kv::render::drawTrack(a);
                a.dc = plain.surface();
                kv::render::drawTrackReference(a);
                ASSERT_EQ(fast.calls, plain.calls)
                    << "round " << round << " zoom " << zoom << " selector " << a.selector
                    << " base " << (a.selector < 30 ? tables.base[a.selector] : -1) << " h " << a.h
                    << " width " << a.width << " fine " << a.fine;
            }
        }
    }
}

TEST(AgainstReference, SearchVdataEverywhere) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::uniform_int_distribution<int> countOf(1, 3000);
        const int count = round < 3 ? round + 1 : countOf(rng);
        const auto p0 = runs(rng, static_cast<size_t>(count), round % 5 + 1, 3);
        const auto p1 = runs(rng, static_cast<size_t>(count), 20, 2);
        const auto p2 = runs(rng, static_cast<size_t>(count), 200, 2);
        for (int k = 0; k < 30; ++k) {
            kv::render::SearchArgs a;
            a.planes[0] = p0.data();
            a.planes[1] = p1.data();
            a.planes[2] = p2.data();
            std::uniform_int_distribution<int> at(0, count - 1);
            const int from = at(rng);
            a.value = static_cast<uint32_t>(p2[static_cast<size_t>(at(rng))]) << 16 |
                      static_cast<uint32_t>(p1[static_cast<size_t>(at(rng))]) << 8 |
                      p0[static_cast<size_t>(at(rng))];
            const uint32_t masks[] = {0,        0xFFFF00, 0x00FF00,
                                      0xFFFFFF, 0x0F0F0F, static_cast<uint32_t>(rng()) & 0xFFFFFF};
            a.mask = masks[k % 6];
            a.backward = k % 2;
            a.start = k % 7 == 0 ? count - 1 : from;
            a.count = count;
            ASSERT_EQ(kv::render::searchSamples(a), kv::render::searchSamplesReference(a))
                << "count " << count << " start " << a.start << " back " << a.backward;
        }
    }
}

TEST(AgainstReference, StateListing) {
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        Tables tables;
        randomTables(rng, tables);
        // Make some entries match often: short patterns over few bits.
        for (int e = 0; e < 20; ++e)
            tables.mnemonic(e % 4, e * 3, e % 2 ? "1" : "0-1", "match!!!");
        const auto p0 = runs(rng, 20, 2, 4), p1 = runs(rng, 20, 3, 3), p2 = runs(rng, 20, 1, 2);
        const uint8_t *planes[3] = {p0.data(), p1.data(), p2.data()};
        std::vector<uint8_t> v1(2400, 0xCC), v2(2400, 0xCC);
        std::vector<char> b1(600 * 32, '?'), b2(600 * 32, '?');
        std::vector<int32_t> m1(600, -7), m2(600, -7);
        kv::render::ListingOutput fast{v1.data(), b1.data(), m1.data()};
        kv::render::ListingOutput plain{v2.data(), b2.data(), m2.data()};
        kv::render::stateListing(tables.view(), planes, fast);
        kv::render::stateListingReference(tables.view(), planes, plain);
        ASSERT_EQ(v1, v2) << round;
        ASSERT_EQ(b1, b2) << round;
        ASSERT_EQ(m1, m2) << round;
    }
}
