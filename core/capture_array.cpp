// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/capture_array.h"

namespace kv::app {

void CaptureArray::allocate(int dataSets) {
    m_sets = dataSets;
    m_bytes.assign(
        kGuardBefore + kPlaneStride * kPlanesPerSet * static_cast<size_t>(dataSets) + kGuardAfter,
        0);
}

uint8_t *CaptureArray::plane(int set, int plane) {
    return m_bytes.data() + kGuardBefore +
           kPlaneStride * (static_cast<size_t>(set) * kPlanesPerSet + static_cast<size_t>(plane));
}

const uint8_t *CaptureArray::plane(int set, int plane) const {
    return const_cast<CaptureArray *>(this)->plane(set, plane);
}

}  // namespace kv::app
