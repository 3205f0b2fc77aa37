#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnwick {

// SIGTERM, SIGINT and SIGHUP (a logout, a service manager, Ctrl+C, a closed terminal) as a Qt signal on the UI
// thread. The handlers are installed first thing in main(), so that a request made at any moment, before the event
// loop runs or while a modal dialog is open, is kept and ends the program.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; call before anything else.
    static void install();
    // Whether termination was asked for.
    static bool requested();

    // Delivers the requests to terminationRequested() from the event loop on.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tarnwick
