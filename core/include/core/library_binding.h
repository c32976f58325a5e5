// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <string>

namespace kv::app {

// A shared library bound by name at the first call of each function: looked for next to
// the program (its ../lib and its own folder), then on the system path. A missing
// library or function is reported once through the error handler; the caller then gets a
// null function and returns its "nothing" value.
class LibraryBinding {
  public:
    using ErrorHandler = std::function<void(const std::string &)>;
    LibraryBinding(std::string fileName, ErrorHandler onError);
    ~LibraryBinding();
    LibraryBinding(const LibraryBinding &) = delete;
    LibraryBinding &operator=(const LibraryBinding &) = delete;

    void *function(const char *name);
    template <typename F>
    F as(const char *name) {
        return reinterpret_cast<F>(function(name));
    }
    bool loaded() const { return m_handle != nullptr; }
    const std::string &fileName() const { return m_fileName; }

  private:
    bool open();
    std::string m_fileName;
    ErrorHandler m_onError;
    void *m_handle = nullptr;
    bool m_tried = false;
    std::map<std::string, void *> m_functions;
};

// The folder of the running program.
std::string programDirectory();

}  // namespace kv::app
