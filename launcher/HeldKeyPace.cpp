#include "HeldKeyPace.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

const quint64 rowByRowMs = 500;
const quint64 stageMs = 500;
const int speedStages = 3;

} // namespace

int HeldKeyPace::rows(const QKeyEvent& event, int pageRows)
{
    if (!event.isAutoRepeat()) {
        pressedAt = event.timestamp();
        return 1;
    }
    const quint64 held = event.timestamp() > pressedAt ? event.timestamp() - pressedAt : 0;
    if (held < rowByRowMs)
        return 1;
    const quint64 stage = (held - rowByRowMs) / stageMs;
    const int page = std::max(pageRows, 1);
    if (stage >= speedStages)
        return page;
    return std::min(2 << stage, page);
}
