#pragma once

#include <QSqlDatabase>
#include <QString>

// The Tools menu's database commands, without asking: the caller asks first.
class DatabaseMaintenance
{
public:
    explicit DatabaseMaintenance(const QSqlDatabase &db) : m_db(db) {}

    // Creates the first five indexes of TB_Source and TB_Object that are
    // missing. Returns the number created, or -1 with the engine's message
    // in *error.
    int optimise(QString *error);
    // The database engine is part of the program: nothing to install.
    static QString providerNote(const QString &productName);

private:
    QSqlDatabase m_db;
};
