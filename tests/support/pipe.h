#pragma once
// A named pipe in place of a file the program reads or writes. A reader or
// writer that waits on the pipe would hold the test for good, so the access
// runs on a thread of its own and is freed after a deadline: the test then
// fails instead of hanging. An access that does not wait ends at once, so the
// deadline leaves room for the slowest build on a loaded machine.

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool inTime = done;
    // An end that opens both ways and closes again lets a waiting open go on
    // and ends a waiting read; a short write fits in the pipe's buffer.
    while (!done) {
        const int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    return inTime;
}

}  // namespace tolvane::test
