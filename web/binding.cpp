// The web page's way into the core, compiled to WebAssembly. The page's worker
// (web/worker.js) writes the input files into the in-memory file system, then
// calls these functions by name:
//
//   zorvane_inspect(path)       what the file holds, or why it cannot be used; its
//                               duration both as written and as browsers play it
//   zorvane_run(plan, write)    measures the plan, or builds it (write != 0)
//   zorvane_natural_less(a, b)  the order of "Sort by name"
//
// Each answer is a JSON text, valid until the next call. A plan is handed over
// as one value, in text, one line for the whole and one per entry:
//
//   PLAYS ORDER CENTER ENCODING MAX OUTPUT
//                                 plays 0 (forever) or 1..65536; order 0 forward,
//                                 1 reverse, 2 bounce; center 0 or 1; encoding 0
//                                 copy, 1 smallest; MAX the size budget in bytes
//                                 (0: none); the output's path to the end of the line
//   IMAGES DELAY PATH             images 0 (first) or 1 (all); delay -1 (each
//                                 image keeps its own) or 0..65535; PATH to the end
//
// A build writes the output there; the worker reads it back with FS.readFile.
// The answer gives the frame count as the other front ends say it
// ("framesText", clearing frames explained) and the duration as written and
// as browsers play it ("played": a delay of 0 or 1 plays as 10).
#include <emscripten/emscripten.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gif/build_plan.h"
#include "gif/delay_text.h"
#include "gif/file_summary.h"
#include "gif/natural_order.h"

namespace {

std::string answer;

void AppendString(std::string& out, const char* text) {
    if (!text) {
        out += "null";
        return;
    }
    out += '"';
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void AppendField(std::string& out, const char* name, uint64_t value) {
    char text[48];
    std::snprintf(text, sizeof text, "\"%s\":%llu,", name, static_cast<unsigned long long>(value));
    out += text;
}

// Reads an unsigned decimal number that ends at a space; false when there is
// none or it exceeds `most`.
bool ReadNumber(const char*& p, uint64_t most, uint64_t* value) {
    if (*p < '0' || *p > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(p, &end, 10);
    if (errno != 0 || n > most || *end != ' ') return false;
    *value = n;
    p = end + 1;
    return true;
}

// Fills `plan` from the text described above; false when it is malformed.
bool ParsePlan(const char* text, BuildPlan* plan) {
    const char* p = text;
    uint64_t plays = 0, order = 0, center = 0, encoding = 0, max_bytes = 0;
    if (!ReadNumber(p, kMostPlays, &plays) || !ReadNumber(p, 2, &order) || !ReadNumber(p, 1, &center) ||
        !ReadNumber(p, 1, &encoding) || !ReadNumber(p, UINT64_MAX, &max_bytes)) {
        return false;
    }
    const char* line_end = std::strchr(p, '\n');
    if (!line_end || line_end == p) return false;
    plan->output.assign(p, line_end);
    plan->plays = static_cast<uint32_t>(plays);
    plan->order = static_cast<FrameOrder>(order);
    plan->center = center != 0;
    plan->encoding = encoding ? FrameEncoding::kSmallest : FrameEncoding::kCopy;
    plan->max_bytes = max_bytes;
    plan->mode = OutputMode::kReplaceWhenDone;
    p = line_end + 1;
    while (*p) {
        uint64_t images = 0, delay = 0;
        bool own = false;
        if (!ReadNumber(p, 1, &images)) return false;
        if (p[0] == '-' && p[1] == '1' && p[2] == ' ') {
            own = true;
            p += 3;
        } else if (!ReadNumber(p, 0xFFFF, &delay)) {
            return false;
        }
        line_end = std::strchr(p, '\n');
        if (!line_end || line_end == p) return false;
        PlanEntry entry;
        entry.path.assign(p, line_end);
        entry.images = images ? ImageChoice::kAll : ImageChoice::kFirst;
        entry.delay.given = !own;
        entry.delay.hundredths = static_cast<uint16_t>(delay);
        plan->entries.push_back(std::move(entry));
        p = line_end + 1;
    }
    return true;
}

EM_JS(void, ReportEntryStarted, (size_t index, size_t count), {
    if (Module["onEntryStarted"]) Module["onEntryStarted"](index, count);
});

class ProgressObserver final : public BuildObserver {
public:
    void EntryStarted(size_t index, size_t count) override { ReportEntryStarted(index, count); }
};

// Browsers play a delay of 0 or 1 hundredth as this many.
constexpr uint64_t kBrowserDelay = 10;
constexpr uint16_t kFastestPlayedDelay = 2;
// A frame added to clear the canvas after a last frame shorter than this
// gets no delay of its own (see BuildAnimation).
constexpr uint16_t kLeastSharedDelay = 4;

uint64_t Played(uint16_t delay) { return delay < kFastestPlayedDelay ? kBrowserDelay : delay; }

struct Delays final : ImageVisitor {
    std::vector<uint16_t> images;
    void Image(const ImageInfo& image) override { images.push_back(image.delay); }
};

// The delays of the frames an entry gives, in its file's order.
std::vector<uint16_t> EntryDelays(const PlanEntry& entry) {
    Delays delays;
    InspectFile(entry.path.c_str(), InspectDepth::kWholeFile, &delays);
    if (entry.images == ImageChoice::kFirst && delays.images.size() > 1) delays.images.resize(1);
    if (entry.delay.given) {
        for (uint16_t& delay : delays.images) delay = entry.delay.hundredths;
    }
    return delays.images;
}

// How long a measured plan plays in a browser: each frame's delay as played,
// and the clearing frames that follow a last frame too short to share its
// delay (they have none, so they play 10). Which joins have those is asked
// of the core, one join at a time, only when it cannot be told otherwise.
uint64_t PlayedDuration(const BuildPlan& plan, const PlanSummary& summary) {
    uint64_t played = 0;
    std::vector<std::vector<uint16_t>> entries;
    for (const PlanEntry& entry : plan.entries) entries.push_back(EntryDelays(entry));
    std::vector<uint16_t> frames;
    for (const std::vector<uint16_t>& delays : entries) frames.insert(frames.end(), delays.begin(), delays.end());
    size_t count = frames.size() + summary.clearing_frames;
    for (uint16_t delay : frames) played += Played(delay);
    if (plan.order == FrameOrder::kBounce && frames.size() > 2) {
        for (size_t k = 1; k + 1 < frames.size(); ++k) played += Played(frames[k]);
        count += frames.size() - 2;
    }
    // Frames left out to fit a size budget: their times went to others, the
    // delays as written are what is known.
    if (count != summary.frames) return summary.duration;
    if (summary.clearing_frames == 0) return played;
    // Joins after which a clearing frame may follow, and those of them whose
    // last frame is too short to share.
    std::vector<size_t> short_joins;
    size_t joins = 0;
    for (size_t k = 0; k + 1 < plan.entries.size(); ++k) {
        if (plan.entries[k].images != ImageChoice::kAll || entries[k].empty()) continue;
        ++joins;
        if (entries[k].back() < kLeastSharedDelay) short_joins.push_back(k);
    }
    size_t unshared = 0;
    if (short_joins.size() == joins) {
        unshared = summary.clearing_frames;
    } else {
        for (size_t k : short_joins) {
            BuildPlan pair = plan;
            pair.entries = {plan.entries[k], plan.entries[k + 1]};
            pair.max_bytes = kNoSizeLimit;
            pair.encoding = FrameEncoding::kCopy;
            unshared += MeasurePlan(pair).summary.clearing_frames;
        }
    }
    return played + unshared * kBrowserDelay;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* zorvane_inspect(const char* path) {
    const FileSummary summary = InspectFile(path, InspectDepth::kWholeFile);
    answer = "{";
    if (summary.message) {
        answer += "\"message\":";
        AppendString(answer, summary.message);
        answer += '}';
        return answer.c_str();
    }
    AppendField(answer, "width", summary.width);
    AppendField(answer, "height", summary.height);
    AppendField(answer, "bitsPerPixel", summary.bits_per_pixel);
    AppendField(answer, "images", summary.images);
    AppendField(answer, "duration", summary.duration);
    Delays delays;
    InspectFile(path, InspectDepth::kWholeFile, &delays);
    uint64_t played = 0;
    for (uint16_t delay : delays.images) played += Played(delay);
    AppendField(answer, "played", played);
    answer += "\"palette\":";
    AppendString(answer, summary.palette_kind);
    answer += '}';
    return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* zorvane_run(const char* plan_text, int write) {
    BuildPlan plan;
    if (!ParsePlan(plan_text, &plan)) {
        answer = "{\"ok\":false,\"message\":\"The page sent a malformed plan.\",\"entry\":null}";
        return answer.c_str();
    }
    ProgressObserver observer;
    const BuildResult result = write ? BuildAnimation(plan, &observer) : MeasurePlan(plan);
    answer = "{";
    answer += result.ok ? "\"ok\":true," : "\"ok\":false,";
    if (result.entry != kNoEntry) AppendField(answer, "entry", result.entry);
    AppendField(answer, "frames", result.summary.frames);
    AppendField(answer, "duration", result.summary.duration);
    AppendField(answer, "played", result.ok ? PlayedDuration(plan, result.summary) : 0);
    AppendField(answer, "clearing", result.summary.clearing_frames);
    AppendField(answer, "width", result.summary.width);
    AppendField(answer, "height", result.summary.height);
    AppendField(answer, "bytes", result.summary.bytes);
    answer += "\"framesText\":";
    AppendString(answer, FormatFrameCount(result.summary.frames, result.summary.clearing_frames).c_str());
    answer += ",\"message\":";
    AppendString(answer, result.message);
    answer += '}';
    return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE int zorvane_natural_less(const char* a, const char* b) { return NaturalLess(a, b) ? 1 : 0; }

}  // extern "C"
