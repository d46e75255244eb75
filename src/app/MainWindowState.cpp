#include "app/MainWindowState.h"

#include "sync/MatchingKeys.h"

#include "store/Settings.h"
#include "base/TextRoutines.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

QString ProductName()
{
    return QStringLiteral("奥万淘宝店铺库存同步助手");
}

QString ApplicationTitle()
{
    return QStringLiteral("奥万淘宝库存同步助手");
}

AppKeyChoice ChooseAppKey(const QSqlDatabase &db, const QString &builtinKey, const QString &builtinSecret)
{
    AppKeyChoice choice{builtinKey, builtinSecret, false};
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select * from _AppKey")) || !q.next())
        return choice;
    const QSqlRecord rec = q.record();
    const QVariant flag = q.value(rec.indexOf(QStringLiteral("bCheck")));
    bool set = false;
    if (flag.typeId() == QMetaType::QString) {
        const QString t = TrimText(flag.toString()).toLower();
        set = t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("-1");
    } else {
        set = flag.toLongLong() != 0;
    }
    if (set) {
        choice.key = TrimText(q.value(rec.indexOf(QStringLiteral("appkey"))).toString());
        choice.secret = TrimText(q.value(rec.indexOf(QStringLiteral("AppSecret"))).toString());
        choice.stored = true;
    }
    return choice;
}

QString MainWindowCaption(const QString &productName, const QString &versionText)
{
    return productName + QStringLiteral(" V") + versionText.left(3);
}

QString VersionStatusCaption(const QString &versionText)
{
    return QStringLiteral("版本:") + versionText;
}

QStringList MatchingKeyCaptions()
{
    return MatchingKeys::captions();
}

QStringList UploadModeCaptions()
{
    return {QStringLiteral("1.全量"), QStringLiteral("2.增量")};
}

uint SelectorColor(int index)
{
    return index == 0 ? 0xED8080u : 0xFCF7BAu;
}

int SelectorIndexFrom(const QString &stored, int count)
{
    bool ok = false;
    const int k = TrimText(stored).toInt(&ok);
    return ok && k >= 0 && k < count ? k : 0;
}

QString StatusTipsText(const QString &keyCaption)
{
    return QStringLiteral("注意事项:\"") + keyCaption +
           QStringLiteral("\" 作为同步的关联值,如源与目标不一致,将不能同步到数据.");
}

ShowSettings LoadShowSettings(const QSqlDatabase &db, int hideNonUniqueFlag, const QDateTime &now)
{
    ShowSettings s;
    s.hideNonUnique = hideNonUniqueFlag == 1;
    s.plannedStart = QDateTime(now.date(), QTime(8, 0, 0));
    s.windowEnd = QTime(22, 0);

    const Settings settings(db);
    s.easyRowInserted = settings.ensure(Setting::EasySku);
    s.easySku = settings.flag(Setting::EasySku);

    const QStringList keys = MatchingKeyCaptions();
    s.keyMode = SelectorIndexFrom(settings.text(Setting::MatchingKey), static_cast<int>(keys.size()));
    s.keyColor = SelectorColor(s.keyMode);
    s.statusTips = StatusTipsText(keys.at(s.keyMode));

    s.uploadMode = SelectorIndexFrom(settings.text(Setting::UploadMode), static_cast<int>(UploadModeCaptions().size()));
    s.uploadColor = SelectorColor(s.uploadMode);
    return s;
}

SourcePaneLook SourcePaneLookFor(bool expanded, int totalsBarHeight)
{
    if (expanded)
        return {QStringLiteral("隐藏源宝贝列表"), 10, 319};
    return {QStringLiteral("显示源宝贝列表"), 9, totalsBarHeight + 5};
}
