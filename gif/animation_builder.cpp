#include "gif/animation_builder.h"

#include <cstring>

#include "gif/gif_records.h"
#include "platform/file_io.h"

const char kMsgBuildCouldNotOpen[] = "Could not open file. GIF creation aborted.";
const char kMsgOutputIsFrame[] = "The output file is one of the frames. GIF creation aborted.";
const char kMsgCouldNotCreateOutput[] = "Could not create output file.";
const char kMsgCouldNotWriteOutput[] = "Could not write output file. GIF creation aborted.";

namespace {

// Offset of the screen descriptor in the output, rewritten once all frames
// are in and the largest screen is known.
constexpr uint32_t kScreenDescriptorOffset = kGifHeaderSize;

struct BuildRun {
    BuildOptions& options;
    FileHandle output;
    GifScreenDescriptor screen;  // of the output: only width and height change
    // The colour table of the current frame; also the transfer buffer for
    // image data sub-blocks.
    uint8_t palette[kMaxColorTableBytes];
};

// True when `output_path` names the same file as one of the frames, so that
// creating the output would destroy that frame.
bool OutputIsAFrame(BuildOptions& options, const char* output_path) {
    FileIdentity output_identity;
    const bool output_exists = FileIdentityOf(output_path, &output_identity);
    const size_t count = options.FrameCount();
    for (size_t i = 0; i < count; ++i) {
        const char* frame_path = options.FramePath(i);
        FileIdentity frame_identity;
        if (output_exists && frame_path && FileIdentityOf(frame_path, &frame_identity) &&
            SameFileIdentity(output_identity, frame_identity)) {
            return true;
        }
    }
    return false;
}

// Reads `size` bytes into `buffer`; whatever the file fails to deliver is
// left as zeros.
void ReadOrZero(FileHandle file, uint8_t* buffer, size_t size) {
    const size_t delivered = FileRead(file, buffer, size);
    if (delivered < size) std::memset(buffer + delivered, 0, size - delivered);
}

// Fills a colour table of `size` bytes with an even grey ramp from black to
// white, for frames that bring no colour table of their own.
void FillGreyRamp(uint8_t* table, size_t size) {
    const size_t entries = size / 3;
    for (size_t k = 0; k < entries; ++k) {
        const uint8_t grey = static_cast<uint8_t>(k * 255 / (entries - 1));
        table[3 * k + 0] = grey;
        table[3 * k + 1] = grey;
        table[3 * k + 2] = grey;
    }
}

void Fail(BuildRun& run, const char* message, MessageIcon icon, FileHandle* input) {
    run.options.ShowMessage(message, icon);
    if (input) FileClose(*input);
    FileClose(run.output);
}

// Copies the image data that follows an image descriptor and colour table:
// the LZW minimum code size and the sub-blocks up to the terminator. Bytes
// the input fails to deliver are written as zeros, and a missing length byte
// ends the data with a terminator, so a cut-short input still gives a
// well-formed frame.
bool CopyImageData(BuildRun& run, FileHandle input) {
    uint8_t cell;
    if (!FileReadByte(input, &cell)) cell = 0;
    if (!FileWrite(run.output, &cell, 1)) return false;
    for (;;) {
        if (!FileReadByte(input, &cell)) {
            cell = kBlockTerminator;
            return FileWrite(run.output, &cell, 1);
        }
        if (!FileWrite(run.output, &cell, 1)) return false;
        if (cell == kBlockTerminator) return true;
        ReadOrZero(input, run.palette, cell);
        if (!FileWrite(run.output, run.palette, cell)) return false;
    }
}

// Appends the first image of frame `index`. False when the run stopped; the
// message has then been shown and both files are closed.
bool CopyFrame(BuildRun& run, size_t index) {
    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    uint8_t image_bytes[kImageDescriptorSize] = {};
    GifGraphicControl control = {};

    FileHandle input;
    if (!FileOpenRead(run.options.FramePath(index), &input)) {
        Fail(run, kMsgBuildCouldNotOpen, MessageIcon::kPlain, nullptr);
        return false;
    }
    uint8_t header_bytes[kGifHeaderSize] = {};
    const size_t header_count = FileRead(input, header_bytes, sizeof header_bytes);
    if (!IsAcceptedGifHeader(header_bytes, header_count)) {
        Fail(run, kMsgNotAGif, MessageIcon::kWarning, &input);
        return false;
    }

    FileRead(input, screen_bytes, sizeof screen_bytes);
    const GifScreenDescriptor screen = DecodeScreenDescriptor(screen_bytes);
    if (screen.packed & kColorTableFlag) ReadOrZero(input, run.palette, ColorTableBytesFor(screen.packed));
    if (screen.width > run.screen.width) run.screen.width = screen.width;
    if (screen.height > run.screen.height) run.screen.height = screen.height;

    if (BlockScan(input, &control) == BlockScanResult::kPrematureEnd) {
        Fail(run, kMsgPrematureEnd, MessageIcon::kWarning, &input);
        return false;
    }

    FileRead(input, image_bytes, sizeof image_bytes);
    GifImageDescriptor image = DecodeImageDescriptor(image_bytes);
    if (image.packed & kColorTableFlag) {
        ReadOrZero(input, run.palette, ColorTableBytesFor(image.packed));
    } else {
        // The frame carries the input's global table as its local one.
        image.packed = static_cast<uint8_t>((image.packed & ~kColorTableSizeMask) | kColorTableFlag |
                                            (screen.packed & kColorTableSizeMask));
        if (!(screen.packed & kColorTableFlag)) FillGreyRamp(run.palette, ColorTableBytesFor(image.packed));
    }

    control.block_size = kGraphicControlBlockSize;
    control.packed = static_cast<uint8_t>((control.packed & ~kDisposalMask) | kDisposalRestoreBackground);
    control.delay = static_cast<uint16_t>(run.options.Delay() & 0xFFFFu);
    control.terminator = kBlockTerminator;

    uint8_t control_bytes[kGraphicControlSize];
    EncodeGraphicControl(control, control_bytes);
    EncodeImageDescriptor(image, image_bytes);
    const bool written =
        FileWrite(run.output, &kExtensionIntroducer, 1) && FileWrite(run.output, &kGraphicControlLabel, 1) &&
        FileWrite(run.output, control_bytes, sizeof control_bytes) && FileWrite(run.output, &kImageIntroducer, 1) &&
        FileWrite(run.output, image_bytes, sizeof image_bytes) &&
        FileWrite(run.output, run.palette, ColorTableBytesFor(image.packed)) && CopyImageData(run, input);
    if (!written) {
        Fail(run, kMsgCouldNotWriteOutput, MessageIcon::kWarning, &input);
        return false;
    }
    FileClose(input);
    return true;
}

}  // namespace

void BuildAnimation(BuildOptions& options) {
    const char* output_path = options.OutputPath();
    if (!output_path) return;

    if (OutputIsAFrame(options, output_path)) {
        options.ShowMessage(kMsgOutputIsFrame, MessageIcon::kWarning);
        return;
    }

    BuildRun run = {options, {}, {}, {}};
    if (!FileCreateWrite(output_path, &run.output)) {
        options.ShowMessage(kMsgCouldNotCreateOutput, MessageIcon::kWarning);
        return;
    }

    uint8_t screen_bytes[kScreenDescriptorSize] = {};
    bool written = FileWrite(run.output, kGif89aHeader, sizeof kGif89aHeader) &&
                   FileWrite(run.output, screen_bytes, sizeof screen_bytes);
    if (written && options.LoopFlag()) written = FileWrite(run.output, LoopingBlock, sizeof LoopingBlock);
    if (!written) {
        Fail(run, kMsgCouldNotWriteOutput, MessageIcon::kWarning, nullptr);
        return;
    }

    for (size_t i = 0; i < options.FrameCount(); ++i) {
        if (!CopyFrame(run, i)) return;
    }

    EncodeScreenDescriptor(run.screen, screen_bytes);
    written = FileWrite(run.output, &kTrailer, 1) && FileSeekTo(run.output, kScreenDescriptorOffset) &&
              FileWrite(run.output, screen_bytes, sizeof screen_bytes);
    if (!written) {
        Fail(run, kMsgCouldNotWriteOutput, MessageIcon::kWarning, nullptr);
        return;
    }
    if (!FileClose(run.output)) options.ShowMessage(kMsgCouldNotWriteOutput, MessageIcon::kWarning);
}
