// What a GIF file holds, read from its records: the logical screen and the
// first image's palette (the info panel's summary), and, walking the whole
// file, every image with its placement, timing, disposal and transparency.
#ifndef ZORVANE_GIF_FILE_SUMMARY_H
#define ZORVANE_GIF_FILE_SUMMARY_H

#include <cstddef>
#include <cstdint>

// One image of a file, as its records describe it.
struct ImageInfo {
    size_t index = 0;  // from 0, in file order
    uint16_t left = 0, top = 0, width = 0, height = 0;
    uint16_t delay = 0;    // hundredths of a second; 0 without a graphic control block
    uint8_t disposal = 0;  // 0..7, as written
    bool transparent = false;
    uint8_t transparent_index = 0;
    bool local_table = false;  // else the global table (or none)
    unsigned table_bits = 0;   // bits per pixel of the table in force; 0 with none
    bool interlaced = false;
};

// Receives each image while a file is walked.
class ImageVisitor {
public:
    virtual void Image(const ImageInfo& image) = 0;

protected:
    ~ImageVisitor() = default;
};

enum class InspectDepth {
    kFirstImage,  // up to the first image descriptor: the summary only
    kWholeFile,   // every image, to the trailer or the end of the file
};

struct FileSummary {
    const char* message = nullptr;  // null when the file could be read, else why not
    uint16_t width = 0;             // logical screen
    uint16_t height = 0;
    const char* palette_kind = "";  // "local", "global" or "none", of the first image
    unsigned bits_per_pixel = 0;    // of that palette's size field
    // With kWholeFile only:
    size_t images = 0;
    uint64_t duration = 0;         // sum of the images' delays, hundredths of a second
    uint64_t played_duration = 0;  // the same as browsers play it (PlayedDelay of each)
    bool has_looping_block = false;
    uint16_t loop_count = 0;  // the block's count: 0 forever, else repeats after the first play
};

extern const char kMsgCouldNotOpen[];

// Reads `path`. With a visitor (and kWholeFile), each image is handed to it
// in order. Memory stays fixed whatever the number of images.
FileSummary InspectFile(const char* path, InspectDepth depth, ImageVisitor* visitor = nullptr);

// Formats "W x H\nKIND (N bpp)" into `out`; returns the length written.
size_t FormatFrameSummary(unsigned width, unsigned height, const char* palette_kind, unsigned bits_per_pixel, char* out,
                          size_t out_size);

#endif  // ZORVANE_GIF_FILE_SUMMARY_H
