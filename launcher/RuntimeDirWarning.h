#ifndef RUNTIMEDIRWARNING_H
#define RUNTIMEDIRWARNING_H

// Keeps Qt from warning that XDG_RUNTIME_DIR is unset and that it uses a
// folder of its own instead: that is the rule on a bare console or a device
// started from a boot script, and no news to the user. Every other message
// goes where it went before. Call it before the application object exists,
// which is when Qt looks for the folder.
void dropRuntimeDirWarning();

#endif
