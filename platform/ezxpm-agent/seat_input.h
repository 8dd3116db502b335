// The seat's keyboard, pointer and touch as the agent sees them: only what
// reaches its overlay, since it shows no other surface. Tells of each key,
// button, touch or scroll, and whether a key, button or touch is still down
// after it; and apart, of pointer motion, which may come just before a
// click (a touch screen that acts as a pointer sends both at once).
#ifndef EZXPM_AGENT_SEAT_INPUT_H
#define EZXPM_AGENT_SEAT_INPUT_H

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <set>

class seat_input {
public:
    seat_input(wl_seat* seat, std::function<void(bool held)> input, std::function<void()> moved);
    ~seat_input();
    seat_input(const seat_input&) = delete;
    seat_input& operator=(const seat_input&) = delete;

    bool held() const { return !keys_.empty() || !buttons_.empty() || !touches_.empty(); }

private:
    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
    static void name(void*, wl_seat*, const char*) {}
    void changed() { input_(held()); }

    static wl_keyboard_listener keyboard_listener_for();
    static wl_pointer_listener pointer_listener_for();
    static wl_touch_listener touch_listener_for();
    static const wl_keyboard_listener keyboard_listener;
    static const wl_pointer_listener pointer_listener;
    static const wl_touch_listener touch_listener;

    std::function<void(bool)> input_;
    std::function<void()> moved_;
    wl_seat* seat_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    std::set<std::uint32_t> keys_;
    std::set<std::uint32_t> buttons_;
    std::set<std::int32_t> touches_;
};

#endif
