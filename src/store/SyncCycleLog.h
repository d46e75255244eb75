#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// One synchronisation cycle as TB_Sync_Cycle keeps it: the window's plan,
// the plan command and the sync command each write one row per cycle, and
// the journal rows of the cycle carry its id.
struct CycleRecord
{
    qint64 id = 0;
    QDateTime started;
    QDateTime ended;    // invalid while the cycle runs (or when it was killed)
    QString startedBy;  // "plan" (window or command) or "person" (sync)
    QString account;
    int downloaded = 0; // TB_Source rows after the cycle's download; 0 without one
    int differing = 0;
    int uploaded = 0;
    int refused = 0;
    QString held;       // the guardrail that held the cycle; empty when none did
    QString error;      // what ended the cycle early; empty when it completed
};

class SyncCycleLog
{
public:
    explicit SyncCycleLog(const QSqlDatabase &db) : m_db(db) {}

    // A new row for a cycle starting now; its id, or 0 with the engine's message.
    qint64 begin(const QString &startedBy, const QString &account, QString *error = nullptr);
    // Stores the counts, the guardrail, the error and the end time of record.id.
    bool finish(const CycleRecord &record, QString *error = nullptr);
    // Every row, oldest first.
    QList<CycleRecord> read(QString *error = nullptr) const;
    // TB_Source rows of the newest complete cycle with a download before
    // `before` (0: any); 0 when there is none.
    int previousDownload(qint64 before = 0) const;

private:
    QSqlDatabase m_db;
};
