// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::app {

// The program's store of samples: planes of 1024 x 257 bytes, eleven planes per data
// set, one data set per timing view. Planes 0..2 of a data set hold its last capture.
// Guard room before and after the whole store lets the renderer read a little before a
// record's first sample and well past its last without leaving owned memory.
class CaptureArray {
  public:
    static constexpr size_t kPlaneStride = 1024 * 257;  // 263 168: the data file relies on it
    static constexpr int kPlanesPerSet = 11;
    static constexpr size_t kGuardBefore = 4096;
    // DrawLa reads up to (width + 150) x 200 samples past its start.
    static constexpr size_t kGuardAfter = (8192 + 200) * 200;

    void allocate(int dataSets);
    int dataSets() const { return m_sets; }
    uint8_t *plane(int set, int plane);
    const uint8_t *plane(int set, int plane) const;

  private:
    std::vector<uint8_t> m_bytes;
    int m_sets = 0;
};

}  // namespace kv::app
