// Where an output goes, with the offset reached and the patches made once
// what follows them is known.
#ifndef ZORVANE_GIF_OUTPUT_SINK_H
#define ZORVANE_GIF_OUTPUT_SINK_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gif/gif_records.h"
#include "platform/file_io.h"

// Bytes rewritten once what follows them is known: the screen descriptor,
// and the graphic control of an entry's last image.
struct PendingPatch {
    uint64_t offset;
    uint8_t bytes[kScreenDescriptorSize];
    uint8_t size;
};

// Where the output goes: a file, or nowhere when only its size is wanted.
// Offsets are counted either way. An output that cannot seek back (a pipe)
// is written in one go: a measuring run first notes every patch, and the
// writing run puts each in place as it passes.
class OutputSink {
public:
    explicit OutputSink(FileHandle* file) : file_(file) {}
    // Notes the patches instead of making them (a measuring run).
    void NotePatchesIn(std::vector<PendingPatch>* noted) { noted_ = noted; }
    // Writes these patches in passing instead of seeking back. Each lies
    // within the bytes of one Write.
    void ApplyInPassing(std::vector<PendingPatch>* patches) {
        std::sort(patches->begin(), patches->end(),
                  [](const PendingPatch& a, const PendingPatch& b) { return a.offset < b.offset; });
        in_passing_ = patches;
    }

    bool Write(const void* data, size_t size) {
        if (file_ && ok_) {
            const PendingPatch* patch = in_passing_ ? PatchWithin(size) : nullptr;
            if (patch) {
                const uint8_t* bytes = static_cast<const uint8_t*>(data);
                const size_t before = static_cast<size_t>(patch->offset - position_);
                const size_t after = before + patch->size;
                ok_ = FileWrite(*file_, bytes, before) && FileWrite(*file_, patch->bytes, patch->size) &&
                      FileWrite(*file_, bytes + after, size - after);
            } else {
                ok_ = FileWrite(*file_, data, size);
            }
        }
        position_ += size;
        return ok_;
    }
    bool WriteByte(uint8_t byte) { return Write(&byte, 1); }
    // Rewrites bytes already written, then goes on at the end.
    bool Patch(uint64_t offset, const void* data, size_t size) {
        if (noted_) {
            PendingPatch patch = {offset, {}, static_cast<uint8_t>(size)};
            std::memcpy(patch.bytes, data, size);
            noted_->push_back(patch);
        }
        if (file_ && ok_ && !in_passing_) {
            ok_ = FileSeekTo(*file_, offset) && FileWrite(*file_, data, size) && FileSeekTo(*file_, position_);
        }
        return ok_;
    }
    uint64_t position() const { return position_; }
    bool ok() const { return ok_; }

private:
    FileHandle* file_;
    uint64_t position_ = 0;
    bool ok_ = true;
    // The patch, if any, that falls within the next `size` bytes; the
    // patches are in the order of their offsets.
    const PendingPatch* PatchWithin(size_t size) {
        while (next_patch_ < in_passing_->size() && (*in_passing_)[next_patch_].offset < position_) ++next_patch_;
        if (next_patch_ == in_passing_->size()) return nullptr;
        const PendingPatch& patch = (*in_passing_)[next_patch_];
        return patch.offset + patch.size <= position_ + size ? &patch : nullptr;
    }

    std::vector<PendingPatch>* noted_ = nullptr;
    const std::vector<PendingPatch>* in_passing_ = nullptr;
    size_t next_patch_ = 0;
};

#endif  // ZORVANE_GIF_OUTPUT_SINK_H
