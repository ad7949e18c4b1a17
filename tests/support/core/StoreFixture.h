#pragma once

#include "TempInstallation.h"
#include "engine/AppPaths.h"
#include "engine/Session.h"

#include <QDir>
#include <QFile>

// A throw-away installation for the report store's dialogs (see
// TempInstallation), with report files written into its data folder.
class StoreFixture : public TempInstallation
{
public:
    // A report file in the data folder with the given first lines.
    bool writeReport(const QString& name, const QByteArray& lines) const
    {
        return write(dataPath(name), lines);
    }
};
