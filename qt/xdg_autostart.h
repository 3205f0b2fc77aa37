#pragma once

#include "app/toolkit.h"

#include <QString>

namespace tarnwick {

// Starting with the desktop session: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/tarnwick.desktop, that
// starts the given executable.
class XdgAutostart final : public app::Autostart
{
public:
    explicit XdgAutostart(QString executable);
    void add() override;
    void remove() override;

    QString entryPath() const;

private:
    QString m_executable;
};

} // namespace tarnwick
