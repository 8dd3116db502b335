#include "panel_service_sleep.h"

#include "panel_channel.h"

namespace {

constexpr std::chrono::milliseconds answer_deadline{1000};

}  // namespace

bool hand_to_panel_service(int seconds) {
    return ask_panel_service(sleep_request(seconds), answer_deadline).reply == reply::taken;
}
