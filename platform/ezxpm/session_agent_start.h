// Starting the kit's agent for a Wayland session, ezxpm-agent, detached from
// the caller: it outlives panelnap, belongs to no terminal and writes to
// none.
#ifndef EZXPM_SESSION_AGENT_START_H
#define EZXPM_SESSION_AGENT_START_H

#include <string>

// EZXPM_AGENT when set, else the installed agent, found from this library's
// own place (lib/<triplet>/mediakit/ to libexec/mediakit/), else the one
// beside the library in a build tree; empty when none is executable.
std::string session_agent_program();

// Starts the program with the seconds as its argument, in a session of its
// own, its standard streams on /dev/null, and returns at once.
void start_session_agent(const std::string& program, int seconds);

#endif
