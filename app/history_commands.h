#pragma once

#include <string>
#include <string_view>

namespace tarnwick::app {

class Clipboard;
class Launcher;
class Prompts;
class View;

inline constexpr std::string_view kMakerSite = "https://www.quelvane.example/";
inline constexpr std::string_view kContactPage = "https://www.quelvane.example/contact";

// The history commands: view, copy and clear the history log, and the help message. The log is only ever
// opened the safe way (core/history_log.h), so nothing planted at its path can block the window.
class HistoryCommands
{
public:
    HistoryCommands(View &view, Prompts &prompts, Launcher &launcher, Clipboard &clipboard);

    void setHistoryLogPath(std::string path) { m_path = std::move(path); }
    const std::string &historyLogPath() const { return m_path; }

    void PushButton1_Click(); // View History Log
    void PushButton2_Click(); // Copy History To Clipboard
    void PushButton12_Click(); // Clear History Log
    void PushButton11_Click(); // Help

private:
    View &m_view;
    Prompts &m_prompts;
    Launcher &m_launcher;
    Clipboard &m_clipboard;
    std::string m_path;
};

} // namespace tarnwick::app
