#pragma once

#include <QString>

namespace tarnwick {

// Registers this program to start with the user's desktop session. Both calls throw std::runtime_error with a
// description when they fail.
class Autostart
{
public:
    virtual ~Autostart() = default;
    virtual void add() = 0;
    virtual void remove() = 0;
};

// Linux: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/tarnwick.desktop, that starts the given executable.
// Windows: the current user's Run key, under the executable's file name.
class DesktopAutostart : public Autostart
{
public:
    explicit DesktopAutostart(QString executable);
    void add() override;
    void remove() override;

    // Where the entry lives (Linux), or the registry value's name (Windows).
    QString entryPath() const;
    const QString &executable() const { return m_executable; }

private:
    QString m_executable;
};

// The executable as one argument of a desktop entry's Exec key: quoted, with the characters that the entry
// format and its quoting rules treat specially escaped.
QString DesktopExecArgument(const QString &path);

// The text of the autostart entry.
QString AutostartEntry(const QString &executable);

} // namespace tarnwick
