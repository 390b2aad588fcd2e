#pragma once
// Work that waits mostly on the disk goes faster on a few threads.
#include <cstddef>
#include <functional>

namespace win {

// Runs `work` on this thread and on up to `extra` more, and returns when all have returned.
// A thread the system cannot start only makes it slower: the others take its share.
void on_threads(std::size_t extra, const std::function<void()>& work);

}  // namespace win
