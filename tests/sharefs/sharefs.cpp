// sharefs: a small FUSE file system for tests that mirrors a folder and
// behaves like the network shares that differ from a local disk.
//
//   sharefs BACKING MOUNTPOINT [--locks=local|grant|none] [--no-links]
//           [--no-rename-flags] [--read-delay-ms=N]
//
// --locks=local  record locks are kept by the kernel, as on a local disk
//                (the default);
// --locks=grant  every lock request is granted and a test for a lock always
//                finds none: locks are granted but not enforced;
// --locks=none   every lock request fails with ENOLCK;
// --no-links     hard links are refused with EPERM;
// --no-rename-flags  a rename with flags (such as RENAME_NOREPLACE) is
//                refused with EINVAL, as on shares whose server lacks it;
// --read-delay-ms=N  every read waits N milliseconds first, as on a slow
//                network.
//
// Standard input takes commands, one a line, each answered with "ok":
//   arm PID N   kill the process PID with SIGKILL at its Nth request to the
//               file system (the request is not carried out);
//   count PID   count the requests of PID from now ("count 0" stops);
//   total       answers "total N": the requests counted so far.
//
// The file system unmounts itself when it is told to end (SIGTERM, SIGINT),
// when its parent process dies, and (through fusermount's auto_unmount)
// when it is killed.
#define FUSE_USE_VERSION 31

#include <fuse3/fuse.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

enum class Locks { Local, Grant, None };

std::string g_backing;
Locks g_locks = Locks::Local;
bool g_noLinks = false;
int g_readDelayMs = 0;
bool g_noRenameFlags = false;

std::atomic<pid_t> g_victim{0};
std::atomic<long> g_countdown{0};
std::atomic<pid_t> g_counted{0};
std::atomic<long> g_total{0};

std::string real(const char* path) { return g_backing + path; }

// Counts the request and kills its process when it is the armed one.
// True when the request must not be carried out.
bool killed()
{
    const pid_t pid = fuse_get_context()->pid;
    if (pid > 0 && pid == g_counted.load())
        ++g_total;
    if (pid > 0 && pid == g_victim.load() && --g_countdown == 0) {
        g_victim = 0;
        ::kill(pid, SIGKILL);
        return true;
    }
    return false;
}

#define GUARD()                                                                                    \
    if (killed())                                                                                  \
    return -EIO

int rc(int result) { return result < 0 ? -errno : 0; }

int fsGetattr(const char* path, struct stat* st, fuse_file_info* fi)
{
    GUARD();
    if (fi)
        return rc(::fstat(int(fi->fh), st));
    return rc(::lstat(real(path).c_str(), st));
}

int fsReadlink(const char* path, char* buf, size_t size)
{
    GUARD();
    const ssize_t n = ::readlink(real(path).c_str(), buf, size - 1);
    if (n < 0)
        return -errno;
    buf[n] = '\0';
    return 0;
}

int fsMkdir(const char* path, mode_t mode)
{
    GUARD();
    return rc(::mkdir(real(path).c_str(), mode));
}

int fsUnlink(const char* path)
{
    GUARD();
    return rc(::unlink(real(path).c_str()));
}

int fsRmdir(const char* path)
{
    GUARD();
    return rc(::rmdir(real(path).c_str()));
}

int fsSymlink(const char* target, const char* path)
{
    GUARD();
    return rc(::symlink(target, real(path).c_str()));
}

int fsRename(const char* from, const char* to, unsigned int flags)
{
    GUARD();
    if (flags != 0 && g_noRenameFlags)
        return -EINVAL;
    return rc(::renameat2(AT_FDCWD, real(from).c_str(), AT_FDCWD, real(to).c_str(), flags));
}

int fsLink(const char* from, const char* to)
{
    GUARD();
    if (g_noLinks)
        return -EPERM;
    return rc(::link(real(from).c_str(), real(to).c_str()));
}

int fsChmod(const char* path, mode_t mode, fuse_file_info* fi)
{
    GUARD();
    if (fi)
        return rc(::fchmod(int(fi->fh), mode));
    return rc(::chmod(real(path).c_str(), mode));
}

int fsChown(const char* path, uid_t uid, gid_t gid, fuse_file_info*)
{
    GUARD();
    return rc(::lchown(real(path).c_str(), uid, gid));
}

int fsTruncate(const char* path, off_t size, fuse_file_info* fi)
{
    GUARD();
    if (fi)
        return rc(::ftruncate(int(fi->fh), size));
    return rc(::truncate(real(path).c_str(), size));
}

int fsUtimens(const char* path, const timespec tv[2], fuse_file_info* fi)
{
    GUARD();
    if (fi)
        return rc(::futimens(int(fi->fh), tv));
    return rc(::utimensat(AT_FDCWD, real(path).c_str(), tv, AT_SYMLINK_NOFOLLOW));
}

int fsOpen(const char* path, fuse_file_info* fi)
{
    GUARD();
    const int fd = ::open(real(path).c_str(), fi->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int fsCreate(const char* path, mode_t mode, fuse_file_info* fi)
{
    GUARD();
    const int fd = ::open(real(path).c_str(), fi->flags | O_CREAT, mode);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int fsRead(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    GUARD();
    if (g_readDelayMs > 0)
        ::usleep(useconds_t(g_readDelayMs) * 1000);
    const ssize_t n = ::pread(int(fi->fh), buf, size, offset);
    return n < 0 ? -errno : int(n);
}

int fsWrite(const char*, const char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    GUARD();
    const ssize_t n = ::pwrite(int(fi->fh), buf, size, offset);
    return n < 0 ? -errno : int(n);
}

int fsStatfs(const char* path, struct statvfs* st)
{
    GUARD();
    return rc(::statvfs(real(path).c_str(), st));
}

int fsFlush(const char*, fuse_file_info*)
{
    GUARD();
    return 0;
}

int fsRelease(const char*, fuse_file_info* fi)
{
    ::close(int(fi->fh));
    return 0;
}

int fsFsync(const char*, int datasync, fuse_file_info* fi)
{
    GUARD();
    return rc(datasync ? ::fdatasync(int(fi->fh)) : ::fsync(int(fi->fh)));
}

int fsReaddir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*,
              fuse_readdir_flags)
{
    GUARD();
    DIR* dir = ::opendir(real(path).c_str());
    if (!dir)
        return -errno;
    while (dirent* e = ::readdir(dir)) {
        struct stat st;
        std::memset(&st, 0, sizeof st);
        st.st_ino = e->d_ino;
        st.st_mode = mode_t(e->d_type) << 12;
        if (fill(buf, e->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    ::closedir(dir);
    return 0;
}

int fsAccess(const char* path, int mask)
{
    GUARD();
    return rc(::access(real(path).c_str(), mask));
}

// Only installed for --locks=grant and --locks=none: without it the kernel
// keeps the locks itself.
int fsLock(const char*, fuse_file_info*, int cmd, struct flock* lock)
{
    GUARD();
    if (g_locks == Locks::None)
        return -ENOLCK;
    // Granted, and forgotten at once: libfuse keeps a list of the locks it
    // granted, which it would answer tests from; an unlock is not listed.
    (void)cmd;
    lock->l_type = F_UNLCK;
    return 0;
}

void readCommands()
{
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        long pid = 0;
        long n = 0;
        if (std::sscanf(line, "arm %ld %ld", &pid, &n) == 2) {
            g_countdown = n;
            g_victim = pid_t(pid);
        } else if (std::sscanf(line, "count %ld", &pid) == 1) {
            g_total = 0;
            g_counted = pid_t(pid);
        } else if (std::strncmp(line, "total", 5) == 0) {
            std::printf("total %ld\n", g_total.load());
        }
        std::printf("ok\n");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: sharefs BACKING MOUNTPOINT [options]\n");
        return 2;
    }
    // Ends with the test that started it, whatever way that one ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1)
        return 1;
    char resolved[PATH_MAX];
    if (!::realpath(argv[1], resolved)) {
        std::perror(argv[1]);
        return 2;
    }
    g_backing = resolved;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--locks=grant")
            g_locks = Locks::Grant;
        else if (a == "--locks=none")
            g_locks = Locks::None;
        else if (a == "--locks=local")
            g_locks = Locks::Local;
        else if (a == "--no-links")
            g_noLinks = true;
        else if (a == "--no-rename-flags")
            g_noRenameFlags = true;
        else if (a.rfind("--read-delay-ms=", 0) == 0)
            g_readDelayMs = std::atoi(a.c_str() + 16);
        else {
            std::fprintf(stderr, "sharefs: unknown option %s\n", a.c_str());
            return 2;
        }
    }

    fuse_operations ops;
    std::memset(&ops, 0, sizeof ops);
    ops.getattr = fsGetattr;
    ops.readlink = fsReadlink;
    ops.mkdir = fsMkdir;
    ops.unlink = fsUnlink;
    ops.rmdir = fsRmdir;
    ops.symlink = fsSymlink;
    ops.rename = fsRename;
    ops.link = fsLink;
    ops.chmod = fsChmod;
    ops.chown = fsChown;
    ops.truncate = fsTruncate;
    ops.utimens = fsUtimens;
    ops.open = fsOpen;
    ops.create = fsCreate;
    ops.read = fsRead;
    ops.write = fsWrite;
    ops.statfs = fsStatfs;
    ops.flush = fsFlush;
    ops.release = fsRelease;
    ops.fsync = fsFsync;
    ops.readdir = fsReaddir;
    ops.access = fsAccess;
    if (g_locks != Locks::Local)
        ops.lock = fsLock;

    std::thread(readCommands).detach();

    // Single-threaded and in the foreground; nothing cached, so that every
    // look at a file reaches the file system (and its counting).
    std::vector<char*> args = {argv[0],
                               argv[2],
                               const_cast<char*>("-f"),
                               const_cast<char*>("-s"),
                               const_cast<char*>("-o"),
                               const_cast<char*>("auto_unmount,attr_timeout=0,entry_timeout=0,"
                                                 "negative_timeout=0,fsname=sharefs")};
    return fuse_main(int(args.size()), args.data(), &ops, nullptr);
}
