# Shared part of the Debian cross toolchains: the including file names the
# GNU triplet, the Debian architecture and the qemu-user program first.
# Compilers come from Debian's cross packages, libraries (Qt, GoogleTest,
# X11) from the target's multiarch packages under /usr/lib/<triplet>, and
# every built program that must run at build or test time runs under qemu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${KIT_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${KIT_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KIT_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KIT_CROSS_TRIPLET})
# GCC notes on ARM that its 7.1 release changed how some arguments are passed;
# the kit and the Debian libraries it links are all built after that.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
# No "-L /usr/<triplet>": the cross compiler's own copy of the C library is a
# different build from the multiarch one that Qt pulls in, and a program that
# loads the loader of one and the libc of the other crashes as soon as it
# starts a thread. Without -L, qemu takes the multiarch loader in /lib.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KIT_CROSS_QEMU})

# Host tools (moc, Qt's own helpers) are found as programs of the build
# machine; libraries and headers only for the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(QT_HOST_PATH /usr)
# pkg-config reads the target's .pc files (libevdev, libsystemd) alone, never
# the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${KIT_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The package names the target's architecture, not the build machine's.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KIT_CROSS_DEBIAN_ARCH})
