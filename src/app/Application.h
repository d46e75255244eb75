#pragma once

#include "app/MainWindowState.h"
#include "store/Settings.h"
#include "top/Endpoints.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

class ConfirmedSelector;
class PasswordVault;
class QuantityUploadJob;
class SyncCycle;
class ShopAccounts;
struct ShopJobs;
class Desktop;
class DifferenceQuery;
class FormulaPage;
class Interaction;
class JobHost;
class ListModel;
class QLockFile;
class SourceDownloadJob;
class TargetDownloadJob;
class TargetBySourceJob;
class SourceList;
class TADOMain;
class TopClient;

// The composition root, used alike by the window and by the command line:
// it holds the data folder against other copies of the program, opens the
// store, reads the settings, builds the open-platform client and owns the job
// host and the domain services. Nothing here shows a widget; messages go
// through the interaction it is given.
class Application : public QObject
{
    Q_OBJECT
public:
    // dataDir: the folder that holds TBData/.
    Application(Interaction &ui, Desktop &desktop, const QString &dataDir, QObject *parent = nullptr);
    ~Application() override;

    // Takes the data folder, opens and migrates the database, chooses the key
    // pair and the hosts and builds the services. False, with the message
    // shown (caption "错误"), when the program must end; a failing migration
    // step is shown and start-up goes on.
    bool open();
    // How a command uses the data folder: a holder takes it for itself; a
    // reader (a read-only command) takes it when it is free and otherwise
    // reads beside the copy that holds it, on a read-only connection.
    enum class Access { Holder, Reader };
    bool open(Access access);
    // True when this copy reads beside another that holds the folder.
    bool readsBeside() const { return m_readsBeside; }
    // The folder's lock file, and the name of the local socket on which the
    // window that holds the folder listens (one per folder).
    static QString lockFilePath(const QString &dataDir);
    static QString windowSocketName(const QString &dataDir);

    Interaction &ui() { return m_ui; }
    Desktop &desktop() { return m_desktop; }
    const QString &dataDir() const { return m_dataDir; }
    QString databasePath() const;
    QSqlDatabase db() const;
    const Settings &settings() const { return *m_settings; }
    // _Parameter NM 200 as the migration found it at start.
    int hideNonUniqueFlag() const;

    const AppKeyChoice &appKey() const { return m_key; }
    const TopEndpoints &endpoints() const { return m_endpoints; }
    // Stores the hosts and uses them from now on.
    bool saveEndpoints(const TopEndpoints &hosts);

    TopClient &client() { return *m_client; }
    JobHost &jobs() { return *m_jobs; }
    ListModel &sourceModel() { return *m_sourceModel; }
    SourceList &sourceList() { return *m_sourceList; }
    SourceDownloadJob &sourceDownload() { return *m_sourceDownload; }
    // The target download by target configuration (N62Click).
    TargetDownloadJob &targetDownload() { return *m_targetDownload; }
    // The target download by source configuration (_DownloadClick).
    TargetBySourceJob &targetBySource() { return *m_targetBySource; }
    // The quantity upload over the ticked rows of the target list (_UploadClick).
    QuantityUploadJob &quantityUpload() { return *m_quantityUpload; }
    // One cycle of the sync plan: source download, difference query, quantity upload.
    SyncCycle &syncCycle() { return *m_syncCycle; }
    // The target list `_RzListViewTo` and the difference query that fills it,
    // the formula page and the two selectors of the target toolbar.
    ListModel &targetModel() { return *m_targetModel; }
    DifferenceQuery &differenceQuery() { return *m_difference; }
    FormulaPage &formulaPage() { return *m_formulaPage; }
    ConfirmedSelector &keySelector() { return *m_keySelector; }
    ConfirmedSelector &uploadSelector() { return *m_uploadSelector; }
    // The price upload, listing and delisting, and the warehouse list with its jobs.
    ShopJobs &shopJobs() { return *m_shopJobs; }

    // The shop accounts and the key that protects their passwords.
    ShopAccounts &shopAccounts() { return *m_accounts; }
    // Trimmed member names of the accounts, in table order.
    QStringList accountNames() const;
    // The account selected in the account box: its name and the stored form
    // of its password (empty when none is selected or it is gone).
    const QString &currentAccount() const { return m_currentAccount; }
    const QString &currentAccountPassword() const { return m_currentPassword; }
    // Selects the account (an empty name selects none); remember stores it
    // as the last used account.
    void selectAccount(const QString &name, bool remember);

    // The text shown when another copy of the program holds the data folder.
    static QString folderInUseText(const QString &dataDir);

private:
    void applyEndpoints();

    Interaction &m_ui;
    Desktop &m_desktop;
    QString m_dataDir;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<TADOMain> m_store;
    std::unique_ptr<Settings> m_settings;
    AppKeyChoice m_key;
    TopEndpoints m_endpoints;
    std::unique_ptr<TopClient> m_client;
    JobHost *m_jobs = nullptr;
    ListModel *m_sourceModel = nullptr;
    SourceList *m_sourceList = nullptr;
    SourceDownloadJob *m_sourceDownload = nullptr;
    TargetDownloadJob *m_targetDownload = nullptr;
    TargetBySourceJob *m_targetBySource = nullptr;
    ListModel *m_targetModel = nullptr;
    DifferenceQuery *m_difference = nullptr;
    QuantityUploadJob *m_quantityUpload = nullptr;
    SyncCycle *m_syncCycle = nullptr;
    FormulaPage *m_formulaPage = nullptr;
    std::unique_ptr<ConfirmedSelector> m_keySelector;
    std::unique_ptr<ConfirmedSelector> m_uploadSelector;
    std::unique_ptr<ShopJobs> m_shopJobs;
    std::unique_ptr<PasswordVault> m_vault;
    std::unique_ptr<ShopAccounts> m_accounts;
    QString m_currentAccount;
    QString m_currentPassword;
    bool m_readsBeside = false;
};
