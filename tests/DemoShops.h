#pragma once

// The starting point of the sync tests on the demo shops: the supplier items
// in the source list, the seller's items in the target list, and the seller's
// rows downloaded with the seller's session.
#include "TestRig.h"
#include "target/TargetDownload.h"
#include "top/TopClient.h"

#include <QSignalSpy>

inline bool ListDemoShopsAndDownloadSeller(TestRig &rig, const QString &shop)
{
    QStringList source, target;
    for (int i = 1; i <= 7; ++i)
        source << QStringLiteral("52000000100") + QString::number(i);
    for (int i = 1; i <= 4; ++i)
        source << QStringLiteral("53000000200") + QString::number(i);
    for (int i = 1; i <= 9; ++i)
        target << QStringLiteral("61000000300") + QString::number(i);
    if (!rig.list(source) || !rig.list(target, ItemLists::TargetList))
        return false;
    rig.app->client().setSessionKey(rig.sandbox.sessionFor(shop));
    rig.app->targetDownload().setAccount(shop);
    rig.ui.answerQuestion(true);
    QSignalSpy downloaded(&rig.app->targetDownload(), &TargetDownloadJob::ended);
    return rig.app->targetDownload().N62Click() && downloaded.wait(30000) &&
           rig.app->targetDownload().outcome() == TargetDownloadJob::Outcome::Completed;
}
