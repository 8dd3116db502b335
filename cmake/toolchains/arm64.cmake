# Cross-builds the kit for Debian arm64; see debian-cross.cmake.
set(KIT_CROSS_DEBIAN_ARCH arm64)
set(KIT_CROSS_TRIPLET aarch64-linux-gnu)
set(KIT_CROSS_PROCESSOR aarch64)
set(KIT_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
