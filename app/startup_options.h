#pragma once

#include <functional>
#include <string_view>

namespace tarnwick::app {

class Autostart;
class Prompts;
class Settings;
class View;

// "Startup Options": start with the desktop session (Check4) and, then, start hidden in the tray (Check8). Where
// the window goes when minimised is WindowState's.
class StartupOptions
{
public:
    StartupOptions(View &view, Prompts &prompts, Settings &settings, Autostart &autostart,
                   std::function<bool()> formLoading);

    void Check4_Click(bool checked);
    void Check8_Click(bool checked);

    // Start-up: the boxes from their settings ("On" checks them, anything else not); with Check4 on, the entry that
    // starts the program with the session is written again where it is missing or starts another executable.
    void restoreChecks();
    // Start-up: Check8 shows only with Check4; true when the program is to start hidden in the tray.
    bool applyVisibility();

    bool check4() const { return m_check4; }
    bool check8() const { return m_check8; }
    bool check8Visible() const { return m_check8Visible; }

private:
    void restoreRegistration();
    void setCheck8(bool checked);
    void setCheck8Visible(bool visible);

    View &m_view;
    Prompts &m_prompts;
    Settings &m_settings;
    Autostart &m_autostart;
    std::function<bool()> m_formLoading;
    bool m_check4 = false;
    bool m_check8 = false;
    bool m_check8Visible = false;
};

} // namespace tarnwick::app
