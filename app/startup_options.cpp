#include "startup_options.h"

#include "procedure.h"
#include "settings.h"
#include "toolkit.h"

#include <exception>

namespace tarnwick::app {

StartupOptions::StartupOptions(View &view, Prompts &prompts, Settings &settings, Autostart &autostart,
                               std::function<bool()> formLoading)
    : m_view(view)
    , m_prompts(prompts)
    , m_settings(settings)
    , m_autostart(autostart)
    , m_formLoading(std::move(formLoading))
{
}

void StartupOptions::setCheck8(bool checked)
{
    if (checked == m_check8)
        return;
    m_view.setChecked(Control::Check8, checked);
    Check8_Click(checked);
}

void StartupOptions::setCheck8Visible(bool visible)
{
    m_check8Visible = visible;
    m_view.setVisible(Control::Check8, visible);
}

void StartupOptions::Check4_Click(bool checked)
{
    m_check4 = checked;
    if (m_formLoading && m_formLoading())
        return;
    Procedure procedure(m_prompts, Form1Location("Check4_Click"));
    if (checked) {
        procedure.step(100, [&] { setCheck8Visible(true); });
        procedure.step(102, [&] { m_settings.saveOnOff(SettingKey::WindowsStartup, true); });
        try {
            m_autostart.add();
        } catch (const std::exception &error) {
            // Not registered: say so, and put the box and the setting back to off.
            m_prompts.message(std::string("Tarnwick could not be set to start with your desktop session.\n") +
                              error.what());
            m_view.setChecked(Control::Check4, false);
            Check4_Click(false);
        }
    } else {
        procedure.step(100, [&] { setCheck8(false); });
        procedure.step(102, [&] { setCheck8Visible(false); });
        procedure.step(104, [&] { m_settings.saveOnOff(SettingKey::WindowsStartup, false); });
        try {
            m_autostart.remove();
        } catch (const std::exception &error) {
            m_prompts.message(std::string("Tarnwick could not be taken out of your desktop session's start-up.\n") +
                              error.what());
        }
    }
}

void StartupOptions::Check8_Click(bool checked)
{
    m_check8 = checked;
    Procedure procedure(m_prompts, Form1Location("Check8_Click"));
    procedure.step(100, [&] { m_settings.saveOnOff(SettingKey::Minimized, checked); });
}

void StartupOptions::restoreChecks()
{
    // As an assignment would, each runs its handler only when it changes the box.
    const bool check4 = m_settings.on(SettingKey::WindowsStartup);
    if (check4 != m_check4) {
        m_view.setChecked(Control::Check4, check4);
        Check4_Click(check4);
    }
    setCheck8(m_settings.on(SettingKey::Minimized));
    if (m_check4)
        restoreRegistration();
}

void StartupOptions::restoreRegistration()
{
    // The box says the program starts with the session: make it true where the entry went missing behind the
    // program's back (an uninstall and reinstall, a cleaning tool) or starts another executable (a moved program).
    try {
        if (m_autostart.registered())
            return;
        m_autostart.add();
    } catch (const std::exception &error) {
        // As when the box is ticked: say so, and the box and the setting go back to off.
        m_prompts.message(std::string("Tarnwick could not be set to start with your desktop session.\n") +
                          error.what());
        m_check4 = false;
        m_view.setChecked(Control::Check4, false);
        Procedure procedure(m_prompts, Form1Location("Check4_Click"));
        procedure.step(104, [&] { m_settings.saveOnOff(SettingKey::WindowsStartup, false); });
    }
}

bool StartupOptions::applyVisibility()
{
    setCheck8Visible(m_check4);
    return m_check4 && m_check8;
}

} // namespace tarnwick::app
