#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <future>

// The outcome of a count read aside.
struct AsideCount
{
    int rows = 0;  // the statement's rows, counted up to the limit + 1
    QString error; // not empty: the statement failed
};

// Counts the rows of a read-only statement on a connection of its own to the
// same database file, on a pool thread, so that the window goes on while it
// runs: a grouping over a whole table takes a few hundred milliseconds at
// 100 000 rows. The connection sees what was committed when the statement
// starts. Counting stops at limit + 1 rows. A database without a file of its
// own (in memory) is read on the caller's connection before this returns.
std::shared_future<AsideCount> CountRowsAside(const QSqlDatabase &db, const QString &sql,
                                              const QVariantList &values, int limit);
