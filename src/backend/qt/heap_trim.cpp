#include "backend/qt/heap_trim.h"

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace qv::qt {

void StartHeapTrimming(QObject* owner, std::chrono::milliseconds period) {
#if defined(__GLIBC__)
    auto* timer = new QTimer(owner);
    timer->setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(timer, &QTimer::timeout, [] { malloc_trim(0); });
    timer->start(period);
#else
    (void)owner;
    (void)period;
#endif
}

} // namespace qv::qt
