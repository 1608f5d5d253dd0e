#include "gif/entry_reader.h"

void ReadOrZero(FileHandle file, uint8_t* buffer, size_t size) {
    const size_t delivered = FileRead(file, buffer, size);
    if (delivered < size) std::memset(buffer + delivered, 0, size - delivered);
}

void FillGreyRamp(uint8_t* table, size_t size) {
    const size_t entries = size / 3;
    for (size_t k = 0; k < entries; ++k) {
        const uint8_t grey = static_cast<uint8_t>(k * 255 / (entries - 1));
        table[3 * k + 0] = grey;
        table[3 * k + 1] = grey;
        table[3 * k + 2] = grey;
    }
}
