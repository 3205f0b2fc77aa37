#pragma once

#include <QString>

namespace tarnwick {

class HistoryModel;
class Launcher;
class Prompts;

inline constexpr const char *kMakerSite = "https://www.quelvane.example/";
inline constexpr const char *kContactPage = "https://www.quelvane.example/contact";

// The history commands: view, copy and clear the history log, and the help message.
class HistoryController
{
public:
    HistoryController(HistoryModel &model, Prompts &prompts, Launcher &launcher);

    void setHistoryLogPath(const QString &path) { m_path = path; }
    const QString &historyLogPath() const { return m_path; }

    void PushButton1_Click(); // View History Log
    void PushButton2_Click(); // Copy History To Clipboard
    void PushButton12_Click(); // Clear History Log
    void PushButton11_Click(); // Help

private:
    HistoryModel &m_model;
    Prompts &m_prompts;
    Launcher &m_launcher;
    QString m_path;
};

} // namespace tarnwick
