#pragma once

#include <QByteArray>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace sorvant::bench {

// Runs a program (args[0], a path) to its end; its peak resident memory in
// MB, or -1 when it failed.
inline double runProcessPeakMb(std::vector<QByteArray> args)
{
    std::vector<char *> argv;
    for (QByteArray &b : args)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace sorvant::bench
