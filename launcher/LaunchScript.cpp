#include "LaunchScript.h"

#include <QFile>
#include <cstdlib>

namespace {

const char* const scriptName = "exec";

QString shellDoubleQuoted(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('$')
            || c == QLatin1Char('`'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

// Execute permission wherever there is read permission, as chmod +x would
// give under the usual umask.
QFileDevice::Permissions withExecute(QFileDevice::Permissions p)
{
    if (p & QFileDevice::ReadOwner)
        p |= QFileDevice::ExeOwner;
    if (p & QFileDevice::ReadUser)
        p |= QFileDevice::ExeUser;
    if (p & QFileDevice::ReadGroup)
        p |= QFileDevice::ExeGroup;
    if (p & QFileDevice::ReadOther)
        p |= QFileDevice::ExeOther;
    return p;
}

} // namespace

QString playerCommandLine(const QString& path, const PlaybackOptions& options)
{
    QString line = QLatin1String("./zorvid ") + shellDoubleQuoted(path);
    if (!options.sound)
        line += QLatin1String(" -nosound");
    if (options.fps)
        line += QLatin1String(" -dfr");
    if (options.hi)
        line += QLatin1String(" -hi");
    return line;
}

bool writeLaunchScript(const QString& commandLine)
{
    QFile script(QString::fromLatin1(scriptName));
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = commandLine.toUtf8();
    if (script.write(bytes) != bytes.size() || !script.flush())
        return false;
    script.close();
    if (script.error() != QFileDevice::NoError)
        return false;
    script.setPermissions(withExecute(script.permissions()));
    return script.permissions() & QFileDevice::ExeUser;
}

void runLaunchScript()
{
    // The player's own exit status means nothing to the launcher.
    [[maybe_unused]] const int status = std::system("./exec");
}
