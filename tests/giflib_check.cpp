#include "giflib_check.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace {

constexpr size_t kSignatureSize = 6;
constexpr size_t kScreenPackedOffset = 10;  // header (6) + width (2) + height (2)
constexpr size_t kImageDescriptorSize = 9;  // after the introducer: position, size, packed flags
constexpr uint8_t kColorTableFlag = 0x80;   // in a screen or image descriptor's packed field
constexpr uint8_t kTableSizeMask = 0x07;
constexpr int kColorResolutionShift = 4;   // screen descriptor packed bits 6..4
constexpr uint8_t kGiflibMaxCodeSize = 8;  // giflib refuses an LZW minimum code size above this
constexpr uint8_t kReservedBits = 0xE0;    // graphic control packed flags
constexpr size_t kControlPacked = 0;       // offsets in a graphic control body
constexpr size_t kControlTransparentIndex = 3;
constexpr size_t kControlBodySize = 4;  // as giflib hands it: packed flags, delay, index
constexpr unsigned kDelayMask = 0xFFFF;
const Bytes kLoopingIdentifier = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
constexpr uint8_t kLoopingSubBlockId = 1;  // then the count, little-endian

// giflib reads through this, so the walk knows where every read fell.
struct MemoryReader {
    const Bytes* data;
    size_t position = 0, last_offset = 0, last_count = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t left = reader->data->size() - reader->position;
    const size_t count = wanted <= 0 ? 0 : std::min(static_cast<size_t>(wanted), left);
    if (count > 0) std::memcpy(buffer, reader->data->data() + reader->position, count);
    reader->last_offset = reader->position;
    reader->last_count = count;
    reader->position += count;
    return static_cast<int>(count);
}

Bytes MapBytes(const ColorMapObject* map) {
    Bytes rgb;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i)
        rgb.insert(rgb.end(), {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return rgb;
}

void CopyExtensions(const ExtensionBlock* blocks, int count, std::vector<GiflibExtension>* out) {
    for (int i = 0; i < count; ++i)
        out->push_back({blocks[i].Function, Bytes(blocks[i].Bytes, blocks[i].Bytes + blocks[i].ByteCount)});
}

DecodedImage ImageFromDescriptor(const GifImageDesc& desc) {
    DecodedImage image;
    image.left = desc.Left, image.top = desc.Top, image.width = desc.Width, image.height = desc.Height;
    image.interlace = desc.Interlace;
    image.local_bits = desc.ColorMap != nullptr ? desc.ColorMap->BitsPerPixel : 0;
    image.local_map = MapBytes(desc.ColorMap);
    return image;
}

// Opens `reader`'s bytes for decoding and copies what giflib and the first
// bytes tell about the screen; null (with the error in `out`) when giflib
// refuses them.
GifFileType* Open(MemoryReader* reader, DecodedGif* out) {
    *out = DecodedGif();
    const Bytes& data = *reader->data;
    out->signature.assign(data.begin(),
                          data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), kSignatureSize)));
    if (data.size() > kScreenPackedOffset) out->screen_packed = data[kScreenPackedOffset];
    GifFileType* gif = DGifOpen(reader, ReadFromMemory, &out->error);
    if (gif == nullptr) return nullptr;
    out->opened = true;
    out->width = gif->SWidth, out->height = gif->SHeight;
    out->background = gif->SBackGroundColor, out->aspect = gif->AspectByte;
    out->global_bits = gif->SColorMap != nullptr ? gif->SColorMap->BitsPerPixel : 0;
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

bool DecodeRaster(GifFileType* gif, size_t max_pixels, DecodedImage* image) {
    const size_t pixels = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    if (pixels == 0 || pixels > max_pixels) return false;
    image->raster.assign(pixels, 0);
    for (int row : GifRowOrder(image->height, image->interlace)) {
        if (DGifGetLine(gif, &image->raster[static_cast<size_t>(row) * image->width], image->width) == GIF_ERROR)
            return false;
    }
    return image->raster_decoded = true;
}

// Passes over an image's data sub-blocks, keeping them in `kept` (may be
// null); `begun`: giflib has read its LZW minimum code size already.
bool SkipImageData(GifFileType* gif, bool begun, DecodedImage* kept) {
    int code_size = 0;
    GifByteType* block = nullptr;
    if ((begun ? DGifGetCodeNext(gif, &block) : DGifGetCode(gif, &code_size, &block)) == GIF_ERROR) return false;
    if (kept) kept->code_size = code_size;
    while (block != nullptr) {
        if (kept) kept->data_blocks.emplace_back(block + 1, block + 1 + block[0]);
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

// DGifGetImageDesc failed: true when the one byte giflib read last is the
// LZW minimum code size, where the descriptor at `descriptor_offset` says it
// stands, and is above what giflib takes; then `image` gets the descriptor's
// local table size.
bool RefusedCodeSize(const GifFileType* gif, const MemoryReader& reader, size_t descriptor_offset,
                     DecodedImage* image) {
    const Bytes& data = *reader.data;
    if (gif->Error != D_GIF_ERR_READ_FAILED || descriptor_offset + kImageDescriptorSize > data.size()) return false;
    const uint8_t packed = data[descriptor_offset + kImageDescriptorSize - 1];
    const size_t table = (packed & kColorTableFlag) ? 3u * (2u << (packed & kTableSizeMask)) : 0;
    const size_t code_size_offset = descriptor_offset + kImageDescriptorSize + table;
    if (reader.last_count != 1 || reader.last_offset != code_size_offset ||
        data[code_size_offset] <= kGiflibMaxCodeSize) {
        return false;
    }
    image->code_size_refused = true;
    image->local_bits = (packed & kColorTableFlag) ? (packed & kTableSizeMask) + 1 : 0;
    return true;
}

// The last graphic control before an image, as giflib reads it.
struct Control {
    bool present = false;
    bool well_formed = false;  // a 4-byte body, so `block` is valid
    Bytes body;
    GraphicsControlBlock block{};
};

Control LastControl(const std::vector<GiflibExtension>& extensions) {
    Control control;
    for (const GiflibExtension& extension : extensions) {
        if (extension.function != GRAPHICS_EXT_FUNC_CODE) continue;
        control.present = true;
        control.body = extension.bytes;
    }
    control.well_formed =
        control.present && DGifExtensionToGCB(control.body.size(), control.body.data(), &control.block) == GIF_OK;
    return control;
}

// Faults found so far, each under the frame it concerns.
struct Faults {
    std::vector<std::string> texts;
    std::string where;
    void Add(const std::string& text) { texts.push_back(where + text); }
    void Expect(bool ok, const std::string& text) {
        if (!ok) Add(text);
    }
    void ExpectEqual(const std::string& what, long got, long expected) {
        if (got != expected) Add(what + " is " + std::to_string(got) + ", expected " + std::to_string(expected));
    }
};

// One output frame, preceded by `extensions` (its looping block taken off),
// against the first image of its input.
// `global` is the output's global table (empty when it has none).
void CheckFrame(const DecodedImage& frame, const std::vector<GiflibExtension>& extensions, const DecodedGif& input,
                const Bytes& global, unsigned delay, Faults* faults) {
    if (extensions.size() != 1) {
        faults->Add(std::to_string(extensions.size()) + " blocks before the frame, expected one graphic control");
        return;
    }
    const Control written = LastControl(extensions);
    if (!written.well_formed) {
        faults->Add("graphic control body of " + std::to_string(written.body.size()) + " bytes");
        return;
    }
    faults->ExpectEqual("disposal", written.block.DisposalMode, DISPOSE_BACKGROUND);
    faults->ExpectEqual("delay", written.block.DelayTime, static_cast<long>(delay & kDelayMask));
    if (input.images.empty()) return;  // giflib did not reach the input's first image

    const DecodedImage& source = input.images.front();
    faults->ExpectEqual("left", frame.left, source.left);
    faults->ExpectEqual("top", frame.top, source.top);
    faults->ExpectEqual("width", frame.width, source.width);
    faults->ExpectEqual("height", frame.height, source.height);
    faults->ExpectEqual("interlace flag", frame.interlace, source.interlace);
    const Bytes table = !source.local_map.empty()   ? source.local_map
                        : !input.global_map.empty() ? input.global_map
                                                    : GreyRamp(size_t{2} << (input.screen_packed & kTableSizeMask));
    faults->Expect((frame.local_map.empty() ? global : frame.local_map) == table,
                   "colour table differs from the input's");
    faults->Expect(global.empty() || frame.local_map != global, "a local copy of the global colour table");
    if (frame.raster_decoded && source.raster_decoded) {
        faults->Expect(frame.raster == source.raster, "pixels differ from the input's first image");
    }

    const Control captured = LastControl(source.extensions);
    const Bytes expected_body = captured.well_formed ? captured.body : Bytes(kControlBodySize, 0);
    if (captured.well_formed || !captured.present) {
        faults->ExpectEqual("transparent colour", written.block.TransparentColor,
                            captured.well_formed ? captured.block.TransparentColor : NO_TRANSPARENT_COLOR);
        faults->ExpectEqual("user input flag", written.block.UserInputFlag,
                            captured.well_formed && captured.block.UserInputFlag);
        faults->ExpectEqual("reserved control bits", written.body[kControlPacked] & kReservedBits,
                            expected_body[kControlPacked] & kReservedBits);
        faults->ExpectEqual("transparent index byte", written.body[kControlTransparentIndex],
                            expected_body[kControlTransparentIndex]);
    }
}

}  // namespace

bool ReadGifBytes(const Bytes& data, const GifReadOptions& options, DecodedGif* out) {
    MemoryReader reader{&data};
    GifFileType* gif = Open(&reader, out);
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
            // The introducer has just been read.
            const size_t descriptor_offset = reader.position;
            DecodedImage image;
            if (DGifGetImageDesc(gif) != GIF_ERROR) {
                image = ImageFromDescriptor(gif->Image);
            } else if (!options.pass_refused_code_size || !RefusedCodeSize(gif, reader, descriptor_offset, &image)) {
                failed = true;
                break;
            }
            std::swap(image.extensions, pending);
            out->images.push_back(std::move(image));
            DecodedImage& last = out->images.back();
            if (options.first_image_only) {
                if (options.decode_first_image && !last.code_size_refused &&
                    !DecodeRaster(gif, options.max_decoded_pixels, &last)) {
                    out->error = gif->Error;
                }
                reached = true;
            } else if (options.decode_every_image && !last.code_size_refused && last.width > 0 && last.height > 0) {
                failed = !DecodeRaster(gif, options.max_decoded_pixels, &last);
            } else {
                failed = !SkipImageData(gif, last.code_size_refused, options.keep_image_data ? &last : nullptr);
            }
        } else if (type == TERMINATE_RECORD_TYPE) {
            out->reached_trailer = true;
            reached = !options.first_image_only;
            failed = options.first_image_only;
        }
    }
    out->trailing_extensions = std::move(pending);
    if (failed) out->error = gif->Error;
    out->consumed = reader.position;
    DGifCloseFile(gif, nullptr);
    return reached;
}

bool ReadFirstImage(const std::string& path, DecodedGif* out) {
    GifReadOptions options;
    options.first_image_only = options.decode_first_image = true;
    return ReadGifBytes(ReadFileBytes(path), options, out);
}

bool WalkGifRecords(const std::string& path, DecodedGif* out) {
    return ReadGifBytes(ReadFileBytes(path), GifReadOptions(), out);
}

bool SlurpGifBytes(const Bytes& data, DecodedGif* out) {
    MemoryReader reader{&data};
    GifFileType* gif = Open(&reader, out);
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
    if (ok) {
        CopyExtensions(gif->ExtensionBlocks, gif->ExtensionBlockCount, &out->trailing_extensions);
        out->reached_trailer = true;
    }
    out->consumed = reader.position;
    DGifCloseFile(gif, nullptr);
    return ok;
}

bool SlurpGif(const std::string& path, DecodedGif* out) { return SlurpGifBytes(ReadFileBytes(path), out); }

std::string GiflibErrorText(int error) {
    const char* text = GifErrorString(error);
    return std::to_string(error) + " (" + (text != nullptr ? text : "unknown") + ")";
}

bool ControlsReadAlike(const DecodedImage& image) {
    const std::vector<GiflibExtension>& blocks = image.extensions;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].function == GRAPHICS_EXT_FUNC_CODE &&
            (blocks[i].bytes.size() != kControlBodySize ||
             (i + 1 < blocks.size() && blocks[i + 1].function == CONTINUE_EXT_FUNC_CODE)))
            return false;
    }
    return true;
}

Bytes GreyRamp(size_t entries) {
    Bytes rgb;
    for (size_t k = 0; k < entries; ++k) rgb.insert(rgb.end(), 3, static_cast<uint8_t>(k * 255 / (entries - 1)));
    return rgb;
}

std::vector<int> GifRowOrder(int height, bool interlace) {
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    std::vector<int> rows;
    for (int pass = 0; pass < (interlace ? 4 : 1); ++pass) {
        for (int row = interlace ? kStart[pass] : 0; row < height; row += interlace ? kStep[pass] : 1)
            rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> CheckAnimation(const DecodedGif& output, const std::vector<DecodedGif>& inputs,
                                        const std::vector<unsigned>& delays, bool loop, unsigned loop_count) {
    const Bytes looping = {kLoopingSubBlockId, static_cast<uint8_t>(loop_count & 0xFF),
                           static_cast<uint8_t>(loop_count >> 8)};
    Faults faults;
    if (delays.size() != inputs.size()) {
        faults.Add(std::to_string(delays.size()) + " delays for " + std::to_string(inputs.size()) + " frames");
        return faults.texts;
    }
    faults.Expect(output.signature == "GIF89a", "signature is \"" + output.signature + "\", expected GIF89a");
    // A global table is the one most frames share: its size field doubles as
    // the colour resolution.
    const int global_field = output.global_bits > 0 ? output.global_bits - 1 : 0;
    faults.ExpectEqual(
        "screen packed fields", output.screen_packed,
        output.global_map.empty() ? 0 : kColorTableFlag | global_field << kColorResolutionShift | global_field);
    faults.ExpectEqual("background colour", output.background, 0);
    faults.ExpectEqual("aspect ratio byte", output.aspect, 0);
    int width = 0, height = 0;
    bool all_opened = true;
    for (const DecodedGif& input : inputs) {
        all_opened = all_opened && input.opened;
        width = std::max(width, input.width);
        height = std::max(height, input.height);
    }
    if (all_opened) {
        faults.ExpectEqual("screen width (the largest input's)", output.width, width);
        faults.ExpectEqual("screen height (the largest input's)", output.height, height);
    }
    faults.Expect(output.trailing_extensions.empty(), "extensions after the last image");
    if (output.images.size() != inputs.size()) {
        faults.Add(std::to_string(output.images.size()) + " images for " + std::to_string(inputs.size()) + " frames");
        return faults.texts;
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        faults.where = "frame " + std::to_string(i) + ": ";
        std::vector<GiflibExtension> extensions = output.images[i].extensions;
        if (i == 0 && loop) {
            if (extensions.size() < 2 || extensions[0].function != APPLICATION_EXT_FUNC_CODE ||
                extensions[0].bytes != kLoopingIdentifier || extensions[1].bytes != looping) {
                faults.Add("no looping block (count " + std::to_string(loop_count) + ") before the first frame");
                continue;
            }
            extensions.erase(extensions.begin(), extensions.begin() + 2);
        }
        CheckFrame(output.images[i], extensions, inputs[i], output.global_map, delays[i], &faults);
    }
    return faults.texts;
}

std::vector<std::string> CheckAnimationFiles(const std::string& output, const std::vector<std::string>& inputs,
                                             unsigned delay, bool loop, unsigned loop_count) {
    DecodedGif decoded;
    if (!SlurpGif(output, &decoded)) return {"giflib cannot decode it: " + GiflibErrorText(decoded.error)};
    std::vector<std::string> faults;
    std::vector<DecodedGif> firsts(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (!ReadFirstImage(inputs[i], &firsts[i]) || !firsts[i].images.front().raster_decoded)
            faults.push_back("giflib cannot decode the first image of " + inputs[i] + ": " +
                             GiflibErrorText(firsts[i].error));
    }
    return faults.empty()
               ? CheckAnimation(decoded, firsts, std::vector<unsigned>(firsts.size(), delay), loop, loop_count)
               : faults;
}

int CheckAnimationList(const std::string& path, FILE* report) {
    const Bytes list = ReadFileBytes(path);
    std::istringstream lines(std::string(list.begin(), list.end()));
    int faults = 0, checked = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::istringstream split(line);
        std::vector<std::string> fields;
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        ++checked;
        // LOOP: 0 no looping block, 1 one with the count 65535, =N one with the count N.
        const bool counted = fields.size() >= 3 && fields[2].size() > 1 && fields[2][0] == '=';
        if (fields.size() < 3 || (fields[2] != "0" && fields[2] != "1" && !counted)) {
            std::fprintf(report, "giflib check: %s: not OUTPUT, DELAY, LOOP, INPUT... separated by tabs\n",
                         line.c_str());
            ++faults;
            continue;
        }
        const std::vector<std::string> inputs(fields.begin() + 3, fields.end());
        const unsigned delay = static_cast<unsigned>(std::strtoul(fields[1].c_str(), nullptr, 10));
        const unsigned loop_count =
            counted ? static_cast<unsigned>(std::strtoul(fields[2].c_str() + 1, nullptr, 10)) : 0xFFFFu;
        const std::vector<std::string> found =
            CheckAnimationFiles(fields[0], inputs, delay, fields[2] != "0", loop_count);
        for (const std::string& fault : found)
            std::fprintf(report, "giflib check: %s: %s\n", fields[0].c_str(), fault.c_str());
        if (found.empty()) std::fprintf(report, "giflib check: %s: %zu frames ok\n", fields[0].c_str(), inputs.size());
        faults += static_cast<int>(found.size());
    }
    if (checked == 0) std::fprintf(report, "giflib check: %s: no outputs listed\n", path.c_str());
    return checked == 0 ? 1 : faults;
}
