#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

struct ItemRecord;

// What the downloads share: a reply's rows gather in a staging table beside
// the real one, and only a download that completes puts them in place, with
// its other changes, in one transaction. Any other end (an error reply, the
// network giving up, a database error, a cancel, a killed process) leaves the
// previous complete download as it was.

// A whole number of a reply field; nullopt when it is not one.
std::optional<qlonglong> ReplyWholeNumber(const QString &text);
// A money field of a reply, rounded to cents; nullopt when it is not a number.
std::optional<double> ReplyMoney(const QString &text);

// The rows of decoded items in a staging table with the columns of TB_Source
// and TB_Object: one row per SKU, or one per item without SKUs. The owner
// column is nick (the source side) or UserID (the target side). The two
// inserts are prepared once and serve every item of a reply.
class StagedItemRows
{
public:
    StagedItemRows(const QSqlDatabase &db, const QString &table, const QString &ownerColumn);

    // False when a number is not one or the insert fails; error() and
    // statement() say what and where.
    bool store(const ItemRecord &item, const QString &owner);
    const QString &error() const { return m_error; }
    const QString &statement() const { return m_statement; }

private:
    bool fail(const QString &why, const QString &statement);

    QString m_itemSql;
    QString m_skuSql;
    QSqlQuery m_item;
    QSqlQuery m_sku;
    QString m_error;
    QString m_statement;
};

// The one decoding loop of the downloads: the items of one reply, decoded
// with the easy-size setting as it is now (the user may switch it while a
// download runs), each stored as rows of the staging table in reply order,
// all inside one transaction.
struct ReplyItemSteps
{
    enum class Admit { Store, Skip, Stop };
    // Whether an item is stored, passed over, or ends the reply (nothing
    // after it is stored); every item is stored when not set.
    std::function<Admit(const ItemRecord &)> admit;
    // The owner column's value of the item's rows.
    std::function<QString(const ItemRecord &)> owner;
    // After the item's rows (the list entry refreshed); false with why and
    // statement set fails the reply.
    std::function<bool(const ItemRecord &, QString &why, QString &statement)> after;
    // A failure rolls the whole reply back; otherwise what came before it is
    // kept (the list entries keep their news; the staged rows count only
    // once the whole download has come in).
    bool rollBackOnFailure = false;
};

struct ReplyStored
{
    enum class Result { Ok, Stopped, Failed };
    Result result = Result::Ok;
    QString error;     // why it failed
    QString statement; // the statement that failed
};

ReplyStored StoreReplyItems(const QSqlDatabase &db, const QString &reply, const QString &staging,
                            const QString &ownerColumn, const ReplyItemSteps &steps);

// The finish of a download as one transaction: begin(), the steps, commit().
// A failing step rolls everything back; statement() and error() say which
// statement failed and why.
class StagedReplace
{
public:
    explicit StagedReplace(const QSqlDatabase &db);
    ~StagedReplace();

    bool begin();
    // One statement with its values bound in order.
    bool exec(const QString &sql, const QVariantList &values = {});
    // The staged rows into the table in the order they came, then the
    // staging table emptied.
    bool move(const QString &staging, const QString &table, const QString &columns);
    bool commit();
    // A step of the caller's own failed (on query() unless an error is given):
    // roll back, remember it.
    bool fail(const QString &statement, const QString &error = QString());

    QSqlQuery &query() { return m_query; }
    const QString &statement() const { return m_statement; }
    const QString &error() const { return m_error; }

private:
    QSqlDatabase m_db;
    QSqlQuery m_query;
    bool m_open = false;
    QString m_statement;
    QString m_error;
};
