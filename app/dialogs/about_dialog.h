// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "core/project.h"

namespace kv::app {

// The project's own address, kept in one place with its version.
inline constexpr const char *kMakerWebAddress = kv::kProjectAddress;

// frmAbout: model, version and the maker's web address (a click opens it).
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(const QString &model, QWidget *parent = nullptr);
};

}  // namespace kv::app
