#include "jobs/job_list.h"

#include "win/form.h"

namespace jobs {

void JobList::show(Change change) {
    switch (change.kind) {
        case Change::Kind::Added: {
            rows_.push_back(view_.make_row ? view_.make_row(change.row) : RowControls{});
            if (view_.fit_rows) view_.fit_rows(count());
            setText(change.row);
            if (document_->full()) freeze(true);
            break;
        }
        case Change::Kind::Replaced:
            setText(change.row);
            break;
        case Change::Kind::Removed: {
            // The rows below move up with their jobs; the selection follows its job.
            const int was = selected_, i = change.row;
            clearSelection();
            for (int k = i; k < count(); ++k) setText(k);
            dropLastRow();
            if (view_.fit_rows) view_.fit_rows(count());
            select(was == i ? 0 : was > i ? was - 1 : was);
            break;
        }
        case Change::Kind::Cleared:
            clearSelection();
            while (!rows_.empty()) dropLastRow();
            if (view_.fit_rows) view_.fit_rows(0);
            freeze(false);
            break;
        case Change::Kind::State:  // nothing the rows show
            break;
    }
}

void JobList::select(int i) {
    if (i < 0 || i > count()) i = 0;
    for (int k = 1; k <= count(); ++k) setBold(k, k == i);
    selected_ = i;
    view_.add_button.setText(i ? L"EDIT JOB" : L"ADD JOB");
}

void JobList::setText(int i) const { row(i).text.setText(core::FormatJobRow(document_->job(i))); }

void JobList::setBold(int i, bool bold) const {
    row(i).text.send(WM_SETFONT, reinterpret_cast<WPARAM>(win::font_named(L"Arial", 12, bold)), TRUE);
}

void JobList::dropLastRow() {
    DestroyWindow(rows_.back().text.hwnd());
    DestroyWindow(rows_.back().del.hwnd());
    rows_.pop_back();
}

void JobList::freeze(bool on) {
    for (win::Window w : view_.entry) w.enable(!on);
}

}  // namespace jobs
