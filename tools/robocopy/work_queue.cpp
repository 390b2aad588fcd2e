// The work queue: copy threads that take files from the walk, and the thread that
// lists target folders while the walk lists the source.
#include "copier.h"

#include "copier_parts.h"

namespace robocopy {

void Copier::enqueue(Job job) {
    // Bounded, so a huge folder does not queue every path in memory at once.
    constexpr std::size_t kMaxQueued = 1024;
    const Hold hold(lock_);
    if (!started_) {
        started_ = true;
        for (Worker& w : workers_) w.thread = std::thread([this, &w] { work(w); });
    }
    while (queue_.size() >= kMaxQueued) SleepConditionVariableSRW(&room_free_, &lock_, INFINITE, 0);
    queue_.push_back(std::move(job));
    WakeConditionVariable(&job_ready_);
}

void Copier::work(Worker& worker) {
    worker.buffer = VirtualAlloc(nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    for (;;) {
        Job job;
        {
            const Hold hold(lock_);
            while (!closing_ && queue_.empty()) SleepConditionVariableSRW(&job_ready_, &lock_, INFINITE, 0);
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            WakeConditionVariable(&room_free_);
        }
        if (worker.buffer == nullptr || lost_) {
            if (!lost_) report(ERROR_NOT_ENOUGH_MEMORY, L"Copying File", job.source);
            ++worker.counts.files.failed;
            worker.counts.bytes.failed += job.from.stamp.size;
            continue;
        }
        copyWithRetries(job, worker.counts, worker.buffer);
    }
}

void Copier::stopThreads() {
    {
        const Hold hold(lock_);
        closing_ = true;
    }
    WakeAllConditionVariable(&job_ready_);
    WakeAllConditionVariable(&listing_changed_);
    for (Worker& w : workers_)
        if (w.thread.joinable()) w.thread.join();
    if (lister_.joinable()) lister_.join();
}

void Copier::lister() {
    const Hold hold(lock_);
    for (;;) {
        while (!closing_ && !listing_.wanted) SleepConditionVariableSRW(&listing_changed_, &lock_, INFINITE, 0);
        if (closing_) return;
        ReleaseSRWLockExclusive(&lock_);
        listing_.error = list(listing_.folder, listing_.entries);
        AcquireSRWLockExclusive(&lock_);
        listing_.wanted = false;
        listing_.ready = true;
        WakeAllConditionVariable(&listing_changed_);
    }
}

void Copier::beginTargetListing(const std::wstring& folder) {
    const Hold hold(lock_);
    if (!lister_.joinable()) lister_ = std::thread([this] { lister(); });
    listing_.folder = folder;
    listing_.ready = false;
    listing_.wanted = true;
    WakeAllConditionVariable(&listing_changed_);
}

DWORD Copier::endTargetListing(std::vector<Entry>& entries) {
    const Hold hold(lock_);
    while (!listing_.ready) SleepConditionVariableSRW(&listing_changed_, &lock_, INFINITE, 0);
    entries = std::move(listing_.entries);
    listing_.entries.clear();
    return listing_.error;
}

}  // namespace robocopy
