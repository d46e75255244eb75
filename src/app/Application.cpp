#include "app/Application.h"

#include "app/BuiltinAppKey.h"
#include "app/HostSettings.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "shop/PasswordVault.h"
#include "shop/ShopAccounts.h"
#include "source/SourceDownload.h"
#include "target/TargetBySource.h"
#include "target/TargetDownload.h"
#include "source/SourceList.h"
#include "store/DataModule.h"
#include "sync/DifferenceQuery.h"
#include "sync/FormulaPage.h"
#include "sync/QuantityUpload.h"
#include "sync/SyncCycle.h"
#include "sync/Selectors.h"
#include "sync/ShopJobs.h"
#include "top/TopClient.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

Application::Application(Interaction &ui, Desktop &desktop, const QString &dataDir, QObject *parent)
    : QObject(parent), m_ui(ui), m_desktop(desktop), m_dataDir(dataDir), m_client(std::make_unique<TopClient>())
{
}

Application::~Application()
{
    // the services go before the connection they use
    m_shopJobs.reset();
    delete m_formulaPage;
    delete m_syncCycle;
    delete m_quantityUpload;
    delete m_difference;
    delete m_targetModel;
    delete m_sourceDownload;
    delete m_targetDownload;
    delete m_targetBySource;
    delete m_sourceList;
    delete m_sourceModel;
    delete m_jobs;
    m_accounts.reset();
    m_vault.reset();
    m_settings.reset();
    m_store.reset();
    m_lock.reset();
}

QString Application::folderInUseText(const QString &dataDir)
{
    return QStringLiteral("数据文件夹 ") + QDir::toNativeSeparators(QDir(dataDir).absolutePath()) +
           QStringLiteral(" 正在被本程序的另一个副本使用.\r\n请先关闭另一个副本, 再重新启动.");
}

QString Application::databasePath() const
{
    return TADOMain::databasePathFor(m_dataDir);
}

QSqlDatabase Application::db() const
{
    return m_store ? m_store->ADOConn() : QSqlDatabase();
}

int Application::hideNonUniqueFlag() const
{
    return m_store ? m_store->hideNonUniqueFlag() : 0;
}

QString Application::lockFilePath(const QString &dataDir)
{
    return QFileInfo(TADOMain::databasePathFor(dataDir)).absoluteDir().filePath(QStringLiteral("stocksync.lock"));
}

QString Application::windowSocketName(const QString &dataDir)
{
    // local socket names are short and flat: a digest of the folder's path
    const QString folder = QFileInfo(TADOMain::databasePathFor(dataDir)).absolutePath();
    const QByteArray digest =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("stocksync-") + QString::fromLatin1(digest);
}

bool Application::open()
{
    return open(Access::Holder);
}

bool Application::open(Access access)
{
    auto fail = [this](const QString &text) {
        m_ui.message(Interaction::errorCaption(), text, Interaction::Icon::Error);
        return false;
    };
    // One program per data folder: the lock is taken before anything is
    // changed. A lock left by a process that no longer runs is taken over.
    const QString folder = QFileInfo(databasePath()).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("无法创建数据文件夹: ") + QDir::toNativeSeparators(folder));
    m_lock = std::make_unique<QLockFile>(lockFilePath(m_dataDir));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const bool inUse = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        if (!inUse || access != Access::Reader)
            return fail(inUse ? folderInUseText(m_dataDir)
                              : QStringLiteral("无法锁定数据文件夹: ") + QDir::toNativeSeparators(folder));
        // another copy holds the folder: read what it has committed
        m_readsBeside = true;
    }

    m_store = std::make_unique<TADOMain>(m_dataDir);
    if (!(m_readsBeside ? m_store->openForReading() : m_store->DataModuleCreate()))
        return fail(m_store->openError());
    if (!m_store->migrationError().isEmpty())
        m_ui.message(Interaction::errorCaption(), m_store->migrationError(), Interaction::Icon::Error);

    const QSqlDatabase conn = m_store->ADOConn();
    m_settings = std::make_unique<Settings>(conn);
    m_key = ChooseAppKey(conn, BuiltinAppKey(), BuiltinAppSecret());
    m_client->setAppKey(m_key.key, m_key.secret);

    m_jobs = new JobHost(m_ui);
    m_sourceModel = new ListModel();
    m_sourceList = new SourceList(conn, *m_sourceModel, *m_jobs, m_ui, m_desktop);
    m_sourceDownload = new SourceDownloadJob(*m_jobs, *m_client, conn);
    m_targetDownload = new TargetDownloadJob(*m_jobs, *m_client, conn);
    m_targetModel = new ListModel();
    m_difference = new DifferenceQuery(conn, *m_targetModel, *m_jobs, m_ui, *m_settings);
    m_quantityUpload = new QuantityUploadJob(*m_jobs, *m_client, conn, *m_difference);
    m_syncCycle = new SyncCycle(*m_jobs, *m_sourceDownload, *m_difference, *m_quantityUpload, conn);
    m_formulaPage = new FormulaPage(*m_settings, m_ui);
    m_formulaPage->GetFormula();
    m_keySelector = std::make_unique<ConfirmedSelector>(ConfirmedSelector::Kind::MatchingKey);
    m_keySelector->load(*m_settings);
    m_uploadSelector = std::make_unique<ConfirmedSelector>(ConfirmedSelector::Kind::UploadMode);
    m_uploadSelector->load(*m_settings);
    m_targetBySource = new TargetBySourceJob(*m_jobs, *m_client, conn);
    m_targetBySource->setMatchingKey([this]() { return m_keySelector->confirmed(); });
    m_shopJobs = std::make_unique<ShopJobs>(*m_jobs, *m_client, conn, *m_targetModel, m_ui, m_desktop);
    m_vault = std::make_unique<PasswordVault>(PasswordVault::keyFileBeside(databasePath()));
    m_accounts = std::make_unique<ShopAccounts>(conn, *m_vault);
    m_endpoints = LoadEndpoints(*m_settings);
    applyEndpoints();
    // A reader that found the folder free needed it only to bring the schema
    // up to date: it lets go at once, so that it never keeps a window or the
    // plan from starting while it reads.
    if (access == Access::Reader)
        m_lock.reset();
    return true;
}

bool Application::saveEndpoints(const TopEndpoints &hosts)
{
    if (!SaveEndpoints(*m_settings, hosts))
        return false;
    m_endpoints = LoadEndpoints(*m_settings);
    applyEndpoints();
    return true;
}

void Application::applyEndpoints()
{
    m_client->setEndpoints(m_endpoints);
    const TopEndpoints hosts = m_endpoints;
    m_sourceList->setItemPageAddress([hosts](const QString &id) { return hosts.itemPageOf(id); });
    m_shopJobs->warehouse.setItemPageAddress([hosts](const QString &id) { return hosts.itemPageOf(id); });
}

QStringList Application::accountNames() const
{
    QStringList names;
    if (!m_accounts)
        return names;
    for (const ShopAccount &a : m_accounts->all())
        names << a.userName.trimmed();
    return names;
}

void Application::selectAccount(const QString &name, bool remember)
{
    ShopAccount account;
    if (!name.isEmpty() && m_accounts && m_accounts->find(name, &account)) {
        m_currentAccount = name;
        m_currentPassword = account.stored;
    } else {
        m_currentAccount = name;
        m_currentPassword.clear();
    }
    if (remember)
        m_settings->set(Setting::CurrentAccount, name);
}
