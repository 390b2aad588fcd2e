#pragma once
// Run logs as the system's robocopy writes them in three languages (tests/data):
// the same three jobs, one failed on a busy file, one with nothing to copy, one
// killed mid-copy. Read in code page 850, as a German or French console writes them.
#include <fstream>
#include <iterator>
#include <string>

namespace test {

inline std::wstring fixture_log(const std::string& language) {
    static const std::wstring high =
        L"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒáíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀ÓßÔÒõÕµþÞÚÛÙý"
        L"Ý¯´"
        L"\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0";
    std::ifstream in(std::string(OSTREVIN_LOG_DIR) + "/" + language + "-three-jobs.log", std::ios::binary);
    std::wstring text;
    for (auto it = std::istreambuf_iterator<char>(in); it != std::istreambuf_iterator<char>(); ++it) {
        const auto byte = static_cast<unsigned char>(*it);
        text += byte < 0x80 ? static_cast<wchar_t>(byte) : high[byte - 0x80u];
    }
    return text;
}

}  // namespace test
