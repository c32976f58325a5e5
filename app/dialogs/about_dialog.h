#pragma once

#include <QDialog>

namespace kv::app {

inline constexpr const char *kMakerWebAddress = "https://www.example.com/kv6830";

// frmAbout: model, version and the maker's web address (a click opens it).
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(const QString &model, QWidget *parent = nullptr);
};

}  // namespace kv::app
