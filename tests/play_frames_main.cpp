// Prints how the core's compositor plays GIF files, one JSON line per file in
// the form tests/web/decode.mjs gives Chromium's frames:
//
//   {"file": "a.gif", "frameCount": 3, "width": 4, "height": 4,
//    "durations": [100000, ...], "damaged": [false, ...], "rgba": ["DIR/a.gif.0.rgba", ...]}
//
//   play_frames [--rgba DIR] FILE.gif...   each frame's RGBA pixels to DIR/NAME.INDEX.rgba
//   play_frames --cases DIR                writes the compositing cases Chromium plays to DIR
//
// A file the compositor refuses gives {"file": ..., "error": "..."}, and the
// exit status is 1.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "compositing_cases.h"
#include "gif/gif_player.h"

namespace {

constexpr unsigned kMicrosecondsPerHundredth = 10000;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// JSON string contents: the paths the tests use need quotes and backslashes escaped only.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

bool WriteRgba(const std::string& path, const Rgba* canvas, size_t pixels) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::vector<uint8_t> bytes(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        const Rgba pixel = canvas[i];
        const uint8_t rgba[4] = {RedOf(pixel), GreenOf(pixel), BlueOf(pixel), AlphaOf(pixel)};
        std::memcpy(&bytes[4 * i], rgba, 4);
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

bool Play(const std::string& path, const char* rgba_dir) {
    GifPlayer player;
    if (const char* message = player.Open(path.c_str())) {
        std::printf("{\"file\": %s, \"error\": %s}\n", Quoted(path).c_str(), Quoted(message).c_str());
        return false;
    }
    std::string durations, damaged, rgba;
    PlayedFrame frame;
    bool written = true;
    while (player.Next(&frame)) {
        const char* comma = player.frames() > 1 ? ", " : "";
        durations += comma + std::to_string(frame.delay * kMicrosecondsPerHundredth);
        damaged += comma + std::string(frame.damaged ? "true" : "false");
        if (!rgba_dir) continue;
        const std::string out =
            std::string(rgba_dir) + "/" + BaseName(path) + "." + std::to_string(player.frames() - 1) + ".rgba";
        written = WriteRgba(out, frame.canvas, size_t{player.width()} * player.height()) && written;
        rgba += comma + Quoted(out);
    }
    std::printf(
        "{\"file\": %s, \"frameCount\": %zu, \"width\": %u, \"height\": %u, \"durations\": [%s], "
        "\"damaged\": [%s]%s%s%s}\n",
        Quoted(path).c_str(), player.frames(), player.width(), player.height(), durations.c_str(), damaged.c_str(),
        rgba_dir ? ", \"rgba\": [" : "", rgba.c_str(), rgba_dir ? "]" : "");
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: play_frames [--rgba DIR] FILE.gif... | play_frames --cases DIR\n";
    if (argc == 3 && std::strcmp(argv[1], "--cases") == 0) {
        for (const CompositingCase& c : CompositingCases()) {
            if (c.damaged) continue;
            if (!WriteFileBytes(std::string(argv[2]) + "/" + c.name + ".gif", c.gif)) return 1;
        }
        return 0;
    }
    int first = 1;
    const char* rgba_dir = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "--rgba") == 0) {
        rgba_dir = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fputs(usage, stderr);
        return 2;
    }
    int status = 0;
    for (int i = first; i < argc; ++i) {
        if (!Play(argv[i], rgba_dir)) status = 1;
    }
    return status;
}
