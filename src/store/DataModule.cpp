#include "store/DataModule.h"

#include "store/Schema.h"
#include "store/SqlFunctions.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt g_connectionSerial;
}

TADOMain::TADOMain(const QString &dataDir, QObject *parent)
    : QObject(parent), m_path(databasePathFor(dataDir)),
      m_connection(QStringLiteral("TBData-%1").arg(g_connectionSerial.fetchAndAddRelaxed(1)))
{
}

TADOMain::~TADOMain()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
}

QString TADOMain::databasePathFor(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("TBData/TBData.db"));
}

QSqlDatabase TADOMain::ADOConn() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool TADOMain::DataModuleCreate()
{
    const QFileInfo file(m_path);
    const bool existed = file.exists();
    auto fail = [this](const QString &text) {
        m_openError = text;
        m_open = false;
        return false;
    };

    if (!existed && !QDir().mkpath(file.absolutePath()))
        return fail(QStringLiteral("无法创建数据文件夹: ") + QDir::toNativeSeparators(file.absolutePath()));
    if (existed && file.isDir())
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n这是一个文件夹."));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        return fail(QStringLiteral("无法加载数据库驱动 (SQLite)."));
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n") + db.lastError().text());

    // SQLite opens anything; the first read tells whether it is a database.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")) || !probe.next()) {
        const QString why = probe.lastError().text();
        probe.finish();
        db.close();
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n") + why);
    }
    const bool empty = probe.value(0).toInt() == 0;
    probe.finish();

    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.finish();
    RegisterSqlFunctions(db);
    m_open = true;

    if (!existed || empty) {
        QString error;
        if (!CreateBaseSchema(db, &error))
            return fail(QStringLiteral("无法创建数据库: ") + QDir::toNativeSeparators(m_path) +
                        QStringLiteral("\r\n") + error);
        m_createdNew = true;
    }

    SchemaMigration migration(db);
    const bool migrated = migration.run();
    m_hideNonUnique = migration.hideNonUniqueFlag();
    if (!migrated)
        m_migrationError = migration.error();
    return true;
}

bool TADOMain::openForReading()
{
    m_readOnly = true;
    auto fail = [this](const QString &text) {
        m_openError = text;
        m_open = false;
        return false;
    };
    const QFileInfo file(m_path);
    if (!file.isFile())
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n文件不存在."));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        return fail(QStringLiteral("无法加载数据库驱动 (SQLite)."));
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
    if (!db.open())
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n") + db.lastError().text());
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select ParaValue from _Parameter where NM=200"))) {
        const QString why = probe.lastError().text();
        probe.finish();
        db.close();
        return fail(QStringLiteral("无法打开数据库文件: ") + QDir::toNativeSeparators(m_path) +
                    QStringLiteral("\r\n") + why);
    }
    m_hideNonUnique = probe.next() ? probe.value(0).toString().trimmed().toInt() : 0;
    probe.finish();
    RegisterSqlFunctions(db);
    m_open = true;
    return true;
}
