// A window for the agent's test: it shows itself, prints "ready" once the
// compositor has it, then one line for each key or button pressed on it
// ("key <code>", "button <code>"). With --inhibit-idle it keeps the session
// from going idle while it shows, as a playing clip does.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "file_descriptor.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct window {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* shell = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitor = nullptr;
    wl_surface* surface = nullptr;
    bool drawn = false;
};

void line(const char* text, unsigned code) {
    std::printf("%s %u\n", text, code);
    std::fflush(stdout);
}

const wl_keyboard_listener keyboard_listener = {
    [](void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { ::close(fd); },
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED) line("key", key);
    },
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

wl_pointer_listener pointer_listener() {
    wl_pointer_listener l{};
    l.enter = [](void*, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t) {};
    l.leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {};
    l.motion = [](void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {};
    l.button = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) line("button", button);
    };
    l.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
    return l;
}

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto* w = static_cast<window*>(data);
    const auto is = [interface](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
    if (is(wl_compositor_interface))
        w->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (is(wl_shm_interface))
        w->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (is(wl_seat_interface) && !w->seat)
        w->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (is(xdg_wm_base_interface))
        w->shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    else if (is(zwp_idle_inhibit_manager_v1_interface))
        w->inhibitor = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void draw(window& w, int width, int height) {
    const int stride = width * 4, size = stride * height;
    file_descriptor memory(::memfd_create("key-window", MFD_CLOEXEC));
    if (::ftruncate(memory.get(), size) != 0) return;
    wl_shm_pool* pool = wl_shm_create_pool(w.shm, memory.get(), size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    wl_surface_attach(w.surface, buffer, 0, 0);
    wl_surface_damage(w.surface, 0, 0, width, height);
    wl_surface_commit(w.surface);
    w.drawn = true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool inhibit = argc > 1 && std::strcmp(argv[1], "--inhibit-idle") == 0;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 1;
    window w;
    static const wl_registry_listener registry_listener = {global, [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, &w);
    wl_display_roundtrip(display);
    if (!w.compositor || !w.shm || !w.seat || !w.shell || (inhibit && !w.inhibitor)) return 1;
    static const xdg_wm_base_listener shell_listener = {
        [](void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }};
    xdg_wm_base_add_listener(w.shell, &shell_listener, nullptr);
    // A seat without devices gains a keyboard while a virtual one is there;
    // the keyboard of each such time is a new one.
    static const wl_seat_listener seat_listener = {
        [](void*, wl_seat* seat, std::uint32_t caps) {
            static wl_keyboard* keyboard = nullptr;
            static wl_pointer* pointer = nullptr;
            if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !keyboard) {
                keyboard = wl_seat_get_keyboard(seat);
                wl_keyboard_add_listener(keyboard, &keyboard_listener, nullptr);
            } else if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && keyboard) {
                wl_keyboard_destroy(keyboard);
                keyboard = nullptr;
            }
            if ((caps & WL_SEAT_CAPABILITY_POINTER) && !pointer) {
                pointer = wl_seat_get_pointer(seat);
                static const wl_pointer_listener listener = pointer_listener();
                wl_pointer_add_listener(pointer, &listener, nullptr);
            } else if (!(caps & WL_SEAT_CAPABILITY_POINTER) && pointer) {
                wl_pointer_destroy(pointer);
                pointer = nullptr;
            }
        },
        [](void*, wl_seat*, const char*) {},
    };
    wl_seat_add_listener(w.seat, &seat_listener, nullptr);

    w.surface = wl_compositor_create_surface(w.compositor);
    xdg_surface* shell_surface = xdg_wm_base_get_xdg_surface(w.shell, w.surface);
    static const xdg_surface_listener surface_listener = {[](void* data, xdg_surface* s, std::uint32_t serial) {
        auto* w = static_cast<window*>(data);
        xdg_surface_ack_configure(s, serial);
        if (!w->drawn) draw(*w, 240, 320);
    }};
    xdg_surface_add_listener(shell_surface, &surface_listener, &w);
    xdg_toplevel_set_app_id(xdg_surface_get_toplevel(shell_surface), "key-window");
    if (inhibit) zwp_idle_inhibit_manager_v1_create_inhibitor(w.inhibitor, w.surface);
    wl_surface_commit(w.surface);
    while (!w.drawn && wl_display_dispatch(display) >= 0) {
    }
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
