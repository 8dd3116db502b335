#include "seat_input.h"

#include <unistd.h>

#include <cstdint>

namespace {

template <class set>
void press(set& down, typename set::value_type what, bool pressed) {
    if (pressed)
        down.insert(what);
    else
        down.erase(what);
}

}  // namespace

// Filled by name: a newer libwayland adds members for events of seat
// versions above the one bound, which the compositor never sends.
wl_keyboard_listener seat_input::keyboard_listener_for() {
    wl_keyboard_listener l{};
    // The keymap is not needed: any key counts.
    l.keymap = [](void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { ::close(fd); };
    // Keys already down when the overlay took the keyboard come up here.
    l.enter = [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) {
        auto* self = static_cast<seat_input*>(data);
        const auto* key = static_cast<const std::uint32_t*>(keys->data);
        for (std::size_t i = 0; i < keys->size / sizeof *key; ++i) self->keys_.insert(key[i]);
    };
    l.leave = [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) { static_cast<seat_input*>(data)->keys_.clear(); };
    l.key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        auto* self = static_cast<seat_input*>(data);
        press(self->keys_, key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
        self->changed();
    };
    l.modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {};
    l.repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {};
    return l;
}

wl_pointer_listener seat_input::pointer_listener_for() {
    wl_pointer_listener l{};
    l.enter = [](void*, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t) {};
    l.leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface*) { static_cast<seat_input*>(data)->buttons_.clear(); };
    l.motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) { static_cast<seat_input*>(data)->moved_(); };
    l.button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
        auto* self = static_cast<seat_input*>(data);
        press(self->buttons_, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
        self->changed();
    };
    l.axis = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) { static_cast<seat_input*>(data)->changed(); };
    l.frame = [](void*, wl_pointer*) {};
    l.axis_source = [](void*, wl_pointer*, std::uint32_t) {};
    l.axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {};
    l.axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {};
    return l;
}

wl_touch_listener seat_input::touch_listener_for() {
    wl_touch_listener l{};
    l.down = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t id, wl_fixed_t, wl_fixed_t) {
        auto* self = static_cast<seat_input*>(data);
        self->touches_.insert(id);
        self->changed();
    };
    l.up = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t id) {
        auto* self = static_cast<seat_input*>(data);
        self->touches_.erase(id);
        self->changed();
    };
    l.motion = [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {};
    l.frame = [](void*, wl_touch*) {};
    l.cancel = [](void* data, wl_touch*) {
        auto* self = static_cast<seat_input*>(data);
        self->touches_.clear();
        self->changed();
    };
    return l;
}

const wl_keyboard_listener seat_input::keyboard_listener = keyboard_listener_for();
const wl_pointer_listener seat_input::pointer_listener = pointer_listener_for();
const wl_touch_listener seat_input::touch_listener = touch_listener_for();

seat_input::seat_input(wl_seat* seat, std::function<void(bool)> input, std::function<void()> moved)
    : input_(std::move(input)), moved_(std::move(moved)), seat_(seat) {
    static const wl_seat_listener listener = {capabilities, name};
    wl_seat_add_listener(seat_, &listener, this);
}

seat_input::~seat_input() {
    if (keyboard_) wl_keyboard_release(keyboard_);
    if (pointer_) wl_pointer_release(pointer_);
    if (touch_) wl_touch_release(touch_);
}

void seat_input::capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
    auto* self = static_cast<seat_input*>(data);
    const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD, pointer = caps & WL_SEAT_CAPABILITY_POINTER,
               touch = caps & WL_SEAT_CAPABILITY_TOUCH;
    if (keyboard && !self->keyboard_) {
        self->keyboard_ = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(self->keyboard_, &keyboard_listener, self);
    } else if (!keyboard && self->keyboard_) {
        wl_keyboard_release(self->keyboard_);
        self->keyboard_ = nullptr;
        self->keys_.clear();
    }
    if (pointer && !self->pointer_) {
        self->pointer_ = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(self->pointer_, &pointer_listener, self);
    } else if (!pointer && self->pointer_) {
        wl_pointer_release(self->pointer_);
        self->pointer_ = nullptr;
        self->buttons_.clear();
    }
    if (touch && !self->touch_) {
        self->touch_ = wl_seat_get_touch(seat);
        wl_touch_add_listener(self->touch_, &touch_listener, self);
    } else if (!touch && self->touch_) {
        wl_touch_release(self->touch_);
        self->touch_ = nullptr;
        self->touches_.clear();
    }
}
