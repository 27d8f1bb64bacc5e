// Compare With: the setup of the page in front beside another, an open page or a file, in a
// window of its own that follows the pages it shows.
#include "app/Main.h"

#include "app/CompareWindow.h"
#include "app/CopyDlg.h"
#include "app/LocalPath.h"
#include "base/Utils.h"

namespace kvq {

void TForm1::CompareWith1Click() {
    Guard([this] {
        EndEdit();
        const TSetup* current = CurrentSetup();
        if (!current) return;
        CopyDialog->setWindowTitle("Compare With");
        if (CopyDialog->exec() != QDialog::Accepted) return;
        const CompareWindow::Side a{PageCaption(CurrentPage()), current};
        CompareWindow::Side b;
        // A page is compared as it stands, unsaved changes and all; a file as it is stored.
        std::unique_ptr<TSetup> fileSetup;
        if (const int page = CopyDialog->SourcePage(); page >= 0) {
            b = {PageCaption(page), &PageSetup(page)};
        } else {
            if (CopyDialog->SourceFile().isEmpty()) return;
            const std::string path = LocalPath(CopyDialog->SourceFile());
            const QString caption = QString::fromStdString(PrintableName(FileNameOf(path)));
            fileSetup = std::make_unique<TSetup>();
            if (!LoadSetup(*fileSetup, path))
                throw KvqError("Failed to open " + caption.toStdString());
            b = {caption, fileSetup.get()};
        }
        auto* window =
            new CompareWindow(a, b, std::move(fileSetup), platform_, metrics_, limits_, this);
        connect(this, &TForm1::SetupChanged, window, &CompareWindow::SetupChanged);
        connect(this, &TForm1::SetupClosing, window, &CompareWindow::SetupClosing);
        window->show();
    });
}

} // namespace kvq
