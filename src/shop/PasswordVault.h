#pragma once

#include <QByteArray>
#include <QString>

// Keeps the shop accounts' passwords in the database under AES-256-GCM with a
// key of this installation. The key is 32 random bytes in a file beside the
// database, readable by its owner only, made the first time a password is
// stored; the database alone never reveals a password.
//
// The stored text is Base64 of: a format byte, a 12-byte nonce, the cipher
// text and the 16-byte tag. The format byte and the member name are bound as
// associated data, so a stored form copied to another account, a changed
// byte or another installation's key all fail to open, and they fail as
// such: never as a wrong password.
class PasswordVault
{
public:
    // keyFile: the key's file; see keyFileBeside().
    explicit PasswordVault(const QString &keyFile);
    ~PasswordVault();
    PasswordVault(const PasswordVault &) = delete;
    PasswordVault &operator=(const PasswordVault &) = delete;

    // "stocksync.key" in the folder of the database file.
    static QString keyFileBeside(const QString &databasePath);
    const QString &keyFile() const { return m_keyFile; }

    enum class Failure {
        None,
        NoKey,      // the key file is missing: a database copied without it
        BadKeyFile, // the key file cannot be read or is not a key
        Unreadable, // not a stored form of this key and member name (tampered, moved, other key)
        Cipher,     // the cipher library failed
    };

    struct Sealed
    {
        QString text; // the stored form; empty on failure
        Failure failure = Failure::None;
        QString error; // why, for the user
        bool ok() const { return failure == Failure::None; }
    };
    struct Opened
    {
        QString password; // empty on failure
        Failure failure = Failure::None;
        QString error; // for the user: the password must be entered again
        bool ok() const { return failure == Failure::None; }
    };

    // The stored form of password for memberName (trimmed by the caller, as it
    // is saved). Makes the key file when there is none yet.
    Sealed seal(const QString &memberName, const QString &password);
    // The password back from its stored form. Never makes a key file.
    Opened open(const QString &memberName, const QString &stored);

    // The message for a stored password that cannot be read.
    static QString unreadableText(const QString &memberName);

private:
    // Loads the key (making it when create is set); None on success.
    Failure loadKey(bool create, QString *error);

    QString m_keyFile;
    QByteArray m_key; // cleared on destruction
};
