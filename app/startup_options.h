#pragma once

#include <QObject>

#include <functional>

namespace tarnwick {

class Autostart;
class MainWindow;
class Prompts;
class Settings;

// "Startup Options": start with the desktop session (Check4) and, then, start hidden in the tray (Check8).
class StartupOptions : public QObject
{
    Q_OBJECT
public:
    StartupOptions(MainWindow &window, Settings &settings, Prompts &prompts, Autostart &autostart,
                   std::function<bool()> formLoading, QObject *parent = nullptr);

    void Check4_Click();
    void Check8_Click();

    // Start-up: the boxes from their settings ("On" checks them, anything else not).
    void restoreChecks();
    // Start-up: Check8 shows only with Check4; true when the program is to start hidden.
    bool applyVisibility();

private:
    MainWindow &m_window;
    Settings &m_settings;
    Prompts &m_prompts;
    Autostart &m_autostart;
    std::function<bool()> m_formLoading;
};

} // namespace tarnwick
