// Native stand-ins for the platform services, so the portable core and its
// tests build and run outside Windows.
#include "text/Platform.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdint>

namespace velmora {

namespace {

bool HasWildcard(const Text& path) { return path.View().find_first_of("*?") != std::string_view::npos; }

Text ReadProgramDirectory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return Text();
    std::string_view path(buffer, std::size_t(length));
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return Text();
    return Text::Result(path.substr(0, slash));
}

}  // namespace

bool FileExists(const Text& path) {
    if (path.IsEmpty()) return false;
    char last = path.View().back();
    if (last == '\\' || last == '/') return false;
    if (!HasWildcard(path)) {
        struct stat info;
        return stat(path.Data(), &info) == 0;
    }
    glob_t matches{};
    bool found = glob(path.Data(), GLOB_NOSORT, nullptr, &matches) == 0 && matches.gl_pathc > 0;
    globfree(&matches);
    return found;
}

bool WriteFile(const Text& path, const ByteSet& bytes) {
    if (path.IsEmpty()) return false;
    int fd = open(path.Data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    const unsigned char* data = bytes.Data();
    std::size_t left = std::size_t(bytes.Length());
    while (ok && left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            ok = false;
        } else {
            data += written;
            left -= std::size_t(written);
        }
    }
    if (close(fd) != 0) ok = false;
    return ok;
}

bool MoveFileReplacing(const Text& from, const Text& to) {
    if (from.IsEmpty() || to.IsEmpty()) return false;
    return std::rename(from.Data(), to.Data()) == 0;
}

bool RemoveFile(const Text& path) {
    if (path.IsEmpty()) return false;
    return unlink(path.Data()) == 0;
}

Text ProgramDirectory() {
    static const Text directory = ReadProgramDirectory();
    return directory;
}

void InitProgramDirectory() {
    Text directory = ProgramDirectory();
    if (!directory.IsEmpty() && chdir(directory.Data()) != 0) {
        // Stays in the starting directory, as the Windows program would.
    }
}

int UptimeMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u;
    return int(std::uint32_t(ms));
}

void ProcessEvents() {}

unsigned CurrentThreadId() { return unsigned(syscall(SYS_gettid)); }

void ShowFatalBoxAndExit(const Text& boxText, const Text& title) {
    // No window system here: the box goes to stderr, then the process ends
    // with exit code -1 without running destructors or atexit handlers.
    auto put = [](std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t written = write(STDERR_FILENO, bytes.data(), bytes.size());
            if (written <= 0) return;
            bytes.remove_prefix(std::size_t(written));
        }
    };
    put(title.View());
    put("\n");
    put(boxText.View());
    put("\n");
    _exit(-1);
}

}  // namespace velmora
