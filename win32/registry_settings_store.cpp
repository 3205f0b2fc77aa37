#include "registry_settings_store.h"

#include "text.h"

#include "app/settings.h"

#include <stdexcept>

namespace tarnwick::win32 {

namespace {

class Key
{
public:
    Key() = default;
    ~Key()
    {
        if (handle != nullptr)
            ::RegCloseKey(handle);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;
    HKEY handle = nullptr;
};

} // namespace

RegistrySettingsStore::RegistrySettingsStore(HKEY root, std::wstring subkey)
    : m_root(root)
    , m_subkey(std::move(subkey))
{
    checkReadable();
}

std::string RegistrySettingsStore::where() const
{
    const std::string root = m_root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER"
        : m_root == HKEY_LOCAL_MACHINE                   ? "HKEY_LOCAL_MACHINE"
                                                         : "the registry";
    return root + "\\" + Narrow(m_subkey);
}

void RegistrySettingsStore::checkReadable()
{
    Key key;
    const LSTATUS opened = ::RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_QUERY_VALUE, &key.handle);
    if (opened == ERROR_FILE_NOT_FOUND)
        return; // a first run: nothing to read yet
    std::string reason;
    if (opened != ERROR_SUCCESS) {
        reason = ErrorText(static_cast<unsigned long>(opened));
    } else {
        for (const app::SettingDefinition &definition : app::SettingDefinitions()) {
            DWORD type = 0;
            const LSTATUS queried =
                ::RegQueryValueExW(key.handle, Wide(definition.name).c_str(), nullptr, &type, nullptr, nullptr);
            if (queried == ERROR_FILE_NOT_FOUND)
                continue;
            if (queried != ERROR_SUCCESS)
                reason = "\"" + std::string(definition.name) + "\": " + ErrorText(static_cast<unsigned long>(queried));
            else if (type != REG_SZ && type != REG_EXPAND_SZ)
                reason = "\"" + std::string(definition.name) + "\" is not a text value";
            if (!reason.empty())
                break;
        }
    }
    if (reason.empty())
        return;
    m_problem = "Your settings could not be read from " + where() + " (" + reason +
        "). Tarnwick starts with its defaults and leaves them as they are; changes made now last until Tarnwick ends.";
}

std::optional<std::string> RegistrySettingsStore::read(std::string_view key) const
{
    if (m_problem) {
        const auto it = m_memory.find(key);
        return it == m_memory.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    const std::wstring name = Wide(key);
    std::wstring value(64, L'\0');
    for (;;) {
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        const LSTATUS status =
            ::RegGetValueW(m_root, m_subkey.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                           nullptr, value.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            value.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        value.resize(bytes / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0')
            value.pop_back();
        std::string text = Narrow(value);
        m_memory.insert_or_assign(std::string(key), text);
        return text;
    }
}

void RegistrySettingsStore::write(std::string_view key, std::string_view text)
{
    m_memory.insert_or_assign(std::string(key), std::string(text));
    if (m_problem)
        return;
    Key opened;
    DWORD disposition = 0;
    LSTATUS status = ::RegCreateKeyExW(m_root, m_subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                       nullptr, &opened.handle, &disposition);
    auto set = [&](std::string_view name, std::string_view data) {
        const std::wstring value = Wide(data);
        return ::RegSetValueExW(opened.handle, Wide(name).c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    if (status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY) {
        // The key was deleted behind the program's back (or this is a first run): everything held goes back.
        for (const auto &[name, data] : m_memory) {
            if (status == ERROR_SUCCESS)
                status = set(name, data);
        }
    } else if (status == ERROR_SUCCESS) {
        status = set(key, text);
    }
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("The setting \"" + std::string(key) + "\" could not be saved in " + where() + ": " +
                                 ErrorText(static_cast<unsigned long>(status)) + ".");
}

} // namespace tarnwick::win32
