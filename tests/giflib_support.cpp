#include "giflib_support.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t kScreenPackedOffset = 10;  // header (6) + width (2) + height (2)
constexpr size_t kGlobalTableOffset = 13;   // header (6) + screen descriptor (7)
constexpr uint8_t kGlobalTableFlag = 0x80;
constexpr uint8_t kTableSizeMask = 0x07;
const Bytes kLoopingIdentifier = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};

ColorMapObject* MakeMapObject(const Bytes& rgb) {
    if (rgb.empty()) return nullptr;
    std::vector<GifColorType> colors(rgb.size() / 3);
    for (size_t i = 0; i < colors.size(); ++i) colors[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    return GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
}

bool WriteImage(GifFileType* gif, const ImagePlan& image) {
    for (const ExtensionPlan& extension : image.extensions) {
        if (EGifPutExtensionLeader(gif, extension.label) == GIF_ERROR) return false;
        for (const Bytes& block : extension.sub_blocks) {
            if (EGifPutExtensionBlock(gif, static_cast<int>(block.size()), block.data()) == GIF_ERROR) return false;
        }
        if (EGifPutExtensionTrailer(gif) == GIF_ERROR) return false;
    }
    // giflib 5.2.1 drops the previous image's local table without freeing it.
    GifFreeMapObject(gif->Image.ColorMap);
    gif->Image.ColorMap = nullptr;
    ColorMapObject* local = MakeMapObject(image.local_map);
    const int put = EGifPutImageDesc(gif, image.left, image.top, image.width, image.height, image.interlace, local);
    GifFreeMapObject(local);
    if (put == GIF_ERROR || image.raster.size() != size_t{image.width} * image.height) return false;
    // EGifPutLine masks the line in place, so each row goes through a copy.
    for (int row : GifRowOrder(image.height, image.interlace)) {
        Bytes line(image.raster.begin() + row * image.width, image.raster.begin() + (row + 1) * image.width);
        if (EGifPutLine(gif, line.data(), image.width) == GIF_ERROR) return false;
    }
    return true;
}

}  // namespace

bool EncodeGif(const std::string& path, const GifPlan& plan) {
    int error = E_GIF_SUCCEEDED;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr) {
        ADD_FAILURE() << "giflib cannot create " << path << ": " << GiflibErrorText(error);
        return false;
    }
    EGifSetGifVersion(gif, plan.gif89);
    ColorMapObject* global = MakeMapObject(plan.global_map);
    bool ok = EGifPutScreenDesc(gif, plan.width, plan.height, 8, 0, global) != GIF_ERROR;
    GifFreeMapObject(global);
    for (const ImagePlan& image : plan.images) ok = ok && WriteImage(gif, image);
    if (!ok) ADD_FAILURE() << "giflib cannot encode " << path << ": " << GiflibErrorText(gif->Error);
    if (EGifCloseFile(gif, &error) == GIF_ERROR) {
        ADD_FAILURE() << "giflib cannot close " << path << ": " << GiflibErrorText(error);
        ok = false;
    }
    return ok;
}

Bytes MakeColorMap(size_t entries, uint8_t seed) {
    Bytes rgb;
    for (size_t k = 0; k < entries; ++k) {
        rgb.insert(rgb.end(), {static_cast<uint8_t>(k * 5 + seed * 11), static_cast<uint8_t>(k * 3 + 128 + seed),
                               static_cast<uint8_t>(255 - k * 7 + seed * 3)});
    }
    return rgb;
}

Bytes MakeRaster(uint16_t width, uint16_t height, unsigned colors, uint32_t seed) {
    Bytes raster(size_t{width} * height);
    uint32_t state = seed * 2654435761u + 1;
    uint8_t current = 0;
    for (uint8_t& pixel : raster) {
        state = state * 1664525u + 1013904223u;
        if ((state >> 31) != 0) current = static_cast<uint8_t>((state >> 16) % colors);  // else the run goes on
        pixel = current;
    }
    return raster;
}

ExtensionPlan GraphicControlPlan(uint8_t packed, uint16_t delay, uint8_t transparent_index) {
    return {GRAPHICS_EXT_FUNC_CODE,
            {{packed, static_cast<uint8_t>(delay & 0xFF), static_cast<uint8_t>(delay >> 8), transparent_index}}};
}

ExtensionPlan LoopingPlan(uint16_t loop_count) {
    return {
        APPLICATION_EXT_FUNC_CODE,
        {kLoopingIdentifier, {0x01, static_cast<uint8_t>(loop_count & 0xFF), static_cast<uint8_t>(loop_count >> 8)}}};
}

bool StripGlobalColorTable(const std::string& path) {
    Bytes bytes = ReadFileBytes(path);
    if (bytes.size() < kGlobalTableOffset || (bytes[kScreenPackedOffset] & kGlobalTableFlag) == 0) return false;
    const size_t table_bytes = 3u << ((bytes[kScreenPackedOffset] & kTableSizeMask) + 1);
    bytes[kScreenPackedOffset] &= static_cast<uint8_t>(~kGlobalTableFlag);
    bytes.erase(bytes.begin() + kGlobalTableOffset, bytes.begin() + kGlobalTableOffset + table_bytes);
    return WriteFileBytes(path, bytes);
}

void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                            const std::vector<unsigned>& delays, bool loop, unsigned loop_count) {
    for (const std::string& fault : CheckAnimation(output, inputs, delays, loop, loop_count)) ADD_FAILURE() << fault;
}
