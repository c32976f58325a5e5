// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library_binding.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace kv::app {

std::string programDirectory() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, static_cast<size_t>(n));
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

LibraryBinding::LibraryBinding(std::string fileName, ErrorHandler onError)
    : m_fileName(std::move(fileName)), m_onError(std::move(onError)) {}

LibraryBinding::~LibraryBinding() = default;  // stays loaded for the life of the process

bool LibraryBinding::open() {
    if (m_tried) return m_handle != nullptr;
    m_tried = true;
    const std::string dir = programDirectory();
    for (const std::string &candidate :
         {dir + "/../lib/" + m_fileName, dir + "/" + m_fileName, m_fileName}) {
        m_handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle) return true;
    }
    const char *why = ::dlerror();
    if (m_onError) {
        m_onError("The library " + m_fileName + " could not be loaded" +
                  (why ? std::string(": ") + why : std::string(".")));
    }
    return false;
}

void *LibraryBinding::function(const char *name) {
    auto found = m_functions.find(name);
    if (found != m_functions.end()) return found->second;
    void *f = open() ? ::dlsym(m_handle, name) : nullptr;
    if (!f && m_handle && m_onError) {
        m_onError("The function " + std::string(name) + " is missing from " + m_fileName + ".");
    }
    m_functions.emplace(name, f);
    return f;
}

}  // namespace kv::app
