# Cross-builds the kit for Debian armel; see debian-cross.cmake.
set(KIT_CROSS_DEBIAN_ARCH armel)
set(KIT_CROSS_TRIPLET arm-linux-gnueabi)
set(KIT_CROSS_PROCESSOR arm)
set(KIT_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
