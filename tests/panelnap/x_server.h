// A private X server for one test, so that no test touches the user's own.
#ifndef PANELNAP_X_SERVER_H
#define PANELNAP_X_SERVER_H

#include <sys/types.h>

#include <string>

// Xvfb on the first free display, kept alive with its settings (-noreset)
// until the object goes. Started by path, so it runs natively under an
// emulated test.
class private_x_server {
public:
    private_x_server();
    ~private_x_server();
    private_x_server(const private_x_server&) = delete;
    private_x_server& operator=(const private_x_server&) = delete;

    static bool installed();
    // The DISPLAY value, such as ":1"; empty when the server did not start.
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

#endif
