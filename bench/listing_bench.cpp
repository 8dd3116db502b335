// Times FileBrowser::setDir on the given directories, from reading the
// directory to the first paint of the list, against the floor of reading the
// same names with readdir and sorting them, and then one scroll step of the
// list down to its repaint. Times are CPU milliseconds of the process (user +
// system), the median of RUNS runs of each.
#include "FileBrowser.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

double cpuMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double timed(const std::function<void()>& work)
{
    const double start = cpuMilliseconds();
    work();
    return cpuMilliseconds() - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct DirCloser
{
    void operator()(DIR* dir) const { closedir(dir); }
};

std::size_t readAndSortNames(const std::string& path)
{
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    while (const dirent* entry = dir ? readdir(dir.get()) : nullptr)
        names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names.size();
}

// A list as the main screen has it, already shown and painted once, so the
// timed part is the listing and not the window's first appearance.
std::unique_ptr<FileBrowser> shownList()
{
    auto list = std::make_unique<FileBrowser>(nullptr, "romBrowser");
    list->resize(240, 250);
    list->show();
    list->repaint();
    QCoreApplication::processEvents();
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: listing_bench RUNS DIRECTORY...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));

    std::printf("%-9s %8s %12s %12s %7s %10s\n", "entries", "rows", "setDir ms", "baseline ms",
                "ratio", "scroll ms");
    for (int arg = 2; arg < argc; ++arg) {
        const std::string path = argv[arg];
        std::size_t entries = 0;
        int rows = 0;
        std::vector<double> setDirTimes;
        std::vector<double> baselineTimes;
        std::vector<double> scrollTimes;
        for (int run = 0; run < runs; ++run) {
            baselineTimes.push_back(timed([&] { entries = readAndSortNames(path); }));
            const std::unique_ptr<FileBrowser> list = shownList();
            setDirTimes.push_back(timed([&] {
                list->setDir(QString::fromLocal8Bit(path.c_str()));
                list->repaint();
                QCoreApplication::processEvents();
            }));
            scrollTimes.push_back(timed([&] {
                list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                QCoreApplication::processEvents();
            }));
            rows = list->model()->rowCount();
        }
        const double setDir = median(setDirTimes);
        const double baseline = median(baselineTimes);
        std::printf("%-9zu %8d %12.2f %12.2f %7.2f %10.2f\n", entries - 2, rows, setDir, baseline,
                    setDir / baseline, median(scrollTimes));
    }
    return 0;
}
