#include "profile.h"

#include <cstdio>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>

#include "number.h"
#include "scanner.h"

namespace {

constexpr std::streamsize line_buffer_size = 1024;

// Reads one line of at most line_buffer_size - 1 characters into buffer,
// always NUL-terminated.
// The rest of a longer line is discarded up to its line feed, so it counts
// as one line and the next read starts on the next line. False on a read
// error, which ends the walk as the end of the file does.
bool read_line(std::ifstream& in, char (&buffer)[line_buffer_size]) {
    in.getline(buffer, line_buffer_size);
    if (in.fail() && !in.eof() && !in.bad()) {
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return !in.bad();
}

}  // namespace

int load_system_setting_lcd_sleep_time(const char* path) {
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (in.fail()) {
        std::perror("can not open profile: ");
        return -1;
    }
    int line_number = 1;
    int result = -1;
    try {
        char line[line_buffer_size];
        while (!in.eof() && read_line(in, line)) {
            if (line[0] != '#') {
                scanner scan(line);
                if (scan.getToken(scanner::spacechar) == "LcdSleepTime") {
                    scan.goUntil('=');
                    scan.getChar();
                    result = to_int_saturating(scan.getToken(scanner::spacechar).c_str());
                    break;
                }
            }
            ++line_number;
        }
    } catch (const std::exception& error) {
        std::printf("line:%d error:%s", line_number, error.what());
        return -1;
    }
    return result;
}

int set_system_setting_lcd_sleep_time(int) {
    return 1;
}

void dump(_para* block) {
    for (std::uint32_t word : block->word) std::printf("%x ", static_cast<unsigned>(word));
    std::printf("\n---\n");
}
