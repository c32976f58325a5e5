// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tests of file permissions mean nothing to root, who may write anything: those tests run
// as the ordinary user "nobody" when started as root.
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kv::test {

inline constexpr uid_t kOrdinaryUser = 65534;  // nobody
inline constexpr gid_t kOrdinaryGroup = 65534;

// Makes the rest of this process run as an ordinary user when it runs as root. Returns an
// empty text when the process is (now) an ordinary user, else why it cannot become one.
inline std::string becomeOrdinaryUser() {
    if (::geteuid() != 0) return {};
    if (::setgroups(0, nullptr) != 0 ||
        ::setresgid(kOrdinaryGroup, kOrdinaryGroup, kOrdinaryGroup) != 0 ||
        ::setresuid(kOrdinaryUser, kOrdinaryUser, kOrdinaryUser) != 0) {
        return std::string("running as root, and the user nobody cannot be taken on: ") +
               std::strerror(errno);
    }
    return {};
}

}  // namespace kv::test
