// The LZW codec against giflib: corpus images decoded by both, images our
// encoder writes decoded by giflib, and damaged data reported as such.
#include <glob.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gif/gif_records.h"
#include "gif/lzw_decoder.h"
#include "gif/lzw_writer.h"
#include "gif/output_sink.h"
#include "giflib_support.h"
#include "test_support.h"

namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kMaxCodeWidth = 12;

// What our decoder makes of `blocks`, fed one at a time (or byte by byte).
struct Decoded {
    LzwStatus status = LzwStatus::kDamaged;
    size_t written = 0;
    Bytes indices;
};

Decoded DecodeOurs(uint8_t code_size, const std::vector<Bytes>& blocks, size_t pixels, bool byte_by_byte = false) {
    Decoded decoded;
    decoded.indices.assign(pixels, 0);
    LzwDecoder decoder;
    decoder.Start(code_size, decoded.indices.data(), pixels);
    for (const Bytes& block : blocks) {
        if (!byte_by_byte) decoder.Feed(block.data(), block.size());
        for (size_t i = 0; byte_by_byte && i < block.size(); ++i) decoder.Feed(&block[i], 1);
    }
    decoded.status = decoder.End();
    decoded.written = decoder.written();
    return decoded;
}

// Image data (code size byte, sub-blocks, terminator) as the core writes it.
Bytes EncodeOurs(const Bytes& indices, uint8_t code_size) {
    TempDir dir;
    const std::string path = dir.File("data");
    FileHandle file;
    if (!FileCreateWrite(path.c_str(), &file)) return {};
    OutputSink sink(&file);
    WriteLzwImageData(sink, indices.data(), indices.size(), code_size);
    FileClose(file);
    return ReadFileBytes(path);
}

// The payloads of the sub-blocks of image data, the code size byte skipped.
std::vector<Bytes> PayloadsOf(const Bytes& data) {
    std::vector<Bytes> blocks;
    for (size_t at = 1; at < data.size() && data[at] != kBlockTerminator; at += 1 + data[at]) {
        blocks.emplace_back(data.begin() + at + 1, data.begin() + std::min(data.size(), at + 1 + data[at]));
    }
    return blocks;
}

// Image data of the codes given, packed at the widths a decoder expects, the table growing by one
// entry per code after the first following a clear, up to 4096 entries.
Bytes PackCodes(const std::vector<unsigned>& codes, uint8_t code_size) {
    const unsigned clear = 1u << code_size;
    TempDir dir;
    const std::string path = dir.File("codes");
    FileHandle file;
    if (!FileCreateWrite(path.c_str(), &file)) return {};
    OutputSink sink(&file);
    sink.WriteByte(code_size);
    CodeWriter writer(sink);
    unsigned width = code_size + 1, next = clear + 2;
    bool first = true;
    for (unsigned code : codes) {
        writer.Put(code, width);
        if (code == clear) {
            width = code_size + 1, next = clear + 2, first = true;
        } else if (!first && next < kMaxCodes && ++next == (1u << width) && width < kMaxCodeWidth) {
            ++width;
        } else {
            first = false;
        }
    }
    writer.Finish();
    FileClose(file);
    return ReadFileBytes(path);
}

// One image of `indices` in a GIF whose global table suits `code_size`.
Bytes GifOfImage(uint16_t width, uint16_t height, uint8_t code_size, const Bytes& data) {
    const uint8_t size_field = static_cast<uint8_t>(code_size - 1);
    return GifBuilder()
        .Header()
        .Screen(width, height, static_cast<uint8_t>(kColorTableFlag | size_field))
        .ColorTable(size_t{2} << size_field)
        .ImageDescriptor(0, 0, width, height, 0)
        .Raw(data)
        .Trailer()
        .bytes();
}

TEST(LzwTest, CorpusImagesDecodeAsGiflibDecodesThem) {
    std::vector<std::string> paths;
    for (const char* pattern : {ZORVANE_CORPUS_DIR "/*.gif", ZORVANE_SOURCE_DIR "/samples/*.gif"}) {
        glob_t found{};
        if (glob(pattern, 0, nullptr, &found) == 0)
            paths.insert(paths.end(), found.gl_pathv, found.gl_pathv + found.gl_pathc);
        globfree(&found);
    }
    ASSERT_GT(paths.size(), 50u);
    size_t compared = 0;
    for (const std::string& path : paths) {
        const Bytes bytes = ReadFileBytes(path);
        DecodedGif stored, decoded;
        GifReadOptions keep, decode;
        keep.keep_image_data = decode.decode_every_image = true;
        ReadGifBytes(bytes, keep, &stored);
        ReadGifBytes(bytes, decode, &decoded);
        for (size_t i = 0; i < stored.images.size() && i < decoded.images.size(); ++i) {
            const DecodedImage& image = decoded.images[i];
            const size_t pixels = static_cast<size_t>(image.width) * image.height;
            const Decoded ours =
                DecodeOurs(static_cast<uint8_t>(stored.images[i].code_size), stored.images[i].data_blocks, pixels);
            if (!image.raster_decoded) continue;
            SCOPED_TRACE(path + " image " + std::to_string(i));
            EXPECT_EQ(ours.status, LzwStatus::kFinished);
            Bytes in_rows(pixels);
            const std::vector<int> rows = GifRowOrder(image.height, image.interlace);
            for (size_t k = 0; k < rows.size() && ours.status == LzwStatus::kFinished; ++k) {
                std::copy_n(&ours.indices[k * image.width], image.width, &in_rows[size_t(rows[k]) * image.width]);
            }
            EXPECT_EQ(in_rows, image.raster);
            ++compared;
        }
    }
    EXPECT_GT(compared, 50u);
}

TEST(LzwTest, EncodedImagesDecodeUnderGiflibToTheirIndices) {
    std::mt19937 random(7);
    auto noise = [&](size_t count, unsigned colors) {
        Bytes indices(count);
        for (uint8_t& index : indices) index = static_cast<uint8_t>(random() % colors);
        return indices;
    };
    struct Case {
        const char* name;
        uint16_t width, height;
        uint8_t code_size;
        Bytes indices;
    };
    std::vector<Case> cases = {
        {"1x1", 1, 1, 2, {1}},
        {"two colours", 40, 30, 2, noise(1200, 2)},
        {"one long run", 640, 480, 8, Bytes(640 * 480, 200)},
        {"runs", 300, 200, 4, MakeRaster(300, 200, 16, 3)},
        {"noise, many clears", 400, 300, 8, noise(120000, 256)},
    };
    for (uint8_t code_size = 2; code_size <= 8; ++code_size) {
        cases.push_back({"code size", 97, 61, code_size, noise(97 * 61, 1u << code_size)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", code size " + std::to_string(c.code_size));
        const Bytes data = EncodeOurs(c.indices, c.code_size);
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(data[0], c.code_size);
        DecodedGif decoded;
        ASSERT_TRUE(SlurpGifBytes(GifOfImage(c.width, c.height, c.code_size, data), &decoded))
            << GiflibErrorText(decoded.error);
        ASSERT_EQ(decoded.images.size(), 1u);
        EXPECT_EQ(decoded.images[0].raster, c.indices);
        const Decoded ours = DecodeOurs(c.code_size, PayloadsOf(data), c.indices.size(), true);
        EXPECT_EQ(ours.status, LzwStatus::kFinished);
        EXPECT_EQ(ours.indices, c.indices);
    }
    // A run compresses: far fewer bytes than pixels.
    EXPECT_LT(EncodeOurs(Bytes(100000, 3), 2).size(), 2000u);
}

// Pixels that may be either their index or the alternative (the optimiser's
// unchanged pixels): giflib reads one of the two at each, the alternative
// wherever the index is too wide for the code size, and the others as given.
// A limit refuses the data exactly when it would outgrow it, and gives up
// early when it is far over.
TEST(LzwTest, PixelsThatMayBeEitherDecodeToOneOfTheTwo) {
    std::mt19937 random(11);
    constexpr uint8_t kCodeSize = 3, kAlternative = 5;
    constexpr uint16_t kWidth = 120, kHeight = 90;
    Bytes indices(size_t{kWidth} * kHeight), either(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        // Runs, some of them of indices too wide for three bits.
        indices[i] = i > 0 && random() % 4 ? indices[i - 1] : static_cast<uint8_t>(random() % 12);
        either[i] = indices[i] >= 8 || random() % 3 == 0;
    }
    LzwEncoder encoder;
    Bytes data;
    ASSERT_TRUE(encoder.Encode(&data, indices.data(), indices.size(), kCodeSize, either.data(), kAlternative));
    DecodedGif decoded;
    ASSERT_TRUE(SlurpGifBytes(GifOfImage(kWidth, kHeight, kCodeSize, data), &decoded))
        << GiflibErrorText(decoded.error);
    ASSERT_EQ(decoded.images.size(), 1u);
    const Bytes& raster = decoded.images[0].raster;
    ASSERT_EQ(raster.size(), indices.size());
    size_t alternatives = 0;
    for (size_t i = 0; i < indices.size(); ++i) {
        SCOPED_TRACE("pixel " + std::to_string(i));
        if (indices[i] >= 8) {
            EXPECT_EQ(raster[i], kAlternative);
        } else if (either[i]) {
            EXPECT_TRUE(raster[i] == indices[i] || raster[i] == kAlternative);
        } else {
            EXPECT_EQ(raster[i], indices[i]);
        }
        alternatives += raster[i] == kAlternative && indices[i] < 8;
    }
    EXPECT_GT(alternatives, 0u);  // the choice was made both ways
    // The same data under a limit of its size, and cut short below it.
    Bytes again, cut;
    EXPECT_TRUE(
        encoder.Encode(&again, indices.data(), indices.size(), kCodeSize, either.data(), kAlternative, data.size()));
    EXPECT_EQ(again, data);
    EXPECT_FALSE(
        encoder.Encode(&cut, indices.data(), indices.size(), kCodeSize, either.data(), kAlternative, data.size() - 1));
    cut.clear();
    EXPECT_FALSE(
        encoder.Encode(&cut, indices.data(), indices.size(), kCodeSize, either.data(), kAlternative, data.size() / 2));
    EXPECT_LT(cut.size(), data.size() / 2 + 4);  // given up as soon as it passed the limit
}

TEST(LzwTest, DamagedDataIsReportedAndNothingIsWrittenBeyondTheImage) {
    const unsigned kClear = 4, kEnd = 5;  // code size 2
    std::vector<unsigned> deferred = {kClear};
    for (unsigned i = 0; i < kMaxCodes + 100; ++i) deferred.push_back(i % 3);  // the table fills, no clear
    deferred.push_back(kEnd);
    const Bytes valid = EncodeOurs(MakeRaster(50, 50, 4, 9), 2);
    struct Case {
        const char* name;
        uint8_t code_size;
        std::vector<Bytes> blocks;
        size_t pixels;
        LzwStatus status;
        size_t written;
    };
    const Case cases[] = {
        {"first code not a literal", 2, PayloadsOf(PackCodes({kClear, 6, kEnd}, 2)), 4, LzwStatus::kDamaged, 0},
        {"code beyond the table", 2, PayloadsOf(PackCodes({kClear, 1, 7, kEnd}, 2)), 4, LzwStatus::kDamaged, 1},
        {"end code before the last pixel", 2, PayloadsOf(PackCodes({kClear, 1, 2, kEnd}, 2)), 4, LzwStatus::kDamaged,
         2},
        {"data cut short", 2, {PayloadsOf(valid).front()}, 2500, LzwStatus::kDamaged, 0},
        {"code size 1, which Chromium refuses", 1, PayloadsOf(valid), 2500, LzwStatus::kDamaged, 0},
        {"code size 9", 9, PayloadsOf(valid), 2500, LzwStatus::kDamaged, 0},
        {"pixels beyond the image dropped", 2, PayloadsOf(valid), 100, LzwStatus::kFinished, 100},
        {"table left full without a clear", 2, PayloadsOf(PackCodes(deferred, 2)), kMaxCodes + 100,
         LzwStatus::kFinished, kMaxCodes + 100},
        {"no end code after the last pixel", 2, PayloadsOf(PackCodes({kClear, 1, 2}, 2)), 2, LzwStatus::kFinished, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded ours = DecodeOurs(c.code_size, c.blocks, c.pixels);
        EXPECT_EQ(ours.status, c.status);
        if (c.written) {
            EXPECT_EQ(ours.written, c.written);
        }
    }
    // giflib reads the table left full as we do.
    const Bytes data = PackCodes(deferred, 2);
    DecodedGif decoded;
    ASSERT_TRUE(SlurpGifBytes(GifOfImage(kMaxCodes + 100, 1, 2, data), &decoded)) << GiflibErrorText(decoded.error);
    EXPECT_EQ(decoded.images[0].raster, DecodeOurs(2, PayloadsOf(data), kMaxCodes + 100).indices);
}

}  // namespace
