#include "app/FileEvents.h"

#include <QSocketNotifier>

namespace kvq {

std::unique_ptr<QObject> TFileEvents::ReaderOf(std::intptr_t handle, std::function<void()> read) {
    if (handle < 0) return nullptr;
    auto reader = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
    QObject::connect(reader.get(), &QSocketNotifier::activated, std::move(read));
    return reader;
}

} // namespace kvq
