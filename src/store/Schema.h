#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Catalogue look-ups (names compare without regard to case).
bool TableExists(const QSqlDatabase &db, const QString &table);
bool ColumnExists(const QSqlDatabase &db, const QString &table, const QString &column);
bool IndexExists(const QSqlDatabase &db, const QString &index);

// The statement that creates a named index of the program ("CREATE INDEX " +
// name, then "ON " + table and columns); empty for an unknown name.
QString IndexStatement(const QString &index);
// IX_Source_01..08, IX_Object_01..08, IX_Source_Tmp_01, IX_Object_Tmp_01, IX_URL_01.
QStringList IndexNames();

// Creates the base tables of a new database and the rows the program only
// ever updates. Returns false with the error text in *error.
bool CreateBaseSchema(const QSqlDatabase &db, QString *error);

// Brings the schema up to date, step by step; each step checks first and
// changes nothing when its table, column, index or row is there.
class SchemaMigration
{
public:
    explicit SchemaMigration(const QSqlDatabase &db) : m_db(db) {}

    // Runs every step in order; stops at the first failing statement.
    bool run();

    // Value of _Parameter NM 200 as read (or inserted as 0) by the migration.
    int hideNonUniqueFlag() const { return m_hideNonUnique; }
    // Text of the failing statement's error, when run() returned false.
    const QString &error() const { return m_error; }
    // Statements that changed the schema or rows, in order.
    const QStringList &executed() const { return m_executed; }

private:
    bool exec(const QString &statement);
    bool createTable(const QString &table, const QString &statement);
    bool addColumn(const QString &table, const QString &column, const QString &statement);
    bool createIndex(const QString &index);

    QSqlDatabase m_db;
    int m_hideNonUnique = 0;
    QString m_error;
    QStringList m_executed;
};
