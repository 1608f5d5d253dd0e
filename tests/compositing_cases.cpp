#include "compositing_cases.h"

namespace {

constexpr uint8_t kGlobalTable4 = 0x81;  // a global table of 4 entries
constexpr uint8_t kGlobalTable2 = 0x80;  // of 2 entries
constexpr uint8_t kNoTable = 0x00;
constexpr uint8_t kInterlaced = 0x40;
constexpr uint8_t kTransparent = 0x01;
constexpr uint16_t kDelay = 10;

uint8_t Disposal(uint8_t method) { return static_cast<uint8_t>(method << 2); }

Bytes Solid(size_t count, uint8_t index) { return Bytes(count, index); }

// An animation on a width x height screen with a global table announced by
// `screen_packed`; each frame added with Frame().
class Animation {
public:
    Animation(uint16_t width, uint16_t height, uint8_t screen_packed = kGlobalTable4) {
        builder_.Header().Screen(width, height, screen_packed).TableFor(screen_packed);
    }
    Animation& Frame(uint16_t left, uint16_t top, uint16_t width, uint16_t height, const Bytes& pixels,
                     uint8_t control_packed = 0, uint8_t transparent = 0, uint8_t image_packed = 0) {
        builder_.GraphicControl(control_packed, kDelay, transparent)
            .ImageDescriptor(left, top, width, height, image_packed)
            .Pixels(pixels);
        return *this;
    }
    GifBuilder& builder() { return builder_; }
    Bytes Done() { return builder_.Trailer().bytes(); }

private:
    GifBuilder builder_;
};

}  // namespace

std::vector<CompositingCase> CompositingCases() {
    std::vector<CompositingCase> cases;
    cases.push_back({"keep",
                     Animation(4, 4)
                         .Frame(0, 0, 4, 4, Solid(16, 1))
                         .Frame(1, 1, 2, 2, Solid(4, 2), Disposal(1))
                         .Frame(0, 0, 1, 1, {3})
                         .Done(),
                     4,
                     4,
                     {"1111/1111/1111/1111", "1111/1221/1221/1111", "3111/1221/1221/1111"}});
    cases.push_back({"to-background",
                     Animation(4, 4)
                         .Frame(0, 0, 4, 4, Solid(16, 1))
                         .Frame(1, 1, 2, 2, Solid(4, 2), Disposal(2))
                         .Frame(0, 0, 1, 1, {3})
                         .Done(),
                     4,
                     4,
                     {"1111/1111/1111/1111", "1111/1221/1221/1111", "3111/1..1/1..1/1111"}});
    cases.push_back({"to-previous",
                     Animation(4, 4)
                         .Frame(0, 0, 4, 4, Solid(16, 1))
                         .Frame(1, 1, 2, 2, Solid(4, 2), Disposal(3))
                         .Frame(3, 3, 1, 1, {3})
                         .Done(),
                     4,
                     4,
                     {"1111/1111/1111/1111", "1111/1221/1221/1111", "1111/1111/1111/1113"}});
    cases.push_back({"first-to-previous",
                     Animation(4, 4).Frame(0, 0, 2, 2, Solid(4, 1), Disposal(3)).Frame(2, 2, 2, 2, Solid(4, 2)).Done(),
                     4,
                     4,
                     {"11../11../..../....", "..../..../..22/..22"}});
    cases.push_back({"transparency",
                     Animation(4, 4)
                         .Frame(0, 0, 4, 4, {0, 1, 2, 3, 1, 2, 3, 0, 2, 3, 0, 1, 3, 0, 1, 2})
                         .Frame(0, 0, 4, 4, {3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1}, kTransparent, 0)
                         .Frame(1, 0, 2, 1, {2, 2}, Disposal(1) | kTransparent, 2)
                         .Done(),
                     4,
                     4,
                     {"0123/1230/2301/3012", "3123/1330/2331/3011", "3123/1330/2331/3011"}});
    cases.push_back({"partly-off-screen",
                     Animation(4, 4)
                         .Frame(0, 0, 4, 4, Solid(16, 1))
                         .Frame(2, 2, 4, 4, Solid(16, 2), Disposal(2))
                         .Frame(0, 0, 1, 1, {3})
                         .Frame(9, 9, 2, 2, Solid(4, 0))
                         .Done(),
                     4,
                     4,
                     {"1111/1111/1111/1111", "1111/1111/1122/1122", "3111/1111/11../11..", "3111/1111/11../11.."}});
    cases.push_back({"first-beyond-screen",
                     Animation(2, 2).Frame(1, 0, 3, 3, {1, 2, 3, 2, 3, 1, 3, 1, 2}).Frame(0, 0, 1, 1, {0}).Done(),
                     4,
                     3,
                     {".123/.231/.312", "0123/.231/.312"}});
    cases.push_back(
        {"interlaced",
         // Stored rows 0, 4, 2, 6, 1, 3, 5, 7: each filled with its row number modulo 4.
         Animation(2, 8).Frame(0, 0, 2, 8, {0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 3, 3, 1, 1, 3, 3}, 0, 0, kInterlaced).Done(),
         2,
         8,
         {"00/11/22/33/00/11/22/33"}});
    cases.push_back({"no-colour-table",
                     Animation(2, 2, kNoTable).Frame(0, 0, 2, 2, {0, 1, 1, 0}, kTransparent, 1).Done(),
                     2,
                     2,
                     {"k./.k"}});
    cases.push_back(
        {"index-beyond-table", Animation(2, 2, kGlobalTable2).Frame(0, 0, 2, 2, {0, 1, 2, 3}).Done(), 2, 2, {"01/kk"}});
    {
        // The second image's data holds its first row only.
        Animation animation(4, 4);
        animation.Frame(0, 0, 4, 4, Solid(16, 1));
        Bytes codes = LzwCodesOf(Solid(16, 2), 2);
        codes.resize(3);  // 8 codes of 3 bits: a clear code and a pixel, 4 times
        animation.builder().GraphicControl(0, kDelay, 0).ImageDescriptor(0, 0, 4, 4, 0).ImageData(2, {codes});
        cases.push_back({"cut-short", animation.Done(), 4, 4, {"1111/1111/1111/1111", "2222/1111/1111/1111"}, true});
    }
    return cases;
}
