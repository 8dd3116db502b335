// What the agent binds of the compositor's globals: the surfaces, shared
// memory and seat for its overlay, the layer shell, output power control,
// an idle notifier (ext-idle-notify, else KDE's idle protocol) and every
// output, those plugged in later too.
#ifndef EZXPM_AGENT_WAYLAND_GLOBALS_H
#define EZXPM_AGENT_WAYLAND_GLOBALS_H

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
// The generated header names an argument "namespace", a keyword of C++.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "wlr-output-power-management-unstable-v1-client-protocol.h"

struct session_output {
    std::uint32_t name = 0;  // the registry's
    wl_output* output = nullptr;
    zwlr_output_power_v1* power = nullptr;  // none where the output has no power control
    std::optional<bool> lit;                // what the agent last asked of it
    ~session_output();
};

class wayland_globals {
public:
    explicit wayland_globals(wl_display* connection);
    ~wayland_globals();
    wayland_globals(const wayland_globals&) = delete;
    wayland_globals& operator=(const wayland_globals&) = delete;

    wl_display* const display;

    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;  // the first seat: a session's only one on the kit's devices
    zwlr_layer_shell_v1* layer_shell = nullptr;
    zwlr_output_power_manager_v1* power_manager = nullptr;
    ext_idle_notifier_v1* idle_notifier = nullptr;
    org_kde_kwin_idle* kde_idle = nullptr;
    std::vector<std::unique_ptr<session_output>> outputs;

    // Whether the overlay can be shown: a layer shell, surfaces and memory.
    bool overlay_possible() const { return layer_shell && compositor && shm && seat; }

private:
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void global_remove(void* data, wl_registry* registry, std::uint32_t name);
    void add_output(wl_output* output, std::uint32_t name);
    void watch_power(session_output& output);

    wl_registry* registry_;
};

#endif
