// The tree walk: lists each source and target folder once, copies what
// differs, creates and purges folders, and counts everything for the summary.
// The walk decides; file copies run on a few worker threads, because under
// Wine a small file costs mostly wineserver round trips, which overlap well.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "console.h"
#include "options.h"
#include "win/link_lead.h"

namespace robocopy {

class Copier {
public:
    Copier(const Options& options, Console& console);
    ~Copier();
    Copier(const Copier&) = delete;
    Copier& operator=(const Copier&) = delete;

    // Copies the tree; returns the exit code. Source and target in options
    // must already be full, tidied paths.
    int run();
    // Valid after run().
    const Counts& counts() const { return counts_; }
    // The walk began but stopped early (the target vanished): counts are partial.
    bool stopped() const { return stopped_; }

private:
    // Extras are removed with /PURGE, and only counted with /L as well.
    bool removing() const { return options_.purge && !options_.list_only; }
    struct Entry {
        std::wstring name;
        DWORD attrs = 0;
        FileStamp stamp;
        FILETIME created{}, accessed{};
        std::uint64_t id = 0;  // the file system's number for it, or 0
        bool isDir() const { return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0; }
        // A junction or symbolic link (under Wine: a Unix link to a folder).
        bool isLink() const { return (attrs & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    };
    using FolderId = win::FolderId;
    // A target folder on the current path; with /S it is made only when a
    // file must go into it.
    struct Level {
        std::wstring path;
        bool exists = false;
        bool failed = false;
        bool made = false;  // made by this run (with /L: counted as made, though it is not)
        DWORD attrs = 0;    // the source folder's, given to the folder made
    };
    // A name in both listings, only in the source, or only in the target.
    struct Pair {
        const Entry* from;
        const Entry* to;
    };
    // Where a source sub-folder's handle leads, when it is not the folder its parent listed.
    using Lead = win::Lead;

    // One file to copy; made by the walk, done by a worker.
    struct Job {
        std::wstring source, target;
        Entry from;
        Entry existing;
        bool has_existing = false;
    };
    struct Worker {
        std::thread thread;
        Counts counts;  // merged into counts_ once the thread has ended
        void* buffer = nullptr;
    };
    // Two measured best on two cores; more only queued at the wineserver.
    static constexpr std::size_t kWorkers = 2;
    // A target folder listed on the lister thread while the walk lists the source.
    struct Listing {
        std::wstring folder;
        std::vector<Entry> entries;
        DWORD error = ERROR_SUCCESS;
        bool wanted = false;
        bool ready = false;
    };

    // Refuses a source and target that lie inside each other; false after reporting.
    bool checkIdentity(int& code);
    // Opens the folder once and lists it through that handle. With `listed` (the
    // entry its parent's listing gave), `lead` tells whether the folder opened is
    // that one, or else where the same handle leads, so a folder swapped for a
    // link after its parent was listed is never read.
    DWORD list(const std::wstring& folder, std::vector<Entry>& entries, const Entry* listed = nullptr,
               Lead* lead = nullptr, std::wstring* where = nullptr);
    Lead leadOf(const std::wstring& final) const;
    // Drops the source names that would land on one target name, reporting
    // them; keeps their names so that the purge leaves them alone too.
    void dropTwins(const std::wstring& folder, std::vector<Entry>& from, std::vector<std::wstring>& keys);
    // Source entries that no copy can bear the name of (changed by the platform, or
    // with characters Windows forbids): failures at once, left out.
    // Counts an entry of the source in its row's total and `column`, and its bytes.
    void countIn(const Entry& e, std::uint64_t Tally::*column);
    void dropUnnamable(const std::wstring& folder, std::vector<Entry>& from);
    bool isExcluded(const Entry& e, const std::wstring& folder) const;
    // Drops what /XF and /XD name from both listings.
    void dropExcluded(const std::wstring& source, const std::wstring& target, std::vector<Entry>& from,
                      std::vector<Entry>& to);
    // True (and the run stops) when the target's root or drive is gone.
    bool targetLost();
    void noteCopy(const std::wstring& label, const Entry& from, const std::wstring& path);
    void noteMismatch(const std::wstring& path, const wchar_t* what);
    static std::vector<Pair> pairUp(const std::vector<Entry>& from, const std::vector<Entry>& to);
    // Walks one folder whose source entries are listed and whose target listing
    // (when it exists) is under way.
    void walk(const std::wstring& source, std::size_t level, std::vector<Entry> from);
    void handleExtras(const std::wstring& target, const std::vector<Pair>& pairs,
                      const std::vector<std::wstring>& twin_keys);
    void handleFile(const std::wstring& source, std::size_t level, const Pair& p);
    void handleFolder(const std::wstring& source, std::size_t level, const Pair& p);
    // What stands in the way of a source entry: removed with /PURGE (counted with
    // /L as well) as an extra, else a mismatch. True when it is gone or would be.
    bool clearWay(const std::wstring& folder, const Entry& in_way, Tally& own);
    // A source folder link not followed: named; what the target holds under its name is an extra.
    void skipLink(const std::wstring& sub_source, const std::wstring& target, const Entry* to, Lead lead,
                  const std::wstring& where);
    bool ensureLevels(std::size_t level);
    // False when the source folder could not be listed.
    bool walkRoot();
    void enqueue(Job job);
    void work(Worker& worker);
    void stopThreads();
    void lister();
    void beginTargetListing(const std::wstring& folder);
    DWORD endTargetListing(std::vector<Entry>& entries);
    void copyWithRetries(const Job& job, Counts& counts, void* buffer);
    DWORD copyFile(const Job& job, void* buffer);
    // Writes the job's file at path; with replace, renames it over that when complete.
    DWORD writeCopy(const Job& job, const std::wstring& path, const std::wstring* replace, void* buffer);
    static DWORD replaceWith(HANDLE file, const std::wstring& target, DWORD old_attrs, bool over);
    static DWORD copyData(HANDLE in, HANDLE out, std::uint64_t expected, std::uint64_t limit, void* buffer,
                          std::uint64_t& done);
    DWORD createFolderWithRetries(const std::wstring& path);
    // An extra folder goes, but for what the job leaves out: that stays, and so do the
    // folders holding it. /L counts an extra as gone unless a link of it could not go.
    enum class Removal { Gone, HoldsLeftOut, Failed };
    Removal removeExtra(const std::wstring& target, const Entry& extra);
    Removal removeTree(const std::wstring& path);
    // Deletes a file of the folder, never what a link in its place points to.
    bool removeFile(const std::wstring& folder, const std::wstring& name, DWORD attrs);
    // True when the handle opened the file of that name itself, not what a link of that name points to.
    // Removes a link itself where the system allows it, else reports it; with
    // only_ask, changes nothing and tells whether it could.
    bool removeLink(const std::wstring& path, bool only_ask = false);
    void noteExtra(const Entry& entry, const std::wstring& path);
    void waitBeforeRetry();
    void report(DWORD error, const wchar_t* action, const std::wstring& path, const wchar_t* note = nullptr);

    const Options& options_;
    Console& console_;
    SRWLOCK console_lock_ = SRWLOCK_INIT;
    Counts counts_;  // the walk's own counts; workers keep theirs apart
    std::vector<Level> levels_;
    // Paths in the \\?\ form, so that every name is taken literally.
    std::wstring source_root_, target_root_;
    FolderId source_id_, target_id_;
    // The final paths of the source root and of the source folders on the current path.
    std::wstring source_final_;
    std::vector<std::wstring> walk_finals_;
    std::atomic<bool> lost_{false};
    // Temporary names: "~oc", this run's own prefix, a counter.
    const unsigned long temp_prefix_;
    std::atomic<unsigned long> temp_counter_{0};
    bool stopped_ = false;

    // Win32 locks and condition variables, because Wine runs them in-process
    // while the C runtime's pthread ones go through the wineserver.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE job_ready_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE room_free_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE listing_changed_ = CONDITION_VARIABLE_INIT;
    std::deque<Job> queue_;
    bool closing_ = false;
    bool started_ = false;
    std::array<Worker, kWorkers> workers_;
    Listing listing_;
    std::thread lister_;
};

}  // namespace robocopy
