#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>

// The main window's lasting state as it is worked out at creation and at
// first show. Everything here is free of widgets; the window applies it.

// The product's names: the one in captions and messages, and the
// application title.
QString ProductName();
QString ApplicationTitle();

// The application key pair in force for the whole run.
struct AppKeyChoice
{
    QString key;
    QString secret;
    bool stored = false; // true: the row of _AppKey, false: the built-in pair
};

// "select * from _AppKey": when the first row's bCheck is set, its appkey and
// AppSecret (trimmed); otherwise, or without a row, the built-in pair.
AppKeyChoice ChooseAppKey(const QSqlDatabase &db, const QString &builtinKey, const QString &builtinSecret);

// Product name + " V" + the first three characters of the version text.
QString MainWindowCaption(const QString &productName, const QString &versionText);
// "版本:" + the version text, for the status bar.
QString VersionStatusCaption(const QString &versionText);

// The entries of the matching-key selector _Uniqid (index 0-8) and of the
// stock-update selector _UpgradeStock (index 0-1).
QStringList MatchingKeyCaptions();
QStringList UploadModeCaptions();

// Background of both selectors: RGB(237,128,128) for entry 0, RGB(252,247,186) otherwise.
uint SelectorColor(int index);
// The stored selector index: its integer when it names an entry of a list of
// count entries, 0 otherwise (a missing or damaged row falls back to the first entry).
int SelectorIndexFrom(const QString &stored, int count);

// The status bar's note on the matching key in use.
QString StatusTipsText(const QString &keyCaption);

// What the window shows when it first opens.
struct ShowSettings
{
    bool hideNonUnique = false;   // _NoShowOnly
    bool easySku = false;         // _chkEasy
    bool easyRowInserted = false; // NM 6 was missing and has been added
    int keyMode = 0;              // _Uniqid, NM 9999
    int uploadMode = 0;           // _UpgradeStock, NM 9998
    uint keyColor = 0;
    uint uploadColor = 0;
    QString statusTips;
    QDateTime plannedStart; // _NowDatetime: today 08:00:00
    QTime windowEnd;        // _EndTime: 22:00
};

// Reads (and where missing completes) the settings of _Parameter that the
// window shows at first show. hideNonUniqueFlag is NM 200 as the data module
// found it at start.
ShowSettings LoadShowSettings(const QSqlDatabase &db, int hideNonUniqueFlag, const QDateTime &now);

// The source pane: collapsed (only the totals bar) or expanded with its tabs.
struct SourcePaneLook
{
    QString caption; // of the tool button and the View menu item
    int imageIndex = 9;
    int height = 0;
};
SourcePaneLook SourcePaneLookFor(bool expanded, int totalsBarHeight);
