#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnwick {

// Turns SIGTERM and SIGINT into a Qt signal on the UI thread, so the window closes the ordinary way.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tarnwick
