// The names in a directory, "." and ".." left out; none when it cannot be read.
#ifndef PANEL_DIRECTORY_ENTRIES_H
#define PANEL_DIRECTORY_ENTRIES_H

#include <string>
#include <vector>

std::vector<std::string> directory_entries(const std::string& path);

#endif
