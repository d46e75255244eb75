#pragma once

#include <QSqlDatabase>
#include <QString>

class Interaction;

// The Tools menu's database commands.
class DatabaseMaintenance
{
public:
    DatabaseMaintenance(const QSqlDatabase &db, Interaction &ui) : m_db(db), m_ui(ui) {}

    // Asks first; creates the first five indexes of TB_Source and TB_Object
    // that are missing. Returns the number created (-1 when declined).
    int optimise();
    // The database engine is part of the program: nothing to install.
    void registerProvider(const QString &productName);

private:
    QSqlDatabase m_db;
    Interaction &m_ui;
};
