#include "sleep_command.h"

int main(int argc, char** argv) {
    // The platform keeps its settings here; deliberately not configurable.
    return run_sleep_command(argc, argv, "/ezxlocal/download/appwrite/setup/ezx_system.cfg");
}
