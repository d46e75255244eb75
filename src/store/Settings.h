#pragma once

#include <QSqlDatabase>
#include <QString>

// The rows of _Parameter the program uses, by name. Each key has one default
// (what a missing row reads as) and the description a created row gets.
enum class Setting : int {
    SourceDownloadTime = 1,  // start of the last complete source download, "yyyy/MM/dd hh:mm:ss"
    TargetDownloadTime = 2,  // start of the last complete target-side job
    CurrentAccount = 3,      // the shop account last selected
    SourceGroups = 4,        // ticked groups of the source list, joined by ","
    TargetGroups = 5,        // ticked groups of the target list
    EasySku = 6,             // "1": sizes in the easy form
    SourceShopAddress = 10,  // link collection, source side
    SourceShopKeyword = 11,
    SourceShopType = 12,
    TargetShopAddress = 20,  // link collection, target side
    TargetShopKeyword = 21,
    TargetShopType = 22,
    QuantityFormula = 30,    // five fields joined by ";"
    PriceFormula = 31,       // six fields joined by ";"
    SyncInterval = 100,      // sync plan interval in minutes
    SyncDownload = 101,      // the plan downloads the source: "1" or "0"
    SyncUpload = 102,        // the plan uploads the quantities
    PlanTrayNoticeShown = 103, // "1": the seller has been told where the plan puts the window
    NormalisedKeys = 120,    // "1": keys compare without blanks at both ends, full-width folded to half-width
    GuardZeroShare = 110,    // guardrail: at most this % of the uploaded rows set to 0 (0: off)
    GuardPriceChange = 111,  // guardrail: no price changed by more than this % (0: off)
    GuardSourceShrink = 112, // guardrail: the download holds at least this % of the previous one (0: off)
    HideNonUnique = 200,     // _NoShowOnly
    GatewayHost = 900,       // host overrides; empty keeps the public host
    ContainerHost = 901,
    LoginPageHost = 902,
    ItemPageHost = 903,
    OpenContainerHost = 904,
    OpenSiteHost = 905,
    HelpAddress = 940,       // the online help page; empty: there is none
    WebsiteAddress = 941,    // the maker's website; empty: there is none
    FeedbackAddress = 942,   // the feedback mailbox (a mailto: link); empty: there is none
    UpdaterProgram = 943,    // the online updater; empty: "Update" beside the program
    TmallItemPageHost = 906, // link collection: the Tmall item page and the two shop domains
    TaobaoDomain = 907,
    TmallDomain = 908,
    UploadMode = 9998,       // _UpgradeStock index
    MatchingKey = 9999,      // _Uniqid index
};

struct SettingDefinition
{
    Setting key;
    const char *value;       // the default, UTF-8
    const char *description; // ParaDesc of a created row, UTF-8
    bool createdWithDatabase; // a row every new database holds from the start
};

// Typed access to the settings table. Values are text; flags are "1"/"0".
class Settings
{
public:
    explicit Settings(const QSqlDatabase &db) : m_db(db) {}

    static const SettingDefinition &definition(Setting key);
    // Every key, in key order.
    static const SettingDefinition *begin();
    static const SettingDefinition *end();
    static QString defaultValue(Setting key);
    static QString description(Setting key);

    bool exists(Setting key) const;
    // The stored text, or the key's default when the row is missing (or
    // cannot be read).
    QString text(Setting key) const;
    // The stored integer; the default's when the text is not one.
    int integer(Setting key) const;
    bool flag(Setting key) const { return text(key) == QStringLiteral("1"); }

    // Stores the value, creating the row with its description when it is
    // missing. False when a statement fails.
    bool set(Setting key, const QString &value) const;
    bool setFlag(Setting key, bool on) const { return set(key, on ? QStringLiteral("1") : QStringLiteral("0")); }
    bool setInteger(Setting key, int value) const { return set(key, QString::number(value)); }
    // Creates the row with its default when it is missing; true when it did.
    bool ensure(Setting key) const;

private:
    QSqlDatabase m_db;
};
