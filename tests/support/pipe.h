#pragma once
// A named pipe in place of a file the program reads. A reader that waits on
// the pipe would hold the test for good, so the read runs on a thread of its
// own and is freed after a deadline: the test then fails instead of hanging.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::test {

// Makes the pipe at path and runs read; false when read waited on it.
template <typename Read>
bool readsPipeWithoutWaiting(const QString& path, Read read)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkfifo(name.constData(), 0600) != 0) {
        ADD_FAILURE() << "no named pipe at " << name.constData();
        return false;
    }
    std::atomic<bool> done{false};
    std::thread reader([&] {
        read();
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool inTime = done;
    // A writer that comes and goes lets a waiting open go on and ends its read.
    while (!done) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    return inTime;
}

}  // namespace tolvane::test
