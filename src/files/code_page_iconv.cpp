#ifndef _WIN32
#include "core/errors.h"
#include "files/code_page.h"

#include <cerrno>
#include <iconv.h>

namespace orvel::mapfile {

namespace {

constexpr const char* kCodePage = "WINDOWS-1252";

// Bytes that Windows-1252 leaves undefined; Windows passes them through as the
// C1 controls of the same number, so a file holding them still loads and saves back.
bool isUndefinedByte(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw FileError(std::string("Code page conversion ") + from + " to " + to +
                            " is not available");
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts from `in` until the end or a character it cannot convert, which
    // is then left at `in`.
    void convert(std::string_view& in, std::string& out) {
        // iconv's input is not const in its declaration, though it is never written.
        char* inPtr = const_cast<char*>(in.data());
        // A conversion starts from the initial state, whatever the last one left.
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::size_t inLeft = in.size();
        while (inLeft > 0) {
            char buf[4096];
            char* outPtr = buf;
            std::size_t outLeft = sizeof buf;
            const std::size_t res = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            out.append(buf, static_cast<std::size_t>(outPtr - buf));
            if (res == static_cast<std::size_t>(-1) && err != E2BIG) {
                break;
            }
        }
        in.remove_prefix(in.size() - inLeft);
    }

private:
    iconv_t cd_;
};

// UTF-8 to Windows-1252; position of the first character it cannot hold, if any.
std::optional<std::size_t> toWindows1252(Iconv& cd, std::string_view utf8, std::string& out) {
    std::string_view rest = utf8;
    while (true) {
        cd.convert(rest, out);
        if (rest.empty()) {
            return std::nullopt;
        }
        if (rest.size() >= 2 && static_cast<unsigned char>(rest[0]) == 0xC2 &&
            isUndefinedByte(static_cast<unsigned char>(rest[1]))) {
            out.push_back(rest[1]);
            rest.remove_prefix(2);
            continue;
        }
        return utf8.size() - rest.size();
    }
}

std::string fromWindows1252(Iconv& cd, std::string_view bytes) {
    std::string out;
    std::string_view rest = bytes;
    while (true) {
        cd.convert(rest, out);
        if (rest.empty()) {
            return out;
        }
        // An undefined byte becomes the C1 control of that number.
        out.push_back(static_cast<char>(0xC2));
        out.push_back(rest[0]);
        rest.remove_prefix(1);
    }
}

} // namespace

struct Windows1252::Impl {
    Iconv toFile{kCodePage, "UTF-8"};
    Iconv fromFile{"UTF-8", kCodePage};
};

Windows1252::Windows1252() : impl_(std::make_unique<Impl>()) {}
Windows1252::~Windows1252() = default;

std::optional<std::size_t> Windows1252::fromUtf8(std::string_view utf8, std::string& out) {
    return toWindows1252(impl_->toFile, utf8, out);
}

std::string Windows1252::toUtf8(std::string_view bytes) {
    return fromWindows1252(impl_->fromFile, bytes);
}

} // namespace orvel::mapfile
#endif
