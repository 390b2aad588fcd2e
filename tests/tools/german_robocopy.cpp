// A test's robocopy that writes its log as a German Windows does: it runs our
// copier (named in OSTREVIN_TEST_COPIER) with its log sent to a file of its own,
// then appends that log to the one it was asked for (/LOG+:), each word translated
// and the shape kept.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

const std::pair<std::wstring, std::wstring> kWords[] = {
    {L"  Started : ", L"  Gestartet: "},
    {L"   Source : ", L"   Quelle : "},
    {L"     Dest : ", L"     Ziel : "},
    {L"  Options : ", L"  Optionen: "},
    {L"New File  ", L"Neue Datei"},
    {L"Newer     ", L"Neuer     "},
    {L"Total    Copied   Skipped  Mismatch    FAILED    Extras",
     L"Insgesamt   Kopiert\u00DCbersprungenKeine \u00DCbereinstimmung    FEHLER    Extras"},
    {L"      Dirs :", L" Verzeich.:"},
    {L"     Files :", L"   Dateien:"},
    {L"     Bytes :", L"     Bytes:"},
    {L"   Exit code : ", L"   Exitcode: "},
    {L"   Ended : ", L"   Beendet: "},
    {L"ERROR ", L"FEHLER "},
    {L"Accessing Source Directory", L"Zugriff auf Quellverzeichnis"},
    {L"The system cannot find the file specified.", L"Das System kann die angegebene Datei nicht finden."},
};

std::wstring german(std::wstring text) {
    for (const auto& [en, de] : kWords)
        for (size_t at = 0; (at = text.find(en, at)) != std::wstring::npos; at += de.size())
            text.replace(at, en.size(), de);
    return text;
}

std::string read_all(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    for (DWORD got = 0; ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0;) bytes.append(buf, got);
    CloseHandle(f);
    return bytes;
}

}  // namespace

int wmain() {
    std::puts("Ostrevin copier's German log, for tests");  // tells the test prefix's set-up what this is
    wchar_t ours[MAX_PATH], temp[MAX_PATH], own_log[MAX_PATH];
    std::wstring args = GetCommandLineW();
    args.erase(0, args[0] == L'"' ? args.find(L'"', 1) + 1 : args.find(L' '));
    const size_t at = args.find(L"/LOG+:");
    if (!GetEnvironmentVariableW(L"OSTREVIN_TEST_COPIER", ours, MAX_PATH) || at == std::wstring::npos ||
        !GetTempPathW(MAX_PATH, temp) || !GetTempFileNameW(temp, L"de", 0, own_log))
        return 16;
    std::wstring log = args.substr(at + 6);
    while (!log.empty() && (log.back() == L' ' || log.back() == L'"')) log.pop_back();
    if (!log.empty() && log[0] == L'"') log.erase(0, 1);
    std::wstring line = L"\"" + std::wstring(ours) + L"\"" + args.substr(0, at) + L"/LOG:\"" + own_log + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(ours, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 16;
    DWORD code = 16;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    const std::string bytes = read_all(own_log);
    DeleteFileW(own_log);
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    text = german(text);
    std::string out(text.size() * 2, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()),
                                                       out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                           nullptr);
    DWORD done = 0;
    if (f == INVALID_HANDLE_VALUE || !WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &done, nullptr))
        code = 16;
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return static_cast<int>(code);
}
