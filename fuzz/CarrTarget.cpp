// CARR career chunks: decode, encode (always the packed form), decode. What
// decodes must come back with the same name and job levels, and encoding it
// again must give the same body.
//
// Input: byte 0 bit 0 chooses the byte order (set: little-endian), the rest
// is the body.
#include "FuzzSupport.h"
#include "careers/CareerChunk.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace carr_target {
constexpr const char* kTarget = "carr";
}  // namespace carr_target

int runCarr(const std::uint8_t* data, std::size_t size) {
    using namespace carr_target;
    if (size < 1) {
        return 0;
    }
    CareerChunk career;
    if (!decodeBody(career, data + 1, size - 1, (data[0] & 1) != 0)) {
        check(career.levelCount() <= CareerChunk::kMaxLevelCount, kTarget,
              "a failed decode kept more levels than allowed");
        return 0;
    }
    check(career.levelCount() <= CareerChunk::kMaxLevelCount, kTarget, "too many levels decoded");
    Bytes body;
    check(encodeBody(career, body), kTarget, "encode failed");
    CareerChunk again;
    check(decodeBody(again, body.data(), body.size(), true), kTarget,
          "the encoded body does not decode");
    check(again.formRead() == CareerChunk::kFormPacked, kTarget, "the writer's form is not packed");
    check(again.internalCareerName == career.internalCareerName, kTarget, "the name changed");
    check(again.levels == career.levels, kTarget, "the job levels changed");
    Bytes second;
    check(encodeBody(again, second) && second == body, kTarget,
          "encoding the decoded body again gives other bytes");
    return 0;
}

}  // namespace jf::fuzz
