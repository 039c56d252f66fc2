#pragma once

// Things that are not files under audio files' names, for the readers that
// open audio files: each must be refused at once. A named pipe is the one
// that can hold a reader: opening it for reading waits for a writer.

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nonregular {

struct Entry
{
    const char *what;
    std::string path;
};

// Makes a named pipe, a folder and a link to a character device in folder;
// an empty list when one cannot be made.
inline std::vector<Entry> make(const std::string &folder)
{
    std::vector<Entry> entries = {
        { "named pipe", folder + "/waiting.wav" },
        { "folder", folder + "/folder.mp3" },
        { "link to a character device", folder + "/device.flac" },
    };
    if (::mkfifo(entries[0].path.c_str(), 0644) != 0 || ::mkdir(entries[1].path.c_str(), 0755) != 0
        || ::symlink("/dev/zero", entries[2].path.c_str()) != 0)
        return {};
    return entries;
}

// What read returns, run on a thread of its own; nothing when it has not
// returned after a limit no refusal comes near. A reader still waiting is
// then freed by opening path for writing, which a waiting pipe reader needs,
// so the test fails instead of hanging.
inline std::optional<int> resultWithoutWaiting(const std::function<int()> &read, const std::string &path)
{
    std::future<int> result = std::async(std::launch::async, read);
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return result.get();
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    result.wait();
    if (writer >= 0)
        ::close(writer);
    return std::nullopt;
}

} // namespace nonregular
