// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library_binding.h"
#include "out47.h"

namespace kv::app {

// The render library bound by name (libout47.so): the entry points the views call.
class RenderLibrary {
  public:
    explicit RenderLibrary(LibraryBinding::ErrorHandler onError)
        : m_library("libout47.so", std::move(onError)) {}

    decltype(&::DrawLa) drawLa() { return m_library.as<decltype(&::DrawLa)>("DrawLa"); }
    decltype(&::statedraw) statedraw() { return m_library.as<decltype(&::statedraw)>("statedraw"); }
    decltype(&::GetVbarData) getVbarData() {
        return m_library.as<decltype(&::GetVbarData)>("GetVbarData");
    }

    decltype(&::SearchVdata) searchVdata() {
        return m_library.as<decltype(&::SearchVdata)>("SearchVdata");
    }

    decltype(&::vc_savedata) saveData() {
        return m_library.as<decltype(&::vc_savedata)>("vc_savedata");
    }
    decltype(&::vc_loaddata) loadData() {
        return m_library.as<decltype(&::vc_loaddata)>("vc_loaddata");
    }

  private:
    LibraryBinding m_library;
};

}  // namespace kv::app
