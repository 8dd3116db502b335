#include "wayland_globals.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

void* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t offered,
           std::uint32_t wanted) {
    return wl_registry_bind(registry, name, interface, std::min(offered, wanted));
}

void on_power_mode(void*, zwlr_output_power_v1*, std::uint32_t) {}

// The output cannot be powered down, or another client controls it.
void on_power_failed(void* data, zwlr_output_power_v1* power) {
    auto* output = static_cast<session_output*>(data);
    zwlr_output_power_v1_destroy(power);
    output->power = nullptr;
}

const zwlr_output_power_v1_listener power_listener = {on_power_mode, on_power_failed};

}  // namespace

session_output::~session_output() {
    if (power) zwlr_output_power_v1_destroy(power);
    if (output) wl_output_destroy(output);
}

wayland_globals::wayland_globals(wl_display* connection)
    : display(connection), registry_(wl_display_get_registry(connection)) {
    static const wl_registry_listener listener = {global, global_remove};
    wl_registry_add_listener(registry_, &listener, this);
}

wayland_globals::~wayland_globals() {
    outputs.clear();
    if (kde_idle) org_kde_kwin_idle_destroy(kde_idle);
    if (idle_notifier) ext_idle_notifier_v1_destroy(idle_notifier);
    if (power_manager) zwlr_output_power_manager_v1_destroy(power_manager);
    if (layer_shell) zwlr_layer_shell_v1_destroy(layer_shell);
    if (seat) wl_seat_destroy(seat);
    if (shm) wl_shm_destroy(shm);
    if (compositor) wl_compositor_destroy(compositor);
    wl_registry_destroy(registry_);
}

void wayland_globals::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                             std::uint32_t version) {
    auto* self = static_cast<wayland_globals*>(data);
    const auto is = [interface](const wl_interface& wanted) { return std::strcmp(interface, wanted.name) == 0; };
    if (is(wl_compositor_interface) && !self->compositor) {
        self->compositor = static_cast<wl_compositor*>(bind(registry, name, &wl_compositor_interface, version, 4));
    } else if (is(wl_shm_interface) && !self->shm) {
        self->shm = static_cast<wl_shm*>(bind(registry, name, &wl_shm_interface, version, 1));
    } else if (is(wl_seat_interface) && !self->seat) {
        self->seat = static_cast<wl_seat*>(bind(registry, name, &wl_seat_interface, version, 5));
    } else if (is(zwlr_layer_shell_v1_interface) && !self->layer_shell) {
        self->layer_shell =
            static_cast<zwlr_layer_shell_v1*>(bind(registry, name, &zwlr_layer_shell_v1_interface, version, 1));
    } else if (is(zwlr_output_power_manager_v1_interface) && !self->power_manager) {
        self->power_manager = static_cast<zwlr_output_power_manager_v1*>(
            bind(registry, name, &zwlr_output_power_manager_v1_interface, version, 1));
        for (const auto& output : self->outputs) self->watch_power(*output);
    } else if (is(ext_idle_notifier_v1_interface) && !self->idle_notifier) {
        self->idle_notifier =
            static_cast<ext_idle_notifier_v1*>(bind(registry, name, &ext_idle_notifier_v1_interface, version, 1));
    } else if (is(org_kde_kwin_idle_interface) && !self->kde_idle) {
        self->kde_idle = static_cast<org_kde_kwin_idle*>(bind(registry, name, &org_kde_kwin_idle_interface, version, 1));
    } else if (is(wl_output_interface)) {
        self->add_output(static_cast<wl_output*>(bind(registry, name, &wl_output_interface, version, 1)), name);
    }
}

void wayland_globals::global_remove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<wayland_globals*>(data);
    auto& outputs = self->outputs;
    const auto gone = std::remove_if(outputs.begin(), outputs.end(), [name](const auto& o) { return o->name == name; });
    outputs.erase(gone, outputs.end());
}

void wayland_globals::add_output(wl_output* output, std::uint32_t name) {
    auto entry = std::make_unique<session_output>();
    entry->name = name;
    entry->output = output;
    watch_power(*entry);
    outputs.push_back(std::move(entry));
}

void wayland_globals::watch_power(session_output& output) {
    if (!power_manager || output.power) return;
    output.power = zwlr_output_power_manager_v1_get_output_power(power_manager, output.output);
    zwlr_output_power_v1_add_listener(output.power, &power_listener, &output);
}
