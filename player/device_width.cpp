#include "device_width.h"

#include <linux/input.h>
#include <sys/ioctl.h>

#include <initializer_list>

int horizontal_extent(int device_fd) {
    for (unsigned axis : {ABS_MT_POSITION_X, ABS_X}) {
        input_absinfo info{};
        if (::ioctl(device_fd, EVIOCGABS(axis), &info) == 0 && info.maximum > info.minimum)
            return info.maximum - info.minimum;
    }
    return 0;
}
