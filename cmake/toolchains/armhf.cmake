# Cross-builds the kit for Debian armhf; see debian-cross.cmake.
set(KIT_CROSS_DEBIAN_ARCH armhf)
set(KIT_CROSS_TRIPLET arm-linux-gnueabihf)
set(KIT_CROSS_PROCESSOR arm)
set(KIT_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
