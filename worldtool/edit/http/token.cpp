#include "worldtool/edit/http/token.h"

#include <array>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
// (after windows.h, which it needs)
#include <bcrypt.h>
#else
#include <cerrno>
#include <sys/random.h>
#endif

namespace tovren {

namespace {

void fillAtRandom(unsigned char* bytes, std::size_t size) {
#ifdef _WIN32
    if (::BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(size),
                          BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
        throw std::runtime_error("Windows gave no random numbers for the editor's secret");
    }
#else
    while (size > 0) {
        const ssize_t got = ::getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("the system gave no random numbers for the editor's secret");
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
#endif
}

} // namespace

std::string freshToken() {
    std::array<unsigned char, 16> bytes{};
    fillAtRandom(bytes.data(), bytes.size());
    constexpr char digits[] = "0123456789abcdef";
    std::string token;
    for (const unsigned char byte : bytes) {
        token += digits[byte >> 4U];
        token += digits[byte & 0xFU];
    }
    return token;
}

bool sameToken(std::string_view given, std::string_view secret) {
    unsigned difference = given.size() == secret.size() ? 0U : 1U;
    for (std::size_t at = 0; at < secret.size(); ++at) {
        const char mine = secret[at];
        const char theirs = at < given.size() ? given[at] : '\0';
        difference |= static_cast<unsigned>(static_cast<unsigned char>(mine ^ theirs));
    }
    return difference == 0;
}

} // namespace tovren
