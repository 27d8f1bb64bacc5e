// The commands that move setups: Copy and Paste through the clipboard, Copy Gearbox and Copy
// Chassis from another setup file, and Print.
#include "app/Main.h"

#include "app/CopyDlg.h"
#include "app/LocalPath.h"
#include "app/Printing.h"
#include "app/SheetView.h"
#include "base/Utils.h"
#include "setup/GroupCopy.h"

#include <QAction>
#include <QByteArray>
#include <QPrinter>

namespace kvq {

bool TForm1::ClipboardHasSetup() {
    if (!platform_.ClipboardHasText()) return false;
    // The import reads at most so many characters; a huge clipboard is cut before converting.
    const QByteArray text =
        platform_.ClipboardText().left(static_cast<qsizetype>(kImportTextLimit)).toLocal8Bit();
    return import_.Recognise(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())), limits_);
}

void TForm1::UpdatePaste() {
    Guard([this] { Paste1->setEnabled(ClipboardHasSetup()); });
}

void TForm1::Copy1Click() {
    Guard([this] {
        EndEdit();
        platform_.SetClipboardText(Memo1->Text());
    });
}

void TForm1::Print1Click() {
    Guard([this] {
        Memo1Click();
        QPrinter printer(QPrinter::HighResolution);
        if (!platform_.PrintDialog(this, printer)) return;
        const TSetup* setup = CurrentSetup();
        if (!setup) return;
        PrintSetup(printer, *setup, font(), palette().color(QPalette::WindowText));
    });
}

void TForm1::CopyGearbox1Click(QAction* item) {
    // Chosen from a menu, the edit is already over; started by a key, an open editor stays open
    // and its next commit compares with the copied values.
    Guard([this, item] {
        const bool gearbox = item->property("Tag").toInt() == 1;
        const char* command = gearbox ? "Copy Gearbox" : "Copy Chassis";
        CopyDialog->ChooseOne(command);
        if (CopyDialog->exec() != QDialog::Accepted || CopyDialog->SourceFile().isEmpty()) return;
        TSetup* target = CurrentSetup();
        if (!target) return;
        const SetupRecord before = target->Record;
        const std::string source = LocalPath(CopyDialog->SourceFile());
        const bool copied =
            gearbox ? CopyGearboxFromFile(*target, source) : CopyChassisFromFile(*target, source);
        // A source that has gone is a failure to say, not a copy to mark.
        if (!copied) throw KvqError("Failed to open " + MessageName(source));
        target->Changed = true;
        Normalise(target->Record, limits_);
        RecordStep(*target, before, command, true);
        RenderSheet();
        emit SetupChanged(target);
    });
}

void TForm1::Paste1Click() {
    Guard([this] {
        EndEdit();
        if (!ClipboardHasSetup()) return;
        auto setup = std::make_unique<TSetup>();
        setup->Record = import_.CopyImportedRecord();
        // A vocabulary file can give any number of gears; the window knows four to six.
        setup->GearboxKind = ClampInt(import_.ImportedGearCount(), 4, 6);
        setup->Changed = true;
        Normalise(setup->Record, limits_);
        AddPage(QString("Import%1").arg(importPageCounter_), std::move(setup));
        EnablePageCommands(true);
        RenderSheet();
        ++importPageCounter_;
    });
}

} // namespace kvq
