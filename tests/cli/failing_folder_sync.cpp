// Loaded into the renderer under test with LD_PRELOAD: every fsync of a
// folder fails with EIO, as on a disk that fails just then; fsync of
// anything else is the C library's own.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>

extern "C" int fsync(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}
