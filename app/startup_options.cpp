#include "startup_options.h"

#include "autostart.h"
#include "error_report.h"
#include "main_window.h"
#include "prompts.h"
#include "settings.h"

#include <QCheckBox>

using namespace Qt::StringLiterals;

namespace tarnwick {

StartupOptions::StartupOptions(MainWindow &window, Settings &settings, Prompts &prompts, Autostart &autostart,
                               std::function<bool()> formLoading, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_autostart(autostart)
    , m_formLoading(std::move(formLoading))
{
    connect(m_window.Check4, &QCheckBox::toggled, this, &StartupOptions::Check4_Click);
    connect(m_window.Check8, &QCheckBox::toggled, this, &StartupOptions::Check8_Click);
}

void StartupOptions::Check4_Click()
{
    if (m_formLoading && m_formLoading())
        return;
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.Check4_Click "_s);
    if (m_window.Check4->isChecked()) {
        procedure.step([&] { m_window.Check8->setVisible(true); });
        procedure.step([&] { m_settings.save(SettingKey::WindowsStartup, u"On"_s); });
        try {
            m_autostart.add();
        } catch (const std::exception &error) {
            // Not registered: say so, and put the box and the setting back to off.
            m_prompts.message(u"Tarnwick could not be set to start with your desktop session.\n"_s +
                              QString::fromUtf8(error.what()));
            m_window.Check4->setChecked(false);
        }
    } else {
        procedure.step([&] { m_window.Check8->setChecked(false); });
        procedure.step([&] { m_window.Check8->setVisible(false); });
        procedure.step([&] { m_settings.save(SettingKey::WindowsStartup, u"Off"_s); });
        try {
            m_autostart.remove();
        } catch (const std::exception &error) {
            m_prompts.message(u"Tarnwick could not be taken out of your desktop session's start-up.\n"_s +
                              QString::fromUtf8(error.what()));
        }
    }
}

void StartupOptions::Check8_Click()
{
    Procedure procedure(m_prompts, u"Tarnwick2021/08/31.Form1.Check8_Click "_s);
    procedure.step([&] { m_settings.save(SettingKey::Minimized, m_window.Check8->isChecked() ? u"On"_s : u"Off"_s); });
}

void StartupOptions::restoreChecks()
{
    m_window.Check4->setChecked(m_settings.value(SettingKey::WindowsStartup) == u"On"_s);
    m_window.Check8->setChecked(m_settings.value(SettingKey::Minimized) == u"On"_s);
}

bool StartupOptions::applyVisibility()
{
    if (!m_window.Check4->isChecked()) {
        m_window.Check8->setVisible(false);
        return false;
    }
    m_window.Check8->setVisible(true);
    return m_window.Check8->isChecked();
}

} // namespace tarnwick
