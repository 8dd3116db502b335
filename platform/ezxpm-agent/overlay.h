// The agent's overlay: on each output a layer surface of one dark colour
// above everything else, anchored to every edge, with the keyboard to
// itself, so that the input that wakes dark outputs reaches the agent and
// not the window below.
#ifndef EZXPM_AGENT_OVERLAY_H
#define EZXPM_AGENT_OVERLAY_H

#include <cstdint>
#include <map>
#include <memory>

#include "wayland_globals.h"

struct overlay_surface;
struct overlay_surface_deleter {
    void operator()(overlay_surface* surface) const;
};

class overlay {
public:
    explicit overlay(wayland_globals& globals) : globals_(globals) {}

    // Puts a surface on every output that has none yet and takes down those
    // of outputs gone; hide() takes them all down.
    void show();
    void hide() { surfaces_.clear(); }
    // Every output's surface is on screen, or the compositor closed it.
    bool shown() const;

private:
    wayland_globals& globals_;
    std::map<std::uint32_t, std::unique_ptr<overlay_surface, overlay_surface_deleter>> surfaces_;  // by output
};

#endif
