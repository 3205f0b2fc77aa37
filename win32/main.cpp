#include "adapters.h"
#include "main_window.h"
#include "message_box_prompts.h"
#include "registry_settings_store.h"
#include "run_key_autostart.h"
#include "single_instance.h"
#include "system_locale.h"
#include "text.h"
#include "tray_icon.h"

#include "app/application.h"
#include "app/system_clock.h"
#include "app/system_random_draw.h"
#include "app/thread_worker.h"
#include "core/paths.h"

#include <objbase.h>
#include <ole2.h>

#include <exception>

namespace {

int run(HINSTANCE instance)
{
    using namespace tarnwick;
    using namespace tarnwick::win32;

    SingleInstance single;
    if (!single.claim())
        return 0; // the running copy shows its window

    // the folder browser is a COM dialog of this thread
    ::OleInitialize(nullptr);

    MainWindow window(instance);
    const HWND handle = window.handle();
    MessageBoxPrompts prompts(handle);
    RegistrySettingsStore settings;
    app::SystemClock clock;
    app::SystemRandomDraw random;
    Launcher launcher(handle);
    Clipboard clipboard(handle);
    RunKeyAutostart autostart(ExecutablePath());
    const auto trayPicture =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    TrayIcon tray(handle, kTrayCallback, trayPicture);
    Timer timer(handle, kTimer1);
    app::ThreadWorker worker([handle](std::function<void()> done) { PostToWindow(handle, std::move(done)); });

    int status = 0;
    {
        app::Application application(app::Services {
            window,
            prompts,
            launcher,
            clipboard,
            clock,
            random,
            autostart,
            tray,
            timer,
            worker,
            settings,
            UserLocale(),
            ApplicationFolder(),
            TemporaryFolder(),
            &DesktopFolder,
        });
        window.connectTo(application, &prompts, &tray);

        application.Form_Load();
        // asked to close while a report of the start-up was open: the loop below closes at once
        if (!window.closeRequested())
            application.showWindow();

        MSG message;
        BOOL got;
        while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
            if (got == -1)
                break;
            if (window.handle() != nullptr && ::IsDialogMessageW(window.handle(), &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (got == 0)
            status = static_cast<int>(message.wParam);
        application.Form_QueryUnload();
    }
    if (trayPicture != nullptr)
        ::DestroyIcon(trayPicture);
    ::OleUninitialize();
    return status;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    try {
        return run(instance);
    } catch (const std::exception &error) {
        ::MessageBoxW(nullptr, tarnwick::win32::Wide(error.what()).c_str(), L"Tarnwick", MB_OK | MB_ICONERROR);
        return 1;
    }
}
