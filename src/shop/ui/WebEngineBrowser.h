#pragma once

#include "base/Browser.h"

#include <QObject>
#include <QPointer>

class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

// The login's browser over Qt WebEngine. The pages live in a profile of the
// login's own (off the record, never the default one), which the two browsers
// of a login share as the platform's browser controls share one cookie store.
class WebEngineBrowser : public QObject, public Browser
{
    Q_OBJECT

public:
    // A profile for the login's browsers: off the record, owned by parent.
    static QWebEngineProfile *newProfile(QObject *parent);

    explicit WebEngineBrowser(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    // The view that shows the pages, created on first use inside parent.
    QWebEngineView *view(QWidget *parent = nullptr);
    QWebEnginePage *page() const { return m_page; }

    void navigate(const QString &address) override;
    void setFieldValue(const QString &name, const QString &value) override;
    void checkAndClick(const QString &name) override;
    void clickById(const QString &id) override;
    void clearCookies() override;

    // The text as a JavaScript string literal (double quotes; every character
    // that is not a letter, digit or blank written as \uXXXX).
    static QString javaScriptString(const QString &text);

private:
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void readDocument(const QString &address);
    void failed(const QString &address, const QString &reason);
    void run(const QString &script);

    QWebEngineProfile *m_profile;
    QWebEnginePage *m_page;
    QPointer<QWebEngineView> m_view;
    quint64 m_load = 0; // counts the loads started; a reading of an older one is dropped
    bool m_failed = false; // the load in progress has completed as the error page
};
