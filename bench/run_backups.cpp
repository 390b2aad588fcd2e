// RUN BACKUPS of one job, timed from the button to the outcome: the script's start,
// the copier, and the program's own work around them. For comparison, the copier
// alone on the same tree with the same options, started the way the script starts it.
// A third run has Remove ticked: the same no-change rerun after its purge check.
// A fourth is the same no-change rerun from Ostrevin.exe /run, start to exit.
// Then the job leaves out names and a path the tree does not hold (what matching
// costs): a first run into an empty target and a rerun, after a rerun without them.
// Last, keeping old copies: a no-change rerun with Remove ticked, Keep unticked and
// then ticked; and a rerun after 1 file in 20 changed, Keep ticked and then unticked.
// And the look for damaged files: a rerun after 1 file in 20 changed and a no-change
// rerun, each with the look and without it, twice each (the mean).
// Usage: bench_run_backups.exe SOURCE
// prints: run_first run_rerun run_rerun_checked copier_first copier_rerun unattended_rerun
//         plain_rerun except_first except_rerun remove_rerun remove_keep_rerun
//         changed_keep changed_plain changed_looked changed_unlooked rerun_looked rerun_unlooked (seconds)
#include <windows.h>

#include <cstdio>

#include "timing.h"
#include "core/jobrow.h"
#include "run/backup_run.h"
#include "support/app_fixture.h"

namespace {

using bench::copier;
using bench::seconds_since;

double run_backups(test::App& a) {
    a.prompts.asked.clear();
    const ULONGLONG start = GetTickCount64();
    a.runBackups();
    const double s = seconds_since(start);
    if (a.prompts.asked.empty() || a.prompts.asked.back().title != L"BACKUP COMPLETE") {
        std::fprintf(stderr, "the run did not complete: %ls\n",
                     a.prompts.asked.empty() ? L"no outcome" : a.prompts.asked.back().text.c_str());
        std::exit(1);
    }
    return s;
}

// Ostrevin.exe /run of the same job, from start to exit.
double unattended(test::App& a, const std::wstring& source) {
    test::write_bytes(a.box.jobFolder() + L"\\Bench.ojf", test::narrow(core::FormatJobRow(source, L"E:\\BK")));
    wchar_t exe[MAX_PATH];
    const std::wstring bench(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    const ULONGLONG start = GetTickCount64();
    test::Process p(L"\"" + bench.substr(0, bench.rfind(L'\\')) + L"\\Ostrevin.exe\" /run Bench.ojf /quiet",
                    a.box.data());
    DWORD code = 99;
    if (!p.wait(600000, &code) || code != 0) {
        std::fprintf(stderr, "Ostrevin.exe /run did not complete: exit code %lu\n", code);
        std::exit(1);
    }
    return seconds_since(start);
}

// Rewrites 1 file in 20 of the tree, one byte longer.
void change_some(const std::wstring& source) {
    int n = 0;
    for (const std::wstring& f : test::tree(source))
        if (!f.ends_with(L"\\") && n++ % 20 == 0) {
            const std::wstring path = source + L"\\" + f;
            test::write_bytes(path, test::read_bytes(path) + "x");
        }
}

void tick(win::Window box, bool on) { box.send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_run_backups.exe SOURCE\n");
        return 2;
    }
    const std::wstring source = argv[1];
    test::App a;
    a.box.mapDrive(L'E', a.box.path(L"drive_e"));
    test::make_dirs(a.box.path(L"drive_e\\BK"));
    a.start();
    a.add(source, L"E:\\BK");
    const double first = run_backups(a), rerun = run_backups(a);
    a.main->chkRemove.send(BM_SETCHECK, BST_CHECKED);
    const double checked = run_backups(a);
    const std::wstring alone = a.box.path(L"alone"), log = a.box.path(L"alone.log");
    const double copier_first = copier(source, alone, log), copier_rerun = copier(source, alone, log);
    const double alone_rerun = unattended(a, source);
    a.main->chkRemove.send(BM_SETCHECK, BST_UNCHECKED);
    const double plain_rerun = run_backups(a);
    a.main->txtActionDisplay_Click(1);
    a.main->txtExcept.setText(L"*.tmp; ~$*; node_modules\\; \\folder0100\\cache\\");
    a.main->cmdAddJob_Click();
    test::remove_tree(L"E:\\BK\\" + source.substr(source.rfind(L'\\') + 1));
    const double except_first = run_backups(a), except_rerun = run_backups(a);
    tick(a.main->chkRemove, true);
    tick(a.main->chkKeep, false);
    const double remove_rerun = run_backups(a);
    tick(a.main->chkKeep, true);
    const double remove_keep_rerun = run_backups(a);
    tick(a.main->chkRemove, false);
    change_some(source);
    const double changed_keep = run_backups(a);
    tick(a.main->chkKeep, false);
    change_some(source);
    const double changed_plain = run_backups(a);
    tick(a.main->chkKeep, true);
    // With the look and without, in the order ABBA so that a drift of the machine cancels.
    double changed_looked = 0, changed_unlooked = 0, rerun_looked = 0, rerun_unlooked = 0;
    for (bool look : {true, false, false, true}) {
        run::look_for_damage = look;
        change_some(source);
        (look ? changed_looked : changed_unlooked) += run_backups(a) / 2;
        (look ? rerun_looked : rerun_unlooked) += run_backups(a) / 2;
    }
    run::look_for_damage = true;
    std::printf("%.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f\n", first, rerun,
                checked, copier_first, copier_rerun, alone_rerun, plain_rerun, except_first, except_rerun, remove_rerun,
                remove_keep_rerun, changed_keep, changed_plain, changed_looked, changed_unlooked, rerun_looked,
                rerun_unlooked);
    return 0;
}
