#include "jobs/job_list.h"

#include <cwctype>

#include "core/text.h"
#include "win/form.h"

namespace jobs {
std::vector<std::wstring> JobList::rowTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& r : rows_) texts.push_back(r.text.text());
    return texts;
}

bool JobList::append(const core::JobFolders& job) {
    if (full()) return false;
    RowControls row = view_.make_row ? view_.make_row(count() + 1) : RowControls{};
    jobs_.push_back(job);
    rows_.push_back(row);
    if (view_.fit_rows) view_.fit_rows(count());
    row.text.setText(core::FormatJobRow(job.source, job.destination));
    if (full()) freeze(true);
    return true;
}

void JobList::replace(int i, const core::JobFolders& job) {
    jobs_[static_cast<size_t>(i) - 1] = job;
    row(i).text.setText(core::FormatJobRow(job.source, job.destination));
}

void JobList::refresh() {
    for (auto& job : jobs_) job = {core::to_upper(job.source), core::to_upper(job.destination)};
}

void JobList::remove(int i) {
    if (i < 1 || i > count()) return;
    const int was = selected_;
    clearSelection();
    for (int k = i; k < count(); ++k) replace(k, job(k + 1));
    DestroyWindow(rows_.back().text.hwnd());
    DestroyWindow(rows_.back().del.hwnd());
    rows_.pop_back();
    jobs_.pop_back();
    if (view_.fit_rows) view_.fit_rows(count());
    select(was == i ? 0 : was > i ? was - 1 : was);
}

void JobList::clear() {
    clearSelection();
    while (!rows_.empty()) {
        DestroyWindow(rows_.back().text.hwnd());
        DestroyWindow(rows_.back().del.hwnd());
        rows_.pop_back();
    }
    jobs_.clear();
    if (view_.fit_rows) view_.fit_rows(0);
    freeze(false);
}

void JobList::select(int i) {
    if (i < 0 || i > count()) i = 0;
    for (int k = 1; k <= count(); ++k) setBold(k, k == i);
    selected_ = i;
    view_.add_button.setText(i ? L"EDIT JOB" : L"ADD JOB");
}

void JobList::setBold(int i, bool bold) const {
    row(i).text.send(WM_SETFONT, reinterpret_cast<WPARAM>(win::font_named(L"Arial", 12, bold)), TRUE);
}

void JobList::freeze(bool on) {
    frozen_ = on;
    for (win::Window w : view_.entry) w.enable(!on);
}

void JobList::moveToDrive(int row_number, wchar_t letter) {
    for (int i = 1; i <= count(); ++i) {
        if (row_number && i != row_number) continue;
        core::JobFolders moved = job(i);
        const std::wstring& d = moved.destination;
        // Only a drive letter can be swapped; a share (\\server\...) keeps its path.
        if (d.size() < 2 || d[1] != L':' || !std::iswalpha(d[0])) continue;
        moved.destination = letter + d.substr(1);
        replace(i, moved);
    }
}

}  // namespace jobs
