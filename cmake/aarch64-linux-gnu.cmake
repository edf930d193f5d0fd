# Cross build for 64-bit ARM Linux with Debian's cross compiler and the
# arm64 multiarch libraries (dpkg --add-architecture arm64, then the -dev
# packages with :arm64), the programs run under qemu-user:
#
#   cmake -S . -B build-aarch64 -G Ninja -DTEXTSCAPE_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#
# scripts/full-check.sh does it and runs the tests through the emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The libraries and their pkg-config files are the arm64 ones; the headers
# shared by both architectures stay in /usr/include.
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for arm64")

# ctest, gtest_discover_tests and the build's own tools run the programs
# through it; no binfmt_misc is needed. The arm64 loader and libraries are
# where multiarch put them, so qemu needs no prefix of its own.
find_program(TEXTSCAPE_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TEXTSCAPE_QEMU_AARCH64})
