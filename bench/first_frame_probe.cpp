// Preloaded (LD_PRELOAD) into a Qt program, unchanged: when the event loop
// first idles after the first paint, prints the process's CPU time and peak
// resident memory so far, then quits the program.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <sys/resource.h>

namespace {

double milliseconds(const timeval& time)
{
    return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
}

void reportAndQuit()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("first-frame cpu_ms=%.1f maxrss_kb=%ld\n",
                milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime), usage.ru_maxrss);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

class FirstPaintWatcher : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            // The rest of the frame (child widgets, the flush) is painted
            // before the loop next waits.
            connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                    this, &reportAndQuit, Qt::SingleShotConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool painted = false;
};

void installWatcher()
{
    QCoreApplication::instance()->installEventFilter(
        new FirstPaintWatcher(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installWatcher)
