#pragma once

#include <windows.h>

#include <string>

namespace tarnwick::win32 {

// One copy per user: a named mutex of the user's session, named after the user's SID.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this is the only copy. Otherwise the running copy's window is asked to come forward (it may still
    // be starting: it is waited for a few seconds) and false is returned.
    bool claim();

    static std::wstring mutexName();

private:
    HANDLE m_mutex = nullptr;
};

} // namespace tarnwick::win32
