#include "win/threads.h"

#include <system_error>
#include <thread>
#include <vector>

namespace win {

void on_threads(std::size_t extra, const std::function<void()>& work) {
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() < extra) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // fewer helpers, the same work
    }
    work();
    for (std::thread& t : helpers) t.join();
}

}  // namespace win
