#include "core/title.h"

namespace core {

TitleState compose_title(std::wstring_view job_file_name, bool job_changed, std::wstring_view default_job) {
    TitleState st;
    st.title = L"Ostrevin: ";
    st.title += job_file_name;
    if (job_changed) st.title += L" *";
    if (job_file_name == default_job) st.title += L" (Default)";
    if (job_changed) {
        if (job_file_name == L"UNTITLED") st.save_as_enabled = true;
        else st.save_enabled = true;
    } else {
        st.save_enabled = false;
    }
    return st;
}

}  // namespace core
