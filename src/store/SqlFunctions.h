#pragma once

#include <QSqlDatabase>

// Registers on the connection the SQL functions the program's statements use
// and SQLite lacks:
//   round(x, n, f)       rounds x to n decimals, or truncates when f is not 0
//   str(x [, len [, d]]) x rounded to d decimals (0), right-aligned in len
//                        characters (10); "*" * len when it does not fit
// Returns false when the connection is not an SQLite one.
bool RegisterSqlFunctions(const QSqlDatabase &db);
