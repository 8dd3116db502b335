#include "panel_power.h"

#include <fcntl.h>
#include <linux/fb.h>

#include <cstdio>
#include <cstring>

#include "directory_entries.h"
#include "file_descriptor.h"
#include "numbered_name.h"

namespace {

// Every device of the backlight class is one.
bool is_backlight(const char*) { return true; }

// fb0, fb1...: the class also holds fbcon, which has no blank state.
bool is_framebuffer(const char* name) { return is_numbered_name(name, "fb"); }

// A failure is told on standard error, the service's log, once until the
// writes succeed again; the rest goes on.
bool write_attribute(const std::string& path, int value, bool tell) {
    const std::string text = std::to_string(value) + "\n";
    file_descriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    if (fd.get() >= 0 && write_all(fd.get(), text.data(), text.size())) return true;
    if (tell) std::fprintf(stderr, "ezxpmd: cannot write %d to %s: %s\n", value, path.c_str(), std::strerror(errno));
    return false;
}

}  // namespace

// Writes value to the attribute of every device of a sysfs class that wanted() names.
bool panel_power::write_each(const std::string& class_dir, bool (*wanted)(const char*), const char* attribute,
                             int value) {
    bool written = true;
    for (const std::string& name : directory_entries(class_dir))
        if (wanted(name.c_str()))
            written = write_attribute(class_dir + "/" + name + "/" + attribute, value, !failing_) && written;
    return written;
}

bool panel_power::finish(bool written) {
    failing_ = !written;
    return written;
}

bool panel_power::dark() {
    bool written = write_each(sysfs_ + "/class/backlight", is_backlight, "bl_power", FB_BLANK_POWERDOWN);
    written = write_each(sysfs_ + "/class/graphics", is_framebuffer, "blank", FB_BLANK_POWERDOWN) && written;
    return finish(written);
}

bool panel_power::light() {
    bool written = write_each(sysfs_ + "/class/graphics", is_framebuffer, "blank", FB_BLANK_UNBLANK);
    written = write_each(sysfs_ + "/class/backlight", is_backlight, "bl_power", FB_BLANK_UNBLANK) && written;
    return finish(written);
}
