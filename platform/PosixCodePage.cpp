#include "CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <string>

namespace ostrel {
namespace {

// What iconv_open gives for a conversion it does not have: iconv's own
// "(iconv_t) -1".
// NOLINTNEXTLINE(performance-no-int-to-ptr)
const iconv_t NoConversion = reinterpret_cast<iconv_t>(-1);

// One conversion from a code page to UTF-32, kept for the next character: a
// comment asks for up to nineteen of them in a row.
class Converter {
public:
    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { Close(); }

    // The conversion from `codePage`, or nothing when iconv has none.
    iconv_t For(unsigned codePage) {
        if (codePage != codePage_) {
            Close();
            codePage_ = codePage;
            handle_ = ::iconv_open("UTF-32LE", ("CP" + std::to_string(codePage)).c_str());
        }
        return handle_;
    }

private:
    void Close() {
        if (handle_ != NoConversion) {
            ::iconv_close(handle_);
        }
        handle_ = NoConversion;
    }

    unsigned codePage_ = 0;
    iconv_t handle_ = NoConversion;
};

}  // namespace

unsigned SystemCodePage() {
    return 1252;
}

std::optional<char32_t> DecodeCharacter(unsigned codePage, std::span<const std::uint8_t> bytes) {
    thread_local Converter converter;
    const iconv_t handle = converter.For(codePage);
    if (handle == NoConversion) {
        return std::nullopt;
    }
    char in[2] = {};
    unsigned char out[8] = {};
    std::size_t inLeft = std::min(bytes.size(), sizeof in);
    std::copy_n(bytes.begin(), inLeft, in);
    char* from = in;
    char* to = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    // Then the end of the input: a converter that waits for a combining mark
    // to follow (Vietnamese, 1258) gives out what it holds.
    const bool converted =
        ::iconv(handle, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) &&
        inLeft == 0 &&
        ::iconv(handle, nullptr, nullptr, &to, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv(handle, nullptr, nullptr, nullptr, nullptr);  // a fresh start for the next one
    if (!converted || sizeof out - outLeft != 4) {
        return std::nullopt;
    }
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 |
                                 static_cast<char32_t>(out[3]) << 24);
}

}  // namespace ostrel
