#include "platform/proc/child_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>

extern char** environ;

namespace platform::proc_detail {

namespace {

// The spawn attribute and file-action objects, destroyed on every path out.
class SpawnSetup {
public:
    SpawnSetup() {
        actions_ok_ = ::posix_spawn_file_actions_init(&actions) == 0;
        attributes_ok_ = ::posix_spawnattr_init(&attributes) == 0;
    }
    ~SpawnSetup() {
        if (actions_ok_) ::posix_spawn_file_actions_destroy(&actions);
        if (attributes_ok_) ::posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool ok() const { return actions_ok_ && attributes_ok_; }

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};

private:
    bool actions_ok_ = false;
    bool attributes_ok_ = false;
};

// The child starts with no signal blocked and every signal at its default action, whatever
// this process has set up for its own threads (an ignored SIGPIPE, say).
int reset_signals(posix_spawnattr_t& attributes) {
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    if (const int rc = ::posix_spawnattr_setsigmask(&attributes, &none); rc != 0) return rc;
    if (const int rc = ::posix_spawnattr_setsigdefault(&attributes, &all); rc != 0) return rc;
    return ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

int plan_files(posix_spawn_file_actions_t& actions, const ProcessOptions& options) {
    if (const int rc = ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0); rc != 0) {
        return rc;
    }
    if (options.output == ProcessOutput::discard) {
        if (const int rc = ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0); rc != 0) {
            return rc;
        }
        if (const int rc = ::posix_spawn_file_actions_adddup2(&actions, 1, 2); rc != 0) return rc;
    }
    if (options.working_directory) {
        return ::posix_spawn_file_actions_addchdir_np(&actions, options.working_directory->c_str());
    }
    return 0;
}

}  // namespace

Result<pid_t> spawn_child(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
    if (program.empty()) return Status(Errc::invalid_argument, "no program to run");
    // Checked here because a failed chdir in the child reports the same ENOENT as a missing
    // program; the message should say which was missing.
    if (options.working_directory) {
        struct stat info {};
        if (::stat(options.working_directory->c_str(), &info) != 0) {
            return Status::from_errno(errno, "working directory " + *options.working_directory);
        }
        if (!S_ISDIR(info.st_mode)) {
            return Status(Errc::not_found, "working directory " + *options.working_directory + " is not a folder");
        }
    }

    SpawnSetup setup;
    if (!setup.ok()) return Status(Errc::io_error, "prepare to run " + program);
    if (const int rc = reset_signals(setup.attributes); rc != 0) return Status::from_errno(rc, "prepare to run " + program);
    if (const int rc = plan_files(setup.actions, options); rc != 0) return Status::from_errno(rc, "prepare to run " + program);

    // posix_spawn takes non-const strings for historical reasons; it does not change them.
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (rc != 0) return Status::from_errno(rc, "run " + program);
    return pid;
}

}  // namespace platform::proc_detail
