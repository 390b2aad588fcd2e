// A test's robocopy that writes its log as a German Windows does: it runs our
// copier (named in OSTREVIN_TEST_COPIER) with its log sent to a file of its own,
// then appends that log to the one it was asked for (/LOG+:"..."), each word of
// the lines the program reads translated and the shape kept.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/sandbox.h"

int wmain() {
    std::puts("Ostrevin copier's German log, for tests");  // the test prefix's set-up knows it by this
    static const char* const words[][2] = {
        {"  Started : ", "  Gestartet: "}, {"   Source : ", "   Quelle : "}, {"     Dest : ", "     Ziel : "},
        {"  Options : ", "  Optionen: "},  {"New File  ", "Neue Datei"},     {"      Dirs :", " Verzeich.:"},
        {"     Files :", "   Dateien:"},   {"     Bytes :", "     Bytes:"},  {"   Exit code : ", "   Exitcode: "},
        {"   Ended : ", "   Beendet: "},
    };
    std::wstring args = GetCommandLineW();
    args.erase(0, args[0] == L'"' ? args.find(L'"', 1) + 1 : args.find(L' '));
    const size_t at = args.find(L"/LOG+:\"");
    wchar_t ours[MAX_PATH];
    if (!GetEnvironmentVariableW(L"OSTREVIN_TEST_COPIER", ours, MAX_PATH) || at == std::wstring::npos) return 16;
    const std::wstring log = args.substr(at + 7, args.find(L'"', at + 7) - at - 7), own = log + L".en";
    test::Process copier(L"\"" + std::wstring(ours) + L"\"" + args.substr(0, at) + L"/LOG:\"" + own + L"\"");
    DWORD code = 16;
    copier.wait(INFINITE, &code);
    std::string text = test::read_bytes(own);
    DeleteFileW(own.c_str());
    for (const auto& [en, de] : words)
        for (size_t i = 0; (i = text.find(en, i)) != std::string::npos; i += std::strlen(de))
            text.replace(i, std::strlen(en), de);
    test::write_bytes(log, test::read_bytes(log) + text);
    return static_cast<int>(code);
}
