#pragma once

#include "app/toolkit.h"

#include <QString>

namespace tarnwick {

// Starting with the desktop session: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/tarnwick.desktop, that
// starts the given executable. It counts as registered when its Exec line starts this executable; the desktop's own
// switch for the entry (Hidden, X-GNOME-Autostart-enabled) is the user's and is left alone.
class XdgAutostart final : public app::Autostart
{
public:
    explicit XdgAutostart(QString executable);
    bool registered() const override;
    void add() override;
    void remove() override;

    QString entryPath() const;

private:
    QString m_executable;
};

} // namespace tarnwick
