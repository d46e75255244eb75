#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The settings table _Parameter: one text value per integer key NM.

// ParaValue of the row with key NM, or an empty text when there is none.
QString GetParam(const QSqlDatabase &db, int key);
// The row's value, or nullopt when there is no row (or it cannot be read).
std::optional<QString> ReadParam(const QSqlDatabase &db, int key);
bool ParamExists(const QSqlDatabase &db, int key);
// Updates the row's value; a key without a row stores nothing. Returns true
// unless the statement itself fails.
bool SetParam(const QSqlDatabase &db, int key, const QString &value);
// Inserts the row when it is missing (value and description as given).
// Returns true when it inserted.
bool InsertParamIfMissing(const QSqlDatabase &db, int key, const QString &value, const QString &description);
