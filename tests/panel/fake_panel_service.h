// A stand-in for the power service on a socket of its own, named to the code
// under test through EZXPMD_SOCKET while it lives: it answers every request
// with one reply, or never, and logs what happened on its connections.
#ifndef PANEL_TESTS_FAKE_PANEL_SERVICE_H
#define PANEL_TESTS_FAKE_PANEL_SERVICE_H

#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "file_descriptor.h"
#include "test_support.h"

class fake_panel_service {
public:
    // reply: the answer to every request; none: requests go unanswered.
    explicit fake_panel_service(std::optional<std::string> reply);
    ~fake_panel_service();
    fake_panel_service(const fake_panel_service&) = delete;
    fake_panel_service& operator=(const fake_panel_service&) = delete;

    // Each request received, and "closed" where a client closed its connection.
    std::vector<std::string> log();

private:
    void serve();

    temp_dir dir_;
    std::optional<std::string> reply_;
    file_descriptor listener_;
    file_descriptor stop_read_, stop_write_;
    std::mutex mutex_;
    std::vector<std::string> log_;
    std::thread thread_;
};

#endif
