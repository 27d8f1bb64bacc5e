#include "app/FileEvents.h"

#include <QWinEventNotifier>

namespace kvq {

std::unique_ptr<QObject> TFileEvents::ReaderOf(std::intptr_t handle, std::function<void()> read) {
    if (handle == -1) return nullptr;
    auto reader = std::make_unique<QWinEventNotifier>(reinterpret_cast<Qt::HANDLE>(handle));
    QObject::connect(reader.get(), &QWinEventNotifier::activated, std::move(read));
    return reader;
}

} // namespace kvq
