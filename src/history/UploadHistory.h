#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The upload history as the seller reads it: the rows of the upload
// journal (TB_Upload_Journal) newest first, with the colour and size of the
// target row where it still exists, filtered by date range, account, kind,
// state and a keyword; and beside them the synchronisation cycles
// (TB_Sync_Cycle). Read-only: nothing here changes the journal.
struct HistoryFilter
{
    QDate from;       // invalid: no lower bound
    QDate to;         // invalid: no upper bound (the day itself is included)
    QString account;  // empty: every account
    QString kind;     // "quantity", "price", "list", "delist", "list_time"; empty: all
    QString state;    // "sent", "done", "refused", "unsettled"; empty: all
    QString keyword;  // in the title, item id, SKU id, colour, size or the platform's text
};

struct HistoryRow
{
    qint64 id = 0;
    QString at;        // "yyyy-MM-dd HH:mm:ss"
    QString account;
    QString numIid;
    QString skuId;
    QString title;
    QString color;     // empty when the target row is gone
    QString size;
    QString kind;
    QString mode;
    QString before;
    QString after;
    QString startedBy; // "plan", "person", "revert"
    QString state;
    QString message;   // the platform's text for a refusal
    qint64 cycleId = 0;
};

struct CycleRow
{
    qint64 id = 0;
    QString started;
    QString ended;
    QString startedBy;
    QString account;
    qint64 downloaded = 0;
    qint64 differing = 0;
    qint64 uploaded = 0;
    qint64 refused = 0;
    QString held;
    QString error;
};

class UploadHistory
{
public:
    explicit UploadHistory(const QSqlDatabase &db) : m_db(db) {}

    // Journal rows that pass the filter, newest first. Empty with *error
    // set when the query fails.
    QList<HistoryRow> rows(const HistoryFilter &filter, QString *error = nullptr) const;
    // The cycles, newest first; the filter's dates and account apply.
    QList<CycleRow> cycles(const HistoryFilter &filter = HistoryFilter(), QString *error = nullptr) const;
    // The accounts that appear in the journal, sorted.
    QStringList accounts() const;

    // Words for the seller.
    static QString kindText(const QString &kind);
    static QString stateText(const QString &state);
    static QString startedByText(const QString &startedBy);
    // The choices of the kind and state filters: (code, words), "" first for all.
    static QList<QPair<QString, QString>> kindChoices();
    static QList<QPair<QString, QString>> stateChoices();

    // The columns of the history list and of its CSV, and one row's cells.
    static QStringList captions();
    static QStringList cells(const HistoryRow &row);
    static QStringList cycleCaptions();
    static QStringList cycleCells(const CycleRow &row);

    // RFC 4180 CSV in UTF-8 (with a byte-order mark, so that spreadsheet
    // programs read the Chinese right), header line first, CR LF lines.
    static QByteArray csv(const QStringList &captions, const QList<QStringList> &rows);
    static QByteArray historyCsv(const QList<HistoryRow> &rows);
    static QByteArray cyclesCsv(const QList<CycleRow> &rows);
    // Tab-separated lines of the rows for the clipboard, without header.
    static QString copyText(const QList<HistoryRow> &rows);

private:
    QSqlDatabase m_db;
};
