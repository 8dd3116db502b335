// The extent of an input device's horizontal axis, from the kernel: the
// multitouch position's, else the single one's; 0 for a device without one.
#ifndef PLAYER_DEVICE_WIDTH_H
#define PLAYER_DEVICE_WIDTH_H

int horizontal_extent(int device_fd);

#endif
