#pragma once

#include "base/Interaction.h"
#include "store/DataModule.h"

#include <QTemporaryDir>
#include <memory>

// A fresh data folder with an opened and migrated database.
struct TestDataDir
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<TADOMain> data;

    bool open()
    {
        data = std::make_unique<TADOMain>(dir.path());
        return data->DataModuleCreate();
    }
    QSqlDatabase db() const { return data->ADOConn(); }
    QString path() const { return dir.path(); }
};
