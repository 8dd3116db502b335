#include "overlay.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "file_descriptor.h"

struct overlay_surface {
    wl_display* display = nullptr;
    wl_shm* shm = nullptr;
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_buffer* buffer = nullptr;
    wl_callback* drawn = nullptr;
    bool on_screen = false;

    ~overlay_surface() {
        if (drawn) wl_callback_destroy(drawn);
        if (layer) zwlr_layer_surface_v1_destroy(layer);
        if (surface) wl_surface_destroy(surface);
        if (buffer) wl_buffer_destroy(buffer);
    }
};

void overlay_surface_deleter::operator()(overlay_surface* surface) const { delete surface; }

namespace {

// A buffer of black pixels: a new memory file reads as zeros, which is
// black in XRGB8888, the format every compositor takes.
wl_buffer* black_buffer(wl_shm* shm, std::uint32_t width, std::uint32_t height) {
    const std::int32_t stride = static_cast<std::int32_t>(width) * 4;
    const std::int32_t size = stride * static_cast<std::int32_t>(height);
    file_descriptor memory(::memfd_create("ezxpm-agent-overlay", MFD_CLOEXEC));
    if (memory.get() < 0 || ::ftruncate(memory.get(), size) != 0) return nullptr;
    wl_shm_pool* pool = wl_shm_create_pool(shm, memory.get(), size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(width),
                                                  static_cast<std::int32_t>(height), stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    return buffer;
}

// The compositor has taken the drawn surface: it shows from the next frame.
void on_drawn(void* data, wl_callback* callback, std::uint32_t) {
    auto* s = static_cast<overlay_surface*>(data);
    wl_callback_destroy(callback);
    s->drawn = nullptr;
    s->on_screen = true;
}

const wl_callback_listener drawn_listener = {on_drawn};

void on_configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                  std::uint32_t height) {
    auto* s = static_cast<overlay_surface*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    if (s->buffer || width == 0 || height == 0) return;
    s->buffer = black_buffer(s->shm, width, height);
    if (!s->buffer) return;
    wl_surface_attach(s->surface, s->buffer, 0, 0);
    wl_surface_damage(s->surface, 0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    wl_surface_commit(s->surface);
    s->drawn = wl_display_sync(s->display);
    wl_callback_add_listener(s->drawn, &drawn_listener, s);
}

// The compositor will not show it (its output went, say): nothing to wait for.
void on_closed(void* data, zwlr_layer_surface_v1*) { static_cast<overlay_surface*>(data)->on_screen = true; }

const zwlr_layer_surface_v1_listener layer_listener = {on_configure, on_closed};

}  // namespace

void overlay::show() {
    for (auto it = surfaces_.begin(); it != surfaces_.end();) {
        const bool output_gone = std::none_of(globals_.outputs.begin(), globals_.outputs.end(),
                                              [&](const auto& output) { return output->name == it->first; });
        it = output_gone ? surfaces_.erase(it) : std::next(it);
    }
    for (const auto& output : globals_.outputs) {
        if (surfaces_.count(output->name)) continue;
        std::unique_ptr<overlay_surface, overlay_surface_deleter> s(new overlay_surface);
        s->display = globals_.display;
        s->shm = globals_.shm;
        s->surface = wl_compositor_create_surface(globals_.compositor);
        s->layer = zwlr_layer_shell_v1_get_layer_surface(globals_.layer_shell, s->surface, output->output,
                                                         ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "ezxpm-agent");
        zwlr_layer_surface_v1_add_listener(s->layer, &layer_listener, s.get());
        zwlr_layer_surface_v1_set_anchor(s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // -1: over panels and bars too, not beside them.
        zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, 1);
        wl_surface_commit(s->surface);
        surfaces_.emplace(output->name, std::move(s));
    }
}

bool overlay::shown() const {
    return !surfaces_.empty() &&
           std::all_of(surfaces_.begin(), surfaces_.end(), [](const auto& entry) { return entry.second->on_screen; });
}
