#include "fuzz_support.h"

#include <dirent.h>
#include <ftw.h>
#include <gif_lib.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gif/gif_records.h"

namespace {

// giflib refuses an LZW minimum code size above this.
constexpr uint8_t kGiflibMaxCodeSize = 8;
constexpr rlim_t kMaxFileBytes = 16u << 20;

std::string g_scratch;

Bytes TableBytes(const ColorMapObject* map) {
    Bytes bytes;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i) {
        bytes.insert(bytes.end(), {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    }
    return bytes;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveScratch() {
    if (!g_scratch.empty()) nftw(g_scratch.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

// giflib reads through this, so the walk knows where every read fell.
struct MemoryReader {
    const uint8_t* data;
    size_t size, position, last_offset, last_count;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t left = reader->size - reader->position;
    const size_t count = wanted <= 0 ? 0 : (static_cast<size_t>(wanted) < left ? static_cast<size_t>(wanted) : left);
    if (count > 0) std::memcpy(buffer, reader->data + reader->position, count);
    reader->last_offset = reader->position;
    reader->last_count = count;
    reader->position += count;
    return static_cast<int>(count);
}

}  // namespace

const std::string& ScratchDir() {
    if (g_scratch.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/zorvane-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            std::perror("zorvane fuzz: mkdtemp");
            std::abort();
        }
        g_scratch = buffer.data();
        std::atexit(RemoveScratch);
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = kMaxFileBytes;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    return g_scratch;
}

void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

Bytes ReadWholeFile(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    std::fclose(file);
    return bytes;
}

int OpenDescriptorCount() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

unsigned Le16At(const uint8_t* data, size_t size, size_t offset) {
    return (offset < size ? data[offset] : 0u) | (offset + 1 < size ? data[offset + 1] << 8 : 0u);
}

bool HasAcceptedHeader(const uint8_t* data, size_t size) {
    return size >= 6 && (std::memcmp(data, "GIF89a", 6) == 0 || std::memcmp(data, "GIF87a", 6) == 0);
}

void FuzzCheckFailed(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

bool WalkedAsOurs(const WalkedImage& image) {
    for (const WalkedExtension& extension : image.extensions) {
        if (extension.label == kGraphicControlLabel &&
            (extension.sub_block_sizes.size() != 1 || extension.sub_block_sizes[0] != kGraphicControlBlockSize)) {
            return false;
        }
    }
    return true;
}

GifWalk WalkWithGiflib(const uint8_t* data, size_t size, bool first_image_only) {
    GifWalk walk;
    MemoryReader reader = {data, size, 0, 0, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (gif == nullptr) return walk;
    walk.opened = true;
    walk.width = gif->SWidth;
    walk.height = gif->SHeight;
    walk.has_global_table = gif->SColorMap != nullptr;
    walk.global_bits = gif->SColorMap != nullptr ? gif->SColorMap->BitsPerPixel : 0;
    walk.global_table = TableBytes(gif->SColorMap);

    std::vector<WalkedExtension> pending;
    GifRecordType type;
    GifByteType* block = nullptr;
    while (DGifGetRecordType(gif, &type) != GIF_ERROR) {
        if (type == TERMINATE_RECORD_TYPE) {
            walk.reached_trailer = true;
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            WalkedExtension extension;
            int status = DGifGetExtension(gif, &extension.label, &block);
            for (; status != GIF_ERROR && block != nullptr; status = DGifGetExtensionNext(gif, &block)) {
                extension.sub_block_sizes.push_back(block[0]);
            }
            if (status == GIF_ERROR) break;
            pending.push_back(extension);
            continue;
        }
        // Image descriptor: the introducer has just been read.
        const size_t descriptor_offset = reader.position;
        WalkedImage image;
        if (DGifGetImageDesc(gif) == GIF_ERROR) {
            // Tolerated only when the one byte giflib read last is the LZW
            // minimum code size, where the descriptor says it stands, and is
            // above what giflib takes.
            if (gif->Error != D_GIF_ERR_READ_FAILED || descriptor_offset + kImageDescriptorSize > size) break;
            const uint8_t packed = data[descriptor_offset + kImageDescriptorSize - 1];
            const size_t table = (packed & kColorTableFlag) ? 3u * (2u << (packed & kColorTableSizeMask)) : 0;
            const size_t code_size_offset = descriptor_offset + kImageDescriptorSize + table;
            if (reader.last_count != 1 || reader.last_offset != code_size_offset ||
                data[code_size_offset] <= kGiflibMaxCodeSize) {
                break;
            }
            image.code_size_refused = true;
            image.has_local_table = (packed & kColorTableFlag) != 0;
            image.local_bits = (packed & kColorTableSizeMask) + 1;
        } else {
            image.has_local_table = gif->Image.ColorMap != nullptr;
            image.local_bits = gif->Image.ColorMap != nullptr ? gif->Image.ColorMap->BitsPerPixel : 0;
            image.local_table = TableBytes(gif->Image.ColorMap);
        }
        image.extensions.swap(pending);
        walk.images.push_back(image);
        if (first_image_only) break;
        int status;
        do {
            status = DGifGetCodeNext(gif, &block);
        } while (status != GIF_ERROR && block != nullptr);
        if (status == GIF_ERROR) break;
    }
    walk.consumed = reader.position;
    DGifCloseFile(gif, &error);
    return walk;
}
