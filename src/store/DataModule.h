#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

// The data module: owns the program's one database connection, opens the
// file TBData/TBData.db under the data folder and brings its schema up to date.
class TADOMain : public QObject
{
    Q_OBJECT
public:
    // dataDir is the folder that holds TBData/ (the program folder by default).
    explicit TADOMain(const QString &dataDir, QObject *parent = nullptr);
    ~TADOMain() override;

    static QString databasePathFor(const QString &dataDir);

    // Opens (creating a new file when there is none) and migrates. On a
    // failure to open it returns false with the message in openError(): the
    // program must end without a main window. A failing migration step
    // leaves its message in migrationError() and start-up goes on with the
    // schema as far as it got.
    bool DataModuleCreate();
    // Opens an existing database for reading only, beside another copy of
    // the program that holds the folder and writes: no schema is created or
    // migrated, nothing is written; every read sees what was committed.
    bool openForReading();
    bool readOnly() const { return m_readOnly; }
    const QString &openError() const { return m_openError; }
    const QString &migrationError() const { return m_migrationError; }

    QSqlDatabase ADOConn() const;
    const QString &databasePath() const { return m_path; }
    // _Parameter NM 200 as the migration found or inserted it.
    int hideNonUniqueFlag() const { return m_hideNonUnique; }
    bool isOpen() const { return m_open; }
    // True when DataModuleCreate made a new database file.
    bool createdNew() const { return m_createdNew; }

private:
    QString m_path;
    QString m_openError;
    QString m_migrationError;
    QString m_connection;
    int m_hideNonUnique = 0;
    bool m_open = false;
    bool m_createdNew = false;
    bool m_readOnly = false;
};
