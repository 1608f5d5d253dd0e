// The plan the Windows dialog builds, for the tests that compare with it:
// each frame's first image, one delay, the looping block with the count
// 65535 when looping, written in place. Standard library and core only, so
// that the Windows tests use it too.
#ifndef ZORVANE_TESTS_DIALOG_PLAN_H
#define ZORVANE_TESTS_DIALOG_PLAN_H

#include <string>
#include <vector>

#include "gif/build_plan.h"

inline BuildPlan DialogPlan(const std::string& output, const std::vector<std::string>& frames, unsigned delay = 0,
                            bool loop = true) {
    BuildPlan plan;
    plan.output = output;
    plan.plays = loop ? kPlayForever : 1;
    plan.forever_count = 0xFFFF;
    plan.mode = OutputMode::kWriteInPlace;
    plan.tables = TableRule::kEachFrame;
    DelayRule rule;
    rule.given = true;
    rule.hundredths = static_cast<uint16_t>(delay & 0xFFFF);
    for (const std::string& frame : frames) plan.entries.push_back(PlanEntry{frame, ImageChoice::kFirst, rule});
    return plan;
}

#endif  // ZORVANE_TESTS_DIALOG_PLAN_H
