// The legacy file calls over POSIX files: read-only, read in sequence.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/kernel/kernel_internal.h"

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace layer {
namespace {

// Only files opened here may be read or closed through these calls, so a
// stray handle can never reach another descriptor of the process.
std::set<int>& OpenFiles()
{
    static std::set<int> files;
    return files;
}

bool Known(HFILE file)
{
    return OpenFiles().count(file) != 0;
}

}  // namespace

void CloseOpenFiles()
{
    for (int fd : OpenFiles())
        ::close(fd);
    OpenFiles().clear();
}

int OpenRegularFile(const char* path, const char* operation)
{
    // Looked at before it is opened: opening a device may do something, and
    // opening a FIFO waits for a writer.
    struct stat info;
    if (::stat(path, &info) != 0)
        return -1;
    if (!S_ISREG(info.st_mode)) {
        Refuse(operation, "not a regular file");
        return -1;
    }
    // Opened without waiting all the same, and the descriptor checked again,
    // in case the path changed in between.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        Refuse(operation, "not a regular file");
        return -1;
    }
    // Reads of a regular file never wait; the flag was for the open only.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace layer

HFILE WINAPI _lopen(LPCSTR path, int mode)
{
    if (!layer::BeginCall("_lopen"))
        return HFILE_ERROR;
    if (path == nullptr)
        return HFILE_ERROR;
    if (mode != OF_READ) {
        layer::Refuse("_lopen", "only OF_READ is emulated");
        return HFILE_ERROR;
    }
    const int fd = layer::OpenRegularFile(path, "_lopen");
    if (fd < 0)
        return HFILE_ERROR;
    layer::OpenFiles().insert(fd);
    return fd;
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes)
{
    const UINT failed = static_cast<UINT>(HFILE_ERROR);
    if (!layer::BeginCall("_lread"))
        return failed;
    if (!layer::Known(file) || (buffer == nullptr && bytes != 0))
        return failed;
    // Short only at the end of the file.
    auto* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < bytes) {
        const ssize_t got = ::read(file, out + done, bytes - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed;
        if (got == 0)
            break;
        done += static_cast<UINT>(got);
    }
    return done;
}

HFILE WINAPI _lclose(HFILE file)
{
    if (!layer::BeginCall("_lclose"))
        return HFILE_ERROR;
    if (!layer::Known(file))
        return HFILE_ERROR;
    layer::OpenFiles().erase(file);
    ::close(file);
    return 0;
}
