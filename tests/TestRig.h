#pragma once

// The shared rig of the tests that need the whole program below the widgets:
// a temporary data folder with the composition root opened on it, a scripted
// interaction, a recording desktop and, on request, the platform stand-in
// in-process on a free loopback port with every host pointed at it.
#include "TopSandbox.h"
#include "app/Application.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "lists/ItemLists.h"
#include "top/Endpoints.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <memory>

struct TestRig
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    RecordingDesktop desktop;
    std::unique_ptr<Application> app;
    topsandbox::TopSandbox sandbox;

    ~TestRig()
    {
        app.reset();
        sandbox.stop();
    }

    // The composition root on the folder, opened.
    bool open()
    {
        app = std::make_unique<Application>(ui, desktop, dir.path());
        return app->open();
    }
    // The stand-in with a fixture (the demo shops by default), then open()
    // with every host on it.
    bool openWithSandbox(const QString &fixture = QStringLiteral(SANDBOX_FIXTURE))
    {
        if (!sandbox.loadFixture(fixture))
            return false;
        return startSandboxAndOpen();
    }
    // The stand-in with generated shops, then open() with every host on it.
    bool openWithGenerated(const topsandbox::GenerateOptions &options)
    {
        sandbox.generate(options);
        return startSandboxAndOpen();
    }
    // Where the stand-in could bind its page hosts (127.0.0.2-4), they are the ones saved.
    bool startSandboxAndOpen()
    {
        if (sandbox.start(0) <= 0 || !open())
            return false;
        TopEndpoints hosts = TopEndpoints::onBase(sandbox.baseUrl());
        if (sandbox.hasDistinctPageHosts()) {
            hosts.container = sandbox.containerUrl();
            hosts.loginPage = sandbox.loginPageUrl();
            hosts.openContainer = sandbox.openContainerUrl();
            hosts.openSite = sandbox.openPlatformUrl();
        }
        return app->saveEndpoints(hosts);
    }

    QSqlDatabase db() const { return app->db(); }
    QString path() const { return dir.path(); }

    // Ticked entries of the source (or target) list.
    bool list(const QStringList &ids, ItemLists::Tag tag = ItemLists::SourceList)
    {
        QString error;
        return ItemLists(db()).addItems(tag, ids, &error) >= 0;
    }
};
