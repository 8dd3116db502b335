// Fills a new directory with `count` entries as a big memory card might hold
// them: a few subdirectories, the rest clips with camera, episode and
// holiday-style names in several extensions and cases.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const shows[] = { "The Expanse", "Planet Earth", "Doctor Who", "Cosmos", "Sherlock" };
const char* const places[] = { "Lisboa", "Kraków", "Kyoto", "Reykjavík", "Cape Town", "Oslo" };
const char* const extensions[] = { "mp4", "avi", "wmv", "3gp", "MP4", "mpg", "dat", "mkv" };

unsigned below(unsigned limit, std::mt19937& random)
{
    return unsigned(random() % limit);
}

template <std::size_t N>
const char* pick(const char* const (&choices)[N], std::mt19937& random)
{
    return choices[below(N, random)];
}

std::string clipName(unsigned serial, std::mt19937& random)
{
    char name[160];
    const char* extension = pick(extensions, random);
    switch (below(3, random)) {
    case 0:
        std::snprintf(name, sizeof name, "VID_2026%02u%02u_%06u.%s", 1 + below(12, random),
                      1 + below(28, random), serial, extension);
        break;
    case 1:
        std::snprintf(name, sizeof name, "%s S%02uE%02u - Part %u.%s", pick(shows, random),
                      1 + below(12, random), 1 + below(24, random), serial, extension);
        break;
    default:
        std::snprintf(name, sizeof name, "Holiday %u %s (%u).%s", 2000 + below(27, random),
                      pick(places, random), serial, extension);
        break;
    }
    return name;
}

bool makeEmptyFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_media_dir DIRECTORY ENTRIES\n");
        return 2;
    }
    const std::string root = argv[1];
    const long entries = std::strtol(argv[2], nullptr, 10);
    if (entries < 1 || ::mkdir(root.c_str(), 0755) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    std::mt19937 random { unsigned(entries) };
    const long directories = entries < 1000 ? 2 : 8;
    for (long i = 0; i < directories; ++i) {
        const std::string path = root + "/Season " + std::to_string(i + 1);
        if (::mkdir(path.c_str(), 0755) != 0) {
            std::perror(path.c_str());
            return 1;
        }
    }
    for (unsigned serial = 0; serial < unsigned(entries - directories); ++serial) {
        const std::string path = root + '/' + clipName(serial, random);
        if (!makeEmptyFile(path)) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
