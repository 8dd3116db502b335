#include "RuntimeDirWarning.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler passOn = nullptr;

void dropOnlyRuntimeDirWarning(QtMsgType type, const QMessageLogContext& context,
                               const QString& message)
{
    if (type == QtWarningMsg
        && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    passOn(type, context, message);
}

} // namespace

void dropRuntimeDirWarning()
{
    passOn = qInstallMessageHandler(dropOnlyRuntimeDirWarning);
}
