// BCON constants (the global options): decode, encode, decode; setting an
// option grows the table as documented.
//
// Input: byte 0 bit 0 chooses the byte order (set: little-endian), the rest
// is the body.
#include "FuzzSupport.h"
#include "careers/GlobalOptions.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace bcon_target {
constexpr const char* kTarget = "bcon";
}  // namespace bcon_target

int runBcon(const std::uint8_t* data, std::size_t size) {
    using namespace bcon_target;
    if (size < 1) {
        return 0;
    }
    GlobalOptions options;
    const bool decoded = decodeBody(options, data + 1, size - 1, (data[0] & 1) != 0);
    check(options.count() <= GlobalOptions::kMaxCount, kTarget, "more values than the count field");
    check(2 + 2 * options.count() <= size - 1 || !decoded, kTarget,
          "more values than the body holds");
    if (!decoded) {
        check(options.count() == 0, kTarget, "a failed decode kept values");
        return 0;
    }
    Bytes body;
    check(encodeBody(options, body), kTarget, "encode failed");
    check(body.size() == 2 + 2 * options.count(), kTarget, "encoded body of the wrong length");
    GlobalOptions again;
    check(decodeBody(again, body.data(), body.size(), true), kTarget,
          "the encoded body does not decode");
    check(again.flag() == options.flag() && again.values() == options.values(), kTarget,
          "the options changed");
    // Setting the last of the eight options grows a short table with zeros.
    const std::size_t before = again.count();
    check(again.setOption(kOptionChanceCardChance, 7), kTarget, "setOption failed");
    std::int16_t value = 0;
    check(again.option(kOptionChanceCardChance, value) && value == 7, kTarget,
          "a set option reads back differently");
    check(again.count() == (before > kGlobalOptionCount ? before : kGlobalOptionCount), kTarget,
          "setOption grew the table wrongly");
    return 0;
}

}  // namespace jf::fuzz
