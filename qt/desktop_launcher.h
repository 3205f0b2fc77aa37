#pragma once

#include "app/toolkit.h"

#include <QString>

namespace tarnwick {

// The desktop's text viewer (xdg-open) for the log, the desktop's handler for web addresses.
class DesktopLauncher final : public app::Launcher
{
public:
    explicit DesktopLauncher(QString textViewer = QStringLiteral("xdg-open"));

    void openTextFile(const std::string &path) override;
    void openUrl(const std::string &url) override;

private:
    QString m_textViewer;
};

} // namespace tarnwick
