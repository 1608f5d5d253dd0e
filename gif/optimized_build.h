// A build written smallest, or within a size budget: the plan's default
// output is built into a scratch file, played, and written again with the
// same pixels in fewer bytes (gif/optimizer.h); with a budget, frames are
// then left out, as few as needed, when even that is too large.
#ifndef ZORVANE_GIF_OPTIMIZED_BUILD_H
#define ZORVANE_GIF_OPTIMIZED_BUILD_H

#include <cstdint>
#include <string>

#include "gif/build_plan.h"

// True when the plan is not a plain copy: written smallest, or to a budget.
inline bool WritesSmallest(const BuildPlan& plan) {
    return plan.encoding == FrameEncoding::kSmallest || plan.max_bytes != kNoSizeLimit;
}

// BuildAnimation and MeasurePlan for such a plan. The output is never larger
// than the default output, nor than the budget; a damaged image is never
// re-encoded (the default output's bytes are written then).
BuildResult BuildSmallest(const BuildPlan& plan, BuildObserver* observer);
BuildResult MeasureSmallest(const BuildPlan& plan, BuildObserver* observer);

// "dropped 12 of 46 frames to fit 2,000,000 bytes"; empty when none was.
std::string FormatDroppedFrames(const PlanSummary& summary, uint64_t max_bytes);

extern const char kMsgBudgetTooSmall[];

#endif  // ZORVANE_GIF_OPTIMIZED_BUILD_H
