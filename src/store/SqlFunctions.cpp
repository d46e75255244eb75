#include "store/SqlFunctions.h"

#include <QSqlDriver>
#include <QVariant>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace {

void sqlRound3(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 3 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool isInt = sqlite3_value_numeric_type(argv[0]) == SQLITE_INTEGER;
    const double x = sqlite3_value_double(argv[0]);
    const int n = sqlite3_value_int(argv[1]);
    const bool truncate = sqlite3_value_int(argv[2]) != 0;
    const double scale = std::pow(10.0, n);
    double r;
    if (truncate) {
        r = std::trunc(x * scale + (x >= 0 ? 1e-9 : -1e-9)) / scale;
    } else {
        // away from zero at the half, like the original engine
        r = std::round(x * scale) / scale;
    }
    if (isInt && n >= 0)
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    else if (isInt)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(r));
    else
        sqlite3_result_double(ctx, r);
}

void sqlStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const double x = sqlite3_value_double(argv[0]);
    int len = argc >= 2 ? sqlite3_value_int(argv[1]) : 10;
    int dec = argc >= 3 ? sqlite3_value_int(argv[2]) : 0;
    if (len <= 0 || len > 8000) {
        sqlite3_result_null(ctx);
        return;
    }
    if (dec < 0)
        dec = 0;
    if (dec > 16)
        dec = 16;
    char buf[512];
    // fewer decimals when the number needs the room, like the original engine
    for (int d = dec; d >= 0; --d) {
        const double scale = std::pow(10.0, d);
        const double v = std::round(x * scale) / scale;
        std::snprintf(buf, sizeof buf, "%.*f", d, v);
        if (static_cast<int>(std::strlen(buf)) <= len) {
            std::string s(static_cast<size_t>(len - static_cast<int>(std::strlen(buf))), ' ');
            s += buf;
            sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            return;
        }
    }
    const std::string stars(static_cast<size_t>(len), '*');
    sqlite3_result_text(ctx, stars.c_str(), static_cast<int>(stars.size()), SQLITE_TRANSIENT);
}

// normkey(x): the text without blanks at both ends, full-width letters,
// digits and signs (and the ideographic space) folded to half-width. The
// matching keys compare through it when the seller asks for it.
void sqlNormKey(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *in = static_cast<const char16_t *>(sqlite3_value_text16(argv[0]));
    const int bytes = sqlite3_value_bytes16(argv[0]);
    if (!in) {
        sqlite3_result_null(ctx);
        return;
    }
    const int n = bytes / 2;
    std::u16string out(in, in + n);
    for (char16_t &c : out) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c = static_cast<char16_t>(c - 0xFEE0);
        else if (c == 0x3000)
            c = u' ';
    }
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0; };
    size_t b = 0;
    size_t e = out.size();
    while (b < e && blank(out[b]))
        ++b;
    while (e > b && blank(out[e - 1]))
        --e;
    sqlite3_result_text16(ctx, out.data() + b, static_cast<int>((e - b) * 2), SQLITE_TRANSIENT);
}

} // namespace

bool RegisterSqlFunctions(const QSqlDatabase &db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.constData());
    if (!handle)
        return false;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    bool ok = sqlite3_create_function(handle, "round", 3, flags, nullptr, sqlRound3, nullptr, nullptr) ==
              SQLITE_OK;
    ok = ok && sqlite3_create_function(handle, "normkey", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, sqlNormKey, nullptr,
                                       nullptr) == SQLITE_OK;
    for (int n = 1; n <= 3; ++n)
        ok = ok && sqlite3_create_function(handle, "str", n, flags, nullptr, sqlStr, nullptr, nullptr) ==
                       SQLITE_OK;
    return ok;
}
