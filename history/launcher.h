#pragma once

#include <QString>
#include <QUrl>

namespace tarnwick {

// Starts the desktop's programs for the user. Tests replace it so that nothing is started.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Shows the text file in the desktop's text viewer without waiting for it. Throws std::runtime_error when
    // the viewer cannot be started.
    virtual void openTextFile(const QString &path) = 0;

    // Opens the address in the web browser. Throws std::runtime_error when it cannot be opened.
    virtual void openUrl(const QUrl &url) = 0;
};

// xdg-open here and Notepad on Windows for text files, the desktop's handler for addresses.
class DesktopLauncher final : public Launcher
{
public:
    DesktopLauncher();
    // A viewer program of the caller's choice, started as "<program> <path>".
    explicit DesktopLauncher(const QString &textViewer);

    void openTextFile(const QString &path) override;
    void openUrl(const QUrl &url) override;

    const QString &textViewer() const { return m_textViewer; }

private:
    QString m_textViewer;
};

} // namespace tarnwick
