#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// "Delete From table where Uniqid in (...)" with every id bound; the error
// text goes to error on failure.
bool DeleteByUniqid(const QSqlDatabase &db, const QString &table, const QVariantList &uniqids,
                    QString *error);
