#ifdef _WIN32
#include "files/code_page.h"

#include <windows.h>

#include <algorithm>

namespace orvel::mapfile {

namespace {

constexpr UINT kCodePage = 1252;

// Empty for bytes that are not text in the code page (broken UTF-8).
std::wstring wide(UINT codePage, std::string_view text) {
    const int size = static_cast<int>(text.size());
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), n);
    return out;
}

// Converts wide text; false when the code page has no character for part of it.
bool narrow(UINT codePage, const std::wstring& text, std::string& out) {
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    // UTF-8 takes no "best fit" and no default character.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int n =
        ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, used);
    const auto start = out.size();
    out.resize(start + static_cast<std::size_t>(n));
    ::WideCharToMultiByte(codePage, flags, text.data(), size, out.data() + start, n, nullptr, used);
    if (usedDefault) {
        out.resize(start);
        return false;
    }
    return true;
}

} // namespace

struct Windows1252::Impl {};

Windows1252::Windows1252() = default;
Windows1252::~Windows1252() = default;

std::optional<std::size_t> Windows1252::fromUtf8(std::string_view utf8, std::string& out) {
    // One character at a time, so that the first one the code page lacks is found.
    for (std::size_t at = 0; at < utf8.size();) {
        const auto length =
            std::min(utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        const auto character = utf8.substr(at, length);
        if (static_cast<unsigned char>(character[0]) < 0x80) {
            out.push_back(character[0]);
        } else if (const auto w = wide(CP_UTF8, character);
                   w.empty() || !narrow(kCodePage, w, out)) {
            return at;
        }
        at += length;
    }
    return std::nullopt;
}

std::string Windows1252::toUtf8(std::string_view bytes) {
    // Windows' table turns the undefined bytes into the C1 controls of their number.
    std::string out;
    narrow(CP_UTF8, wide(kCodePage, bytes), out);
    return out;
}

} // namespace orvel::mapfile
#endif
