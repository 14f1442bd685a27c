#include "io/camera_raw.h"

#include "base/errors.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fringel {

namespace {

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Starts `program` (looked up on PATH) with its standard input, output and error on the given
// descriptors. Returns the process id, or -1 with errno set.
pid_t start(const std::vector<std::string>& args, int in, int out, int err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        errno = result;
        return -1;
    }
    return pid;
}

// What a finished process's status says, or "" for a clean exit with status 0.
std::string failureOf(const char* program, int status) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return std::string(program) + " could not be run";
    if (WIFEXITED(status))
        return std::string(program) + " ended with exit status " +
               std::to_string(WEXITSTATUS(status));
    return std::string(program) + " was ended by signal " + std::to_string(WTERMSIG(status));
}

// The last non-empty line of a small text file (the programs' error output).
std::string lastLine(const std::string& path) {
    std::string text(4096, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const off_t from = size > 4096 ? size - 4096 : 0;
    const ssize_t got = ::pread(fd, text.data(), text.size(), from);
    ::close(fd);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const std::size_t nl = text.rfind('\n');
    return nl == std::string::npos ? text : text.substr(nl + 1);
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

} // namespace

std::string cameraRawCommand(const std::string& rawFile) {
    return std::string(kRawDecoder) + " -c " + rawFile + " | " + kPixmapToBmp + " > " +
           kRawOutputName;
}

bool convertCameraRaw(Host& host, const std::string& rawFile, const std::string& folder) {
    host.log(cameraRawCommand(rawFile));
    const std::string target = inFolder(folder, kRawOutputName);
    const std::string partial = target + ".part";
    const std::string errors = target + ".log";
    const auto fail = [&](const std::string& why) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        std::filesystem::remove(errors, ignored);
        host.log("The camera raw file was not converted: " + why);
        return false;
    };

    Descriptor out(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0) return fail("cannot create " + partial + ": " + std::strerror(errno));
    Descriptor err(::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (err.get() < 0) return fail("cannot create " + errors + ": " + std::strerror(errno));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return fail(std::string("no pipe: ") + std::strerror(errno));
    Descriptor pipeRead(ends[0]);
    Descriptor pipeWrite(ends[1]);

    const pid_t decoder = start({kRawDecoder, "-c", rawFile}, -1, pipeWrite.get(), err.get());
    if (decoder < 0)
        return fail(std::string(kRawDecoder) + " cannot be started (" + std::strerror(errno) +
                    "); it comes with the Debian package dcraw");
    const pid_t converter = start({kPixmapToBmp}, pipeRead.get(), out.get(), err.get());
    const int startError = errno;
    // Only the children hold the pipe now, so each sees the other's end close.
    pipeRead.close();
    pipeWrite.close();
    out.close();
    err.close();

    // Waits for both while the window stays responsive.
    int decoderStatus = 0;
    int converterStatus = 0;
    bool decoderDone = false;
    bool converterDone = converter < 0;
    while (!decoderDone || !converterDone) {
        if (!decoderDone && ::waitpid(decoder, &decoderStatus, WNOHANG) == decoder)
            decoderDone = true;
        if (!converterDone && ::waitpid(converter, &converterStatus, WNOHANG) == converter)
            converterDone = true;
        if (!decoderDone || !converterDone) {
            host.processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
    }
    if (converter < 0)
        return fail(std::string(kPixmapToBmp) + " cannot be started (" + std::strerror(startError) +
                    "); it comes with the Debian package netpbm");
    std::string why = failureOf(kRawDecoder, decoderStatus);
    if (why.empty()) why = failureOf(kPixmapToBmp, converterStatus);
    if (!why.empty()) {
        const std::string detail = lastLine(errors);
        return fail(detail.empty() ? why : why + ": " + detail);
    }
    // A BMP file starts with "BM"; anything else is not what the pipeline promises.
    char magic[2] = {0, 0};
    {
        Descriptor check(::open(partial.c_str(), O_RDONLY | O_CLOEXEC));
        if (check.get() < 0 || ::read(check.get(), magic, 2) != 2 || magic[0] != 'B' ||
            magic[1] != 'M')
            return fail(std::string(kPixmapToBmp) + " wrote no BMP picture");
    }
    std::error_code ec;
    std::filesystem::rename(partial, target, ec);
    if (ec) return fail("cannot replace " + target + ": " + ec.message());
    std::filesystem::remove(errors, ec);
    return true;
}

} // namespace fringel
