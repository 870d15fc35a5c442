#pragma once

#include <utility>
#include <vector>

#include "controls/progress.h"

// Records every step, and answers as the user who cancels at the step numbered cancelAt (from 1;
// 0 never cancels).
struct ScriptedProgress : Progress
{
    explicit ScriptedProgress(int cancelAtStep = 0)
        : cancelAt(cancelAtStep)
    {
    }
    bool step(qint64 done, qint64 total) override
    {
        steps.emplace_back(done, total);
        return cancelAt == 0 || static_cast<int>(steps.size()) < cancelAt;
    }
    int cancelAt;
    std::vector<std::pair<qint64, qint64>> steps;
};
