#include "unprivileged.h"

#ifdef _WIN32

namespace tarnwick::testing {
std::string RunUnprivileged(const std::string &, const std::function<std::string()> &function)
{
    return function();
}
} // namespace tarnwick::testing

#else

#include <cstring>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick::testing {

std::string RunUnprivileged(const std::string &workFolder, const std::function<std::string()> &function)
{
    constexpr uid_t nobody = 65534;
    if (::geteuid() == 0 && ::chown(workFolder.c_str(), nobody, nobody) != 0)
        return std::string("cannot hand the work folder to nobody: ") + std::strerror(errno);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "cannot make a pipe";
    const pid_t child = ::fork();
    if (child < 0)
        return "cannot fork";
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setenv("TEMP", workFolder.c_str(), 1);
        std::string message;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            message = "cannot drop to nobody";
        else
            message = function();
        const ssize_t ignored = ::write(pipeFds[1], message.data(), message.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the unprivileged child did not finish: status " + std::to_string(status) + " " + message;
    return message;
}

} // namespace tarnwick::testing

#endif
