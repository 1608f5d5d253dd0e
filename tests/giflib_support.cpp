#include "giflib_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

constexpr size_t kSignatureSize = 6;
constexpr size_t kScreenPackedOffset = 10;  // header (6) + width (2) + height (2)
constexpr size_t kGlobalTableOffset = 13;   // header (6) + screen descriptor (7)
constexpr uint8_t kGlobalTableFlag = 0x80;
constexpr uint8_t kTableSizeMask = 0x07;
constexpr uint8_t kReservedBits = 0xE0;  // graphic control packed flags
constexpr size_t kControlPacked = 0;     // offsets in a graphic control body
constexpr size_t kControlTransparentIndex = 3;
constexpr long kMaxDecodedPixels = 64L * 1024 * 1024;
const Bytes kLoopingIdentifier = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
const Bytes kLoopForever = {0x01, 0xFF, 0xFF};  // sub-block id 1, count 65535

// Rows in the order they are stored: four passes for an interlaced image.
std::vector<int> RowOrder(int height, bool interlace) {
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    std::vector<int> rows;
    for (int pass = 0; pass < (interlace ? 4 : 1); ++pass) {
        for (int row = interlace ? kStart[pass] : 0; row < height; row += interlace ? kStep[pass] : 1)
            rows.push_back(row);
    }
    return rows;
}

ColorMapObject* MakeMapObject(const Bytes& rgb) {
    if (rgb.empty()) return nullptr;
    std::vector<GifColorType> colors(rgb.size() / 3);
    for (size_t i = 0; i < colors.size(); ++i) colors[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    return GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
}

Bytes MapBytes(const ColorMapObject* map) {
    Bytes rgb;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i)
        rgb.insert(rgb.end(), {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return rgb;
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
    for (int row : RowOrder(image.height, image.interlace)) {
        Bytes line(image.raster.begin() + row * image.width, image.raster.begin() + (row + 1) * image.width);
        if (EGifPutLine(gif, line.data(), image.width) == GIF_ERROR) return false;
    }
    return true;
}

void CopyExtensions(const ExtensionBlock* blocks, int count, std::vector<GiflibExtension>* out) {
    for (int i = 0; i < count; ++i)
        out->push_back({blocks[i].Function, Bytes(blocks[i].Bytes, blocks[i].Bytes + blocks[i].ByteCount)});
}

DecodedImage ImageFromDescriptor(const GifImageDesc& desc) {
    DecodedImage image;
    image.left = desc.Left;
    image.top = desc.Top;
    image.width = desc.Width;
    image.height = desc.Height;
    image.interlace = desc.Interlace;
    image.local_map = MapBytes(desc.ColorMap);
    return image;
}

// Opens `path` for decoding and copies what giflib and the first bytes tell
// about the screen; null (with the error in `out`) when giflib refuses it.
GifFileType* Open(const std::string& path, DecodedGif* out) {
    *out = DecodedGif();
    const Bytes start = ReadFileBytes(path);
    out->signature.assign(start.begin(),
                          start.begin() + static_cast<std::ptrdiff_t>(std::min(start.size(), kSignatureSize)));
    if (start.size() > kScreenPackedOffset) out->screen_packed = start[kScreenPackedOffset];
    GifFileType* gif = DGifOpenFileName(path.c_str(), &out->error);
    if (gif == nullptr) return nullptr;
    out->opened = true;
    out->width = gif->SWidth;
    out->height = gif->SHeight;
    out->background = gif->SBackGroundColor;
    out->aspect = gif->AspectByte;
    out->global_map = MapBytes(gif->SColorMap);
    return gif;
}

bool ReadExtension(GifFileType* gif, std::vector<GiflibExtension>* out) {
    int function = 0;
    GifByteType* data = nullptr;
    if (DGifGetExtension(gif, &function, &data) == GIF_ERROR) return false;
    out->push_back({function, data != nullptr ? Bytes(data + 1, data + 1 + data[0]) : Bytes()});
    while (data != nullptr) {
        if (DGifGetExtensionNext(gif, &data) == GIF_ERROR) return false;
        if (data != nullptr) out->push_back({CONTINUE_EXT_FUNC_CODE, Bytes(data + 1, data + 1 + data[0])});
    }
    return true;
}

bool DecodeRaster(GifFileType* gif, DecodedImage* image) {
    const long pixels = static_cast<long>(image->width) * image->height;
    if (pixels <= 0 || pixels > kMaxDecodedPixels) return false;
    image->raster.assign(static_cast<size_t>(pixels), 0);
    for (int row : RowOrder(image->height, image->interlace)) {
        if (DGifGetLine(gif, &image->raster[static_cast<size_t>(row) * image->width], image->width) == GIF_ERROR)
            return false;
    }
    return image->raster_decoded = true;
}

bool SkipCompressedData(GifFileType* gif) {
    int code_size = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &code_size, &block) == GIF_ERROR) return false;
    while (block != nullptr) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

// The record-level walk behind ReadFirstImage and WalkGifRecords.
bool ReadRecords(const std::string& path, bool first_image_only, DecodedGif* out) {
    GifFileType* gif = Open(path, out);
    if (gif == nullptr) return false;
    std::vector<GiflibExtension> pending;
    bool reached = false, failed = false;
    while (!reached && !failed) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            failed = true;
        } else if (type == EXTENSION_RECORD_TYPE) {
            failed = !ReadExtension(gif, &pending);
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR) {
                failed = true;
                break;
            }
            out->images.push_back(ImageFromDescriptor(gif->Image));
            std::swap(out->images.back().extensions, pending);
            if (first_image_only) {
                if (!DecodeRaster(gif, &out->images.back())) out->error = gif->Error;
                reached = true;
            } else {
                failed = !SkipCompressedData(gif);
            }
        } else if (type == TERMINATE_RECORD_TYPE) {
            reached = !first_image_only;
            failed = first_image_only;
        }
    }
    out->trailing_extensions = std::move(pending);
    if (failed) out->error = gif->Error;
    DGifCloseFile(gif, nullptr);
    return reached;
}

// The last graphic control before an image, as giflib reads it.
struct Control {
    bool present = false;
    bool well_formed = false;  // a 4-byte body, so `block` is valid
    Bytes body;
    GraphicsControlBlock block{};
};

Control LastControl(const DecodedImage& image) {
    Control control;
    for (const GiflibExtension& extension : image.extensions) {
        if (extension.function != GRAPHICS_EXT_FUNC_CODE) continue;
        control.present = true;
        control.body = extension.bytes;
    }
    control.well_formed =
        control.present && DGifExtensionToGCB(control.body.size(), control.body.data(), &control.block) == GIF_OK;
    return control;
}

// One output frame, its looping block taken off, against the first image of its input.
void ExpectFrameMatchesInput(const DecodedImage& frame, const DecodedGif& input, unsigned delay) {
    ASSERT_EQ(frame.extensions.size(), 1u) << "blocks other than one graphic control before the frame";
    const Control written = LastControl(frame);
    ASSERT_TRUE(written.well_formed) << "graphic control body of " << written.body.size() << " bytes";
    EXPECT_EQ(written.block.DisposalMode, DISPOSE_BACKGROUND);
    EXPECT_EQ(written.block.DelayTime, static_cast<int>(delay & 0xFFFF));
    if (input.images.empty()) return;  // giflib did not reach the input's first image

    const DecodedImage& source = input.images.front();
    EXPECT_EQ(frame.left, source.left);
    EXPECT_EQ(frame.top, source.top);
    EXPECT_EQ(frame.width, source.width);
    EXPECT_EQ(frame.height, source.height);
    EXPECT_EQ(frame.interlace, source.interlace);
    const Bytes table = !source.local_map.empty()   ? source.local_map
                        : !input.global_map.empty() ? input.global_map
                                                    : GreyRamp(size_t{2} << (input.screen_packed & kTableSizeMask));
    EXPECT_EQ(frame.local_map, table) << "colour table";
    if (frame.raster_decoded && source.raster_decoded) {
        EXPECT_TRUE(frame.raster == source.raster) << "raster differs";
    }

    const Control captured = LastControl(source);
    const Bytes expected_body = captured.well_formed ? captured.body : Bytes{0, 0, 0, 0};
    if (captured.well_formed || !captured.present) {
        EXPECT_EQ(written.block.TransparentColor, captured.well_formed ? captured.block.TransparentColor : -1);
        EXPECT_EQ(written.block.UserInputFlag, captured.well_formed && captured.block.UserInputFlag);
        EXPECT_EQ(written.body[kControlPacked] & kReservedBits, expected_body[kControlPacked] & kReservedBits);
        EXPECT_EQ(written.body[kControlTransparentIndex], expected_body[kControlTransparentIndex]);
    }
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

bool SlurpGif(const std::string& path, DecodedGif* out) {
    GifFileType* gif = Open(path, out);
    if (gif == nullptr) return false;
    const bool ok = DGifSlurp(gif) == GIF_OK;
    if (!ok) out->error = gif->Error;
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        DecodedImage image = ImageFromDescriptor(saved.ImageDesc);
        image.raster.assign(saved.RasterBits, saved.RasterBits + static_cast<size_t>(image.width) * image.height);
        image.raster_decoded = true;
        CopyExtensions(saved.ExtensionBlocks, saved.ExtensionBlockCount, &image.extensions);
        out->images.push_back(std::move(image));
    }
    if (ok) CopyExtensions(gif->ExtensionBlocks, gif->ExtensionBlockCount, &out->trailing_extensions);
    DGifCloseFile(gif, nullptr);
    return ok;
}

bool ReadFirstImage(const std::string& path, DecodedGif* out) { return ReadRecords(path, true, out); }

bool WalkGifRecords(const std::string& path, DecodedGif* out) { return ReadRecords(path, false, out); }

std::string GiflibErrorText(int error) {
    const char* text = GifErrorString(error);
    return std::to_string(error) + " (" + (text != nullptr ? text : "unknown") + ")";
}

Bytes GreyRamp(size_t entries) {
    Bytes rgb;
    for (size_t k = 0; k < entries; ++k) rgb.insert(rgb.end(), 3, static_cast<uint8_t>(k * 255 / (entries - 1)));
    return rgb;
}

void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs, unsigned delay,
                            bool loop) {
    ExpectAnimationMatches(output, inputs, std::vector<unsigned>(inputs.size(), delay), loop);
}

void ExpectAnimationMatches(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                            const std::vector<unsigned>& delays, bool loop) {
    ASSERT_EQ(delays.size(), inputs.size()) << "one delay per frame";
    EXPECT_EQ(output.signature, "GIF89a");
    EXPECT_TRUE(output.global_map.empty()) << "the output has a global colour table";
    EXPECT_EQ(output.screen_packed, 0);
    EXPECT_EQ(output.background, 0);
    EXPECT_EQ(output.aspect, 0);
    int width = 0, height = 0;
    bool all_opened = true;
    for (const DecodedGif& input : inputs) {
        all_opened = all_opened && input.opened;
        width = std::max(width, input.width);
        height = std::max(height, input.height);
    }
    if (all_opened) {
        EXPECT_EQ(output.width, width) << "screen width is not the largest input width";
        EXPECT_EQ(output.height, height) << "screen height is not the largest input height";
    }
    EXPECT_TRUE(output.trailing_extensions.empty()) << "extensions after the last image";
    ASSERT_EQ(output.images.size(), inputs.size()) << "images in the output";
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        std::vector<GiflibExtension> extensions = output.images[i].extensions;
        if (i == 0 && loop) {
            ASSERT_GE(extensions.size(), 2u);
            EXPECT_EQ(extensions[0].function, APPLICATION_EXT_FUNC_CODE);
            EXPECT_EQ(extensions[0].bytes, kLoopingIdentifier) << "no looping block before the first frame";
            EXPECT_EQ(extensions[1].bytes, kLoopForever);
            extensions.erase(extensions.begin(), extensions.begin() + 2);
        }
        DecodedImage frame = output.images[i];
        frame.extensions = extensions;
        ExpectFrameMatchesInput(frame, inputs[i], delays[i]);
    }
}
