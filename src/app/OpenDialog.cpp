#include "app/OpenDialog.h"

#include "app/Platform.h"

#include <QWidget>

namespace kvq {

TOpenDialog::TOpenDialog(Platform& platform, QWidget* owner)
    : QObject(owner), platform_(platform), owner_(owner) {
    setObjectName("OpenDialog1");
}

bool TOpenDialog::Execute() {
    const auto chosen = platform_.OpenFileName(owner_, kSetupFileFilter, fileName_);
    if (!chosen) return false;
    fileName_ = *chosen;
    return true;
}

QStringList TOpenDialog::ExecuteSeveral() {
    const QStringList chosen = platform_.OpenFileNames(owner_, kSetupFileFilter, fileName_);
    if (!chosen.isEmpty()) fileName_ = chosen.back();
    return chosen;
}

} // namespace kvq
