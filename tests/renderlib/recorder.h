// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A drawing surface that writes down every call, one line of text per call.

#include <string>
#include <vector>

#include "out47.h"

namespace kvtest {

class Recorder {
  public:
    Recorder() {
        m_surface.user = this;
        m_surface.set_pixel = [](void *u, int x, int y, uint32_t c) {
            static_cast<Recorder *>(u)->add("pixel " + std::to_string(x) + " " + std::to_string(y) +
                                            " " + std::to_string(c));
        };
        m_surface.move_to = [](void *u, int x, int y) {
            static_cast<Recorder *>(u)->add("move " + std::to_string(x) + " " + std::to_string(y));
        };
        m_surface.line_to = [](void *u, int x, int y) {
            static_cast<Recorder *>(u)->add("line " + std::to_string(x) + " " + std::to_string(y));
        };
        m_surface.text_out = [](void *u, int x, int y, const char *text, int length) {
            static_cast<Recorder *>(u)->add("text " + std::to_string(x) + " " + std::to_string(y) +
                                            " " + std::string(text, static_cast<size_t>(length)));
        };
    }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    Out47Surface *surface() { return &m_surface; }
    std::vector<std::string> calls;

    // The calls whose text starts with `kind`.
    std::vector<std::string> only(const std::string &kind) const {
        std::vector<std::string> out;
        for (const auto &c : calls) {
            if (c.rfind(kind, 0) == 0) out.push_back(c);
        }
        return out;
    }

  private:
    void add(std::string s) { calls.push_back(std::move(s)); }
    Out47Surface m_surface{};
};

}  // namespace kvtest
