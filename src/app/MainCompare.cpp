// Compare With: the setup of the page in front beside others, open pages or files, in a window of
// its own that follows the pages it shows.
#include "app/Main.h"

#include "app/CopyDlg.h"
#include "app/LocalPath.h"
#include "base/Utils.h"

namespace kvq {

QString TForm1::SetupCaption(const TSetup& setup) const {
    for (int page = 0; page < PageCount(); ++page)
        if (&PageSetup(page) == &setup) return PageCaption(page);
    return {};
}

CompareWindow::NamedSetup TForm1::ReadAsOpened(const QString& file) const {
    const std::string path = LocalPath(file);
    const QString name = QString::fromStdString(PrintableName(FileNameOf(path)));
    CompareWindow::NamedSetup named{name + " (file)", {}};
    if (!LoadSetup(named.Setup, path)) throw KvqError("Failed to open " + name.toStdString());
    Normalise(named.Setup.Record, limits_);
    return named;
}

CompareWindow* TForm1::CompareWithSetups(std::vector<CompareWindow::Column> others) {
    const TSetup* current = CurrentSetup();
    if (!current || others.empty()) return nullptr;
    std::vector<CompareWindow::Column> columns{current};
    std::ranges::move(others, std::back_inserter(columns));
    return CompareSetups(std::move(columns));
}

CompareWindow* TForm1::CompareSetups(std::vector<CompareWindow::Column> columns) {
    CompareWindow* window = nullptr;
    Guard([&] {
        if (columns.size() < 2) return;
        if (columns.size() > CompareWindow::kMaxColumns)
            throw KvqError("Compare With shows at most " +
                           std::to_string(CompareWindow::kMaxColumns) + " setups at once");
        window = new CompareWindow(
            std::move(columns), [this](const TSetup& setup) { return SetupCaption(setup); },
            platform_, metrics_, this);
        connect(this, &TForm1::SetupChanged, window, &CompareWindow::SetupChanged);
        connect(this, &TForm1::SetupClosing, window, &CompareWindow::SetupClosing);
        window->PlaceBesideParent();
        window->show();
    });
    return window;
}

void TForm1::CompareWith1Click() {
    Guard([this] {
        EndEdit();
        if (!CurrentSetup()) return;
        CopyDialog->ChooseSeveral("Compare With", CurrentPage());
        if (CopyDialog->exec() != QDialog::Accepted) return;
        // A page is compared as it stands, unsaved changes and all; a file as Open would show it.
        std::vector<CompareWindow::Column> others;
        for (const int page : CopyDialog->SourcePages()) others.emplace_back(&PageSetup(page));
        if (others.empty())
            for (const QString& file : CopyDialog->SourceFiles())
                others.emplace_back(ReadAsOpened(file));
        CompareWithSetups(std::move(others));
    });
}

} // namespace kvq
