#include "shop/PasswordVault.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace {

constexpr int kKeySize = 32;
constexpr int kNonceSize = 12;
constexpr int kTagSize = 16;
constexpr char kFormat = '\x01';

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX *c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// What the tag covers besides the cipher text: the format byte and the
// member name, so that a stored form only opens for the account it was made for.
QByteArray associatedData(const QString &memberName)
{
    return QByteArray(1, kFormat) + memberName.toUtf8();
}

void wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        OPENSSL_cleanse(bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.clear();
}

QString keyFileName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

PasswordVault::PasswordVault(const QString &keyFile) : m_keyFile(keyFile) {}

PasswordVault::~PasswordVault()
{
    wipe(m_key);
}

QString PasswordVault::keyFileBeside(const QString &databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("stocksync.key"));
}

QString PasswordVault::unreadableText(const QString &memberName)
{
    return QStringLiteral("店铺帐号\"") + memberName +
           QStringLiteral("\"保存的密码无法读取,请在\"店铺帐号管理\"中修改该帐号,重新输入密码.");
}

PasswordVault::Failure PasswordVault::loadKey(bool create, QString *error)
{
    if (m_key.size() == kKeySize)
        return Failure::None;

    if (!QFile::exists(m_keyFile)) {
        if (!create) {
            *error = QStringLiteral("本机没有保存密码用的密钥文件 ") + keyFileName(m_keyFile) +
                     QStringLiteral(" (数据库可能是从别处复制来的).");
            return Failure::NoKey;
        }
        QByteArray fresh(kKeySize, '\0');
        if (RAND_bytes(reinterpret_cast<unsigned char *>(fresh.data()), kKeySize) != 1) {
            *error = QStringLiteral("无法生成密钥.");
            return Failure::Cipher;
        }
        // Written whole under a temporary name, then renamed into place
        // without replacing: a key file that appeared meanwhile wins.
        QFile temp(m_keyFile + QStringLiteral(".new"));
        temp.remove();
        const bool written = temp.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                       QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                             temp.write(fresh) == kKeySize && temp.flush();
        temp.close();
        wipe(fresh);
        if (!written) {
            temp.remove();
            *error = QStringLiteral("无法写入密钥文件 ") + keyFileName(m_keyFile) + QStringLiteral(": ") +
                     temp.errorString();
            return Failure::BadKeyFile;
        }
        if (!temp.rename(m_keyFile))
            temp.remove();
    }

    QFile file(m_keyFile);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取密钥文件 ") + keyFileName(m_keyFile) + QStringLiteral(": ") +
                 file.errorString();
        return Failure::BadKeyFile;
    }
    QByteArray key = file.read(kKeySize + 1);
    if (key.size() != kKeySize) {
        wipe(key);
        *error = QStringLiteral("密钥文件 ") + keyFileName(m_keyFile) + QStringLiteral(" 已损坏.");
        return Failure::BadKeyFile;
    }
    m_key = key;
    wipe(key);
    return Failure::None;
}

PasswordVault::Sealed PasswordVault::seal(const QString &memberName, const QString &password)
{
    Sealed r;
    r.failure = loadKey(true, &r.error);
    if (!r.ok())
        return r;

    QByteArray plain = password.toUtf8();
    const QByteArray aad = associatedData(memberName);
    QByteArray out(1 + kNonceSize + plain.size() + kTagSize, '\0');
    out[0] = kFormat;
    auto *nonce = reinterpret_cast<unsigned char *>(out.data() + 1);
    auto *cipher = nonce + kNonceSize;
    auto *tag = cipher + plain.size();
    const auto *key = reinterpret_cast<const unsigned char *>(m_key.constData());

    CipherContext ctx(EVP_CIPHER_CTX_new());
    int len = 0;
    int total = 0;
    const bool ok =
        ctx && RAND_bytes(nonce, kNonceSize) == 1 &&
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
        EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key, nonce) == 1 &&
        EVP_EncryptUpdate(ctx.get(), nullptr, &len, reinterpret_cast<const unsigned char *>(aad.constData()),
                          static_cast<int>(aad.size())) == 1 &&
        EVP_EncryptUpdate(ctx.get(), cipher, &len, reinterpret_cast<const unsigned char *>(plain.constData()),
                          static_cast<int>(plain.size())) == 1 &&
        (total = len, EVP_EncryptFinal_ex(ctx.get(), cipher + total, &len) == 1) &&
        total + len == plain.size() &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag) == 1;
    wipe(plain);
    if (!ok) {
        r.failure = Failure::Cipher;
        r.error = QStringLiteral("密码加密失败.");
        return r;
    }
    r.text = QString::fromLatin1(out.toBase64());
    return r;
}

PasswordVault::Opened PasswordVault::open(const QString &memberName, const QString &stored)
{
    Opened r;
    QString reason;
    r.failure = loadKey(false, &reason);
    if (r.ok()) {
        const auto decoded = QByteArray::fromBase64Encoding(stored.trimmed().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        const QByteArray bytes = decoded ? *decoded : QByteArray();
        const qsizetype cipherSize = bytes.size() - 1 - kNonceSize - kTagSize;
        if (!decoded || cipherSize < 0 || bytes.at(0) != kFormat) {
            r.failure = Failure::Unreadable;
        } else {
            const auto *nonce = reinterpret_cast<const unsigned char *>(bytes.constData() + 1);
            const auto *cipher = nonce + kNonceSize;
            QByteArray tag = bytes.right(kTagSize);
            QByteArray plain(cipherSize, '\0');
            auto *out = reinterpret_cast<unsigned char *>(plain.data());
            const QByteArray aad = associatedData(memberName);
            const auto *key = reinterpret_cast<const unsigned char *>(m_key.constData());
            CipherContext ctx(EVP_CIPHER_CTX_new());
            int len = 0;
            int total = 0;
            const bool set =
                ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
                EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key, nonce) == 1 &&
                EVP_DecryptUpdate(ctx.get(), nullptr, &len,
                                  reinterpret_cast<const unsigned char *>(aad.constData()),
                                  static_cast<int>(aad.size())) == 1 &&
                EVP_DecryptUpdate(ctx.get(), out, &len, cipher, static_cast<int>(cipherSize)) == 1 &&
                EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) == 1;
            total = len;
            // the final step checks the tag: only then is the text the password
            if (!set) {
                r.failure = Failure::Cipher;
            } else if (EVP_DecryptFinal_ex(ctx.get(), out + total, &len) != 1 || total + len != cipherSize) {
                r.failure = Failure::Unreadable;
            } else {
                r.password = QString::fromUtf8(plain);
            }
            wipe(plain);
        }
        if (r.failure == Failure::Unreadable)
            reason = QStringLiteral("保存的密码已损坏, 或不是为这个帐号保存的.");
        else if (r.failure == Failure::Cipher)
            reason = QStringLiteral("密码解密失败.");
    }
    if (!r.ok())
        r.error = unreadableText(memberName) + QStringLiteral("\r\n原因:") + reason;
    return r;
}
