#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM as a Qt signal: the handler only writes a byte into a
// pipe; the event loop reads it and emits stopRequested() on the GUI thread,
// between two events, never in the middle of a handler. The previous
// handlers come back when the object goes.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // Both signals are caught (false where the platform has no pipes).
    bool installed() const { return m_installed; }
    bool requested() const { return m_requested; }

Q_SIGNALS:
    void stopRequested();

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
    bool m_requested = false;
};
