#include "app/Main.h"

#include "app/CopyDlg.h"
#include "app/OpenDialog.h"
#include "app/Printing.h"
#include "app/SheetView.h"
#include "app/Splash.h"
#include "app/TextFormat.h"
#include "app/Utils.h"
#include "edit/FSpin.h"
#include "edit/FieldEdit.h"
#include "edit/LSpin.h"
#include "edit/LimitsFile.h"
#include "edit/SpinEdit.h"
#include "setup/GearTables.h"
#include "setup/GroupCopy.h"
#include "settings/IniOut.h"
#include "setup/Sheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QSignalBlocker>
#include <QTabBar>

#include <clocale>

namespace kvq {

namespace {

constexpr int kClientWidth = 472;
constexpr int kClientHeight = 434;
constexpr int kSheetViewWidth = 467;
constexpr int kSheetViewHeight = 404;

std::string LocalPath(const QString& path) { return FileNameFromUtf16(path.toStdU16String()); }
QString FromLocalPath(const std::string& path) {
    return QString::fromStdU16String(FileNameToUtf16(path));
}

} // namespace

TForm1::TForm1(Platform& platform, QWidget* parent) : QMainWindow(parent), platform_(platform) {
    setObjectName("Form1");
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    move(513, 117);
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    setFont(font);
    BuildWindow();
    BuildMenus();
    BuildEditors();
    BuildComponents();
    setAcceptDrops(true);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildWindow() {
    client_ = new QWidget(this);
    client_->setObjectName("ClientArea");
    setCentralWidget(client_);

    pageFrame_ = new QFrame(client_);
    pageFrame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    TabControl1 = new QTabBar(client_);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setExpanding(false);
    TabControl1->setFocusPolicy(Qt::ClickFocus);
    TabControl1->setContextMenuPolicy(Qt::CustomContextMenu);
    TabControl1->installEventFilter(this);
    installEventFilter(this);
    connect(TabControl1, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });
    connect(TabControl1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(TabControl1->mapToGlobal(at)); });

    Memo1 = new SheetView(client_);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &SheetView::Clicked, this, [this] { Memo1Click(); });
    connect(Memo1, &SheetView::DoubleClicked, this, [this](QPoint at) { Memo1DblClick(at); });
    connect(Memo1, &SheetView::MouseMoved, this, [this](QPoint at) { Memo1MouseMove(at); });
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });
}

void TForm1::BuildEditors() {
    SpinEdit1 = new TSpinEdit(client_);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->SetMinValue(0);
    SpinEdit1->SetMaxValue(0);
    SpinEdit1->SetValue(1);
    connect(SpinEdit1, &TSpinEditBase::Change, this, [this] { SpinEdit1Change(); });

    FSpinEdit1 = new TFSpinEdit(client_);
    FSpinEdit1->setObjectName("FSpinEdit1");
    FSpinEdit1->SetTabStop(false);
    FSpinEdit1->SetIncrement(1.0f);
    FSpinEdit1->SetMaxLength(5);
    FSpinEdit1->SetRightJustified(true);
    connect(FSpinEdit1, &TSpinEditBase::Change, this, [this] { FSpinEdit1Change(); });

    LSpinEdit1 = new TLSpinEdit(client_);
    LSpinEdit1->setObjectName("LSpinEdit1");
    LSpinEdit1->SetTabStop(false);
    LSpinEdit1->SetEditorEnabled(false);
    LSpinEdit1->SetItemIndex(0);
    LSpinEdit1->SetMinIndex(0);
    LSpinEdit1->SetMaxIndex(0);
    LSpinEdit1->setText("0");
    connect(LSpinEdit1, &TSpinEditBase::Change, this, [this] { LSpinEdit1Change(); });

    for (TSpinEditBase* editor : {static_cast<TSpinEditBase*>(SpinEdit1),
                                  static_cast<TSpinEditBase*>(FSpinEdit1),
                                  static_cast<TSpinEditBase*>(LSpinEdit1)}) {
        editor->setProperty("Tag", 0);
        editor->SetBeep([this] { platform_.Beep(); });
        editor->installEventFilter(this);
        editor->hide();
    }
}

void TForm1::BuildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text, const QString& shortcut,
                         bool enabled) {
        auto* a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
        a->setEnabled(enabled);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
        return a;
    };
    // Opening any menu ends an edit in progress.
    auto menu = [this](QMenu* m, const char* name) {
        m->setObjectName(name);
        connect(m, &QMenu::aboutToShow, this, [this] { Memo1Click(); });
        return m;
    };

    File1 = menu(menuBar()->addMenu("&File"), "File1");
    Open1 = action(File1, "Open1", "&Open", "Ctrl+O", true);
    Save1 = action(File1, "Save1", "&Save", "Ctrl+S", false);
    Close1 = action(File1, "Close1", "&Close", "Ctrl+F4", false);
    Print1 = action(File1, "Print1", "&Print", "Ctrl+P", false);
    separator(File1, "N1");
    Exit1 = action(File1, "Exit1", "E&xit", "", true);

    Edit1 = menu(menuBar()->addMenu("&Edit"), "Edit1");
    Copy1 = action(Edit1, "Copy1", "&Copy", "Ctrl+C", false);
    Paste1 = action(Edit1, "Paste1", "&Paste", "Ctrl+V", false);
    separator(Edit1, "N3");
    CopyGearbox2 = action(Edit1, "CopyGearbox2", "Copy &Gearbox...", "Ctrl+G", false);
    CopyChassis2 = action(Edit1, "CopyChassis2", "Copy C&hassis...", "Ctrl+H", false);
    N4 = separator(Edit1, "N4");
    N4->setVisible(false);
    KVQDefault1 = action(Edit1, "KVQDefault1", "KVQ Default", "", true);
    KVQDefault1->setCheckable(true);
    KVQDefault1->setChecked(true);
    KVQDefault1->setVisible(false);

    Help1 = menu(menuBar()->addMenu("&Help"), "Help1");
    About1 = action(Help1, "About1", "&About", "", true);

    // Qt fires neither of two actions that share a key, so each key belongs to one action and
    // its twin in the pop-up menu only shows it.
    PopupMenu1 = menu(new QMenu(this), "PopupMenu1");
    ClosePage1 = action(PopupMenu1, "ClosePage1", "Close Page\tCtrl+F4", "", false);
    separator(PopupMenu1, "N2");
    CopyGearbox1 = action(PopupMenu1, "CopyGearbox1", "Copy &Gearbox...\tCtrl+G", "", false);
    CopyChassis1 = action(PopupMenu1, "CopyChassis1", "Copy C&hassis...\tCtrl+H", "", false);
    for (QAction* item : {CopyGearbox1, CopyGearbox2}) item->setProperty("Tag", 1);
    for (QAction* item : {CopyChassis1, CopyChassis2}) item->setProperty("Tag", 0);

    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });
    connect(Close1, &QAction::triggered, this, [this] { ClosePage1Click(); });
    connect(ClosePage1, &QAction::triggered, this, [this] { ClosePage1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    connect(KVQDefault1, &QAction::triggered, this, [this] { KVQDefault1Click(); });
    connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });
    connect(Paste1, &QAction::triggered, this, [this] { Paste1Click(); });
    connect(Print1, &QAction::triggered, this, [this] { Print1Click(); });
    for (QAction* item : {CopyGearbox1, CopyGearbox2, CopyChassis1, CopyChassis2})
        connect(item, &QAction::triggered, this, [this, item] { CopyGearbox1Click(item); });
}

// The dialogs and the settings store, which are components of the window without a place in it.
void TForm1::BuildComponents() {
    OpenDialog1 = new TOpenDialog(platform_, this);
    IniOut1 = new TIniOut(
        this,
        [this](const QString& caption, const QString& text) {
            platform_.ErrorBox(this, caption, text);
        },
        platform_.Files());
    IniOut1->setObjectName("IniOut1");
    CopyDialog = new TCopyDialog(
        *OpenDialog1,
        [this] {
            std::vector<TCopyDialog::Page> pages;
            for (int page = 0; page < PageCount(); ++page)
                pages.push_back({PageCaption(page), FromLocalPath(PageSetup(page).FileName)});
            return pages;
        },
        this);
    IniOut1->SetItems({"Form1;Top;0;Position;Top;1;0", "Form1;Left;0;Position;Left;1;0",
                       "OpenDialog1;FileName;;Files;LastFile;1;0",
                       "KVQDefault1;Checked;True;Flags;KVQDefault;1;0"});
}

void TForm1::FormCreate() {
    setWindowTitle(QString::fromStdString(ProgramCaption()));

    // Large fonts: the layout grows by a quarter with the screen's resolution, as the toolkit of
    // old did by itself, and then the sheet view and the window widen by an eighth of the
    // window's width, so that every column of the sheet stays in sight.
    int clientWidth = kClientWidth;
    int clientHeight = kClientHeight;
    int viewWidth = kSheetViewWidth;
    int viewHeight = kSheetViewHeight;
    if (platform_.LogicalDpiX() == 120) {
        metrics_ = kLargeMetrics;
        auto scaled = [](int size) { return (size * 5 + 2) / 4; };
        clientWidth = scaled(kClientWidth);
        clientHeight = scaled(kClientHeight);
        viewWidth = scaled(kSheetViewWidth);
        viewHeight = scaled(kSheetViewHeight);
        const int widen = clientWidth / 8;
        viewWidth += widen;
        clientWidth += widen;
    }
    client_->setFixedSize(clientWidth, clientHeight);
    TabControl1->setGeometry(0, 0, clientWidth, metrics_.EditorTopOffset - 3);
    pageFrame_->setGeometry(0, metrics_.EditorTopOffset - 4, clientWidth,
                            clientHeight - metrics_.EditorTopOffset + 4);
    // The view's text grid starts exactly where the editors' offsets say a cell starts.
    Memo1->setGeometry(metrics_.EditorLeftOffset, metrics_.EditorTopOffset, viewWidth, viewHeight);
    Memo1->SetMetrics(metrics_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Numbers never follow the user's locale; the core formats them itself, and this keeps any
    // C library formatting in line.
    std::setlocale(LC_NUMERIC, "C");
    importPageCounter_ = 1;
    Guard([this] {
        IniOut1->SetFileName(FromLocalPath(ReplaceExtension(LocalPath(platform_.ProgramPath()), ".ini")));
        IniOut1->LoadSettings();
    });
    limits_.SelectLimitTables();

    Guard([this] { import_.LoadVocabularies(LocalPath(ProgramFolder())); });
    Guard([this] {
        const auto fileLimits = ReadLimitsFile(LimitsFilePath(LocalPath(platform_.ProgramPath())));
        if (fileLimits) {
            limits_.SetFileLimits(fileLimits->Tables);
            N4->setVisible(true);
            KVQDefault1->setVisible(true);
            if (!KVQDefault1->isChecked()) limits_.SelectFileLimits();
        } else {
            KVQDefault1->setChecked(true);
        }
    });
    // Paste follows the clipboard: recognised again whenever its content or the limits in force
    // change, never by polling, so an idle program uses no time.
    connect(&platform_, &Platform::ClipboardChanged, this, [this] { UpdatePaste(); });
    UpdatePaste();
    Guard([this] { ShowHelpText(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) Memo1Click();
    });
    TabControl1->setFocus();
}

template <typename F> void TForm1::Guard(F&& work) {
    try {
        work();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TForm1::ShowError(const QString& message) {
    platform_.ErrorBox(this, kApplicationTitle,
                       QString::fromStdString(ErrorBoxText(message.toStdString())));
}

QString TForm1::ProgramFolder() const { return QFileInfo(platform_.ProgramPath()).absolutePath(); }

QString TForm1::PageCaption(int page) const { return TabControl1->tabText(page); }

int TForm1::CurrentPage() const { return TabControl1->currentIndex(); }

TSetup* TForm1::CurrentSetup() {
    const int page = CurrentPage();
    return page >= 0 && page < PageCount() ? pages_[static_cast<std::size_t>(page)].get() : nullptr;
}

void TForm1::SelectPage(int page) {
    // A page chosen by the program renders nothing by itself.
    const QSignalBlocker blocker(TabControl1);
    TabControl1->setCurrentIndex(page);
}

void TForm1::AddPage(const QString& caption, std::unique_ptr<TSetup> setup) {
    pages_.push_back(std::move(setup));
    {
        const QSignalBlocker blocker(TabControl1);
        TabControl1->addTab(caption);
    }
    SelectPage(PageCount() - 1);
}

void TForm1::RemoveCurrentPage() {
    const int page = CurrentPage();
    {
        const QSignalBlocker blocker(TabControl1);
        TabControl1->removeTab(page);
    }
    pages_.erase(pages_.begin() + page);
    // With the selected page gone, the first one comes to the front.
    if (PageCount() > 0) SelectPage(0);
}

void TForm1::EnablePageCommands(bool enabled) {
    for (QAction* a : {Close1, ClosePage1, Print1, Copy1, CopyGearbox1, CopyGearbox2, CopyChassis1,
                       CopyChassis2})
        a->setEnabled(enabled);
}

void TForm1::RenderSheet() {
    const TSetup* setup = CurrentSetup();
    if (!setup) return;
    Memo1->SetLines(SheetLines(*setup));
    Save1->setEnabled(setup->Changed);
}

void TForm1::ShowHelpText() {
    Memo1->Clear();
    for (QAction* a : {Copy1, Print1, Close1, ClosePage1, Save1}) a->setEnabled(false);
    Memo1->setCursor(Qt::ArrowCursor);
    const QString path = ProgramFolder() + "/Help.txt";
    Memo1->SetLines(ReadTextLines(LocalPath(path)));
}

void TForm1::OpenSetupFile(const QString& path, bool reportMissing) {
    auto setup = std::make_unique<TSetup>();
    if (!LoadSetup(*setup, LocalPath(path))) {
        if (reportMissing) throw KvqError(PrintableName(LocalPath(path)) + ": file not found");
        return;
    }
    Normalise(setup->Record, limits_);
    AddPage(QFileInfo(path).fileName(), std::move(setup));
    EnablePageCommands(true);
    Save1->setEnabled(false);
    RenderSheet();
}

void TForm1::OpenFiles(const QStringList& paths) {
    for (const QString& path : paths) Guard([&] { OpenSetupFile(path, true); });
}

void TForm1::Open1Click() {
    Guard([this] {
        EndEdit();
        if (!OpenDialog1->Execute()) return;
        OpenSetupFile(OpenDialog1->FileName(), false);
    });
}

std::optional<QString> TForm1::WriteSetup(const QString& fileName, const SetupRecord& record) {
    const SetupRecord copy = record;
    const QString title = "Save " + QFileInfo(fileName).fileName() + " As";
    const auto chosen = platform_.SaveFileName(this, title, kSetupFileFilter, fileName);
    if (!chosen) return std::nullopt;
    WriteSetupFile(LocalPath(*chosen), copy, platform_.Files());
    return chosen;
}

bool TForm1::SaveCurrentPage() {
    TSetup* setup = CurrentSetup();
    const auto written = WriteSetup(FromLocalPath(setup->FileName), setup->Record);
    if (written) {
        setup->FileName = LocalPath(*written);
        setup->Changed = false;
        TabControl1->setTabText(CurrentPage(), QFileInfo(*written).fileName());
        setup->GearboxKind = GearboxKindFromFileName(setup->FileName);
    }
    return written.has_value();
}

bool TForm1::SaveCommand() {
    EndEdit();
    if (!CurrentSetup()) return false;
    bool saved = false;
    try {
        saved = SaveCurrentPage();
    } catch (...) {
        RenderSheet();
        throw;
    }
    RenderSheet();
    return saved;
}

void TForm1::Save1Click() {
    Guard([this] { SaveCommand(); });
}

Platform::Answer TForm1::AskToSave(int page) {
    return platform_.Question(this, "Setup Changed",
                              "Setup " + PageCaption(page) + " changed - Do you wish to save?");
}

void TForm1::ClosePage1Click() {
    Guard([this] {
        EndEdit();
        TSetup* setup = CurrentSetup();
        if (!setup) return;
        if (setup->Changed) {
            const auto answer = AskToSave(CurrentPage());
            if (answer == Platform::Answer::Cancel) return;
            // A save that is cancelled or fails keeps the page: changes go only when the user
            // says No.
            if (answer == Platform::Answer::Yes && !WriteSetup(FromLocalPath(setup->FileName), setup->Record))
                return;
        }
        RemoveCurrentPage();
        if (PageCount() == 0) {
            for (QAction* a : {CopyGearbox1, CopyGearbox2, CopyChassis1, CopyChassis2})
                a->setEnabled(false);
        }
        TabControl1Change();
    });
}

void TForm1::TabControl1Change() {
    Guard([this] {
        EndEdit();
        if (PageCount() > 0)
            RenderSheet();
        else
            ShowHelpText();
    });
}

void TForm1::Exit1Click() {
    Guard([this] {
        EndEdit();
        close();
    });
}

void TForm1::About1Click() {
    Guard([this] {
        Memo1Click();
        TSplashForm about(this);
        about.exec();
    });
}

void TForm1::KVQDefault1Click() {
    if (KVQDefault1->isChecked())
        limits_.SelectLimitTables();
    else
        limits_.SelectFileLimits();
    UpdatePaste();
}

bool TForm1::ClipboardHasSetup() {
    if (!platform_.ClipboardHasText()) return false;
    // The import reads at most so many characters; a huge clipboard is cut before converting.
    const QByteArray text =
        platform_.ClipboardText().left(static_cast<qsizetype>(kImportTextLimit)).toLocal8Bit();
    return import_.Recognise(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                             limits_);
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
        CopyDialog->setWindowTitle(gearbox ? "Copy Gearbox" : "Copy Chassis");
        if (CopyDialog->exec() != QDialog::Accepted || CopyDialog->SourceFile().isEmpty()) return;
        TSetup* target = CurrentSetup();
        if (!target) return;
        const std::string source = LocalPath(CopyDialog->SourceFile());
        const bool copied = gearbox ? CopyGearboxFromFile(*target, source)
                                    : CopyChassisFromFile(*target, source);
        // A source that has gone is a failure to say, not a copy to mark.
        if (!copied) throw KvqError("Failed to open " + std::string(FileNameOf(source)));
        target->Changed = true;
        Normalise(target->Record, limits_);
        RenderSheet();
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

void TForm1::Memo1Click() { EndEdit(); }

void TForm1::Memo1DblClick(QPoint position) {
    Guard([this, position] {
        EndEdit();
        // The pointer has not moved since the first click ended the edit, so the field under it
        // is looked up afresh: the edit begins where the user double-clicked.
        Memo1MouseMove(position);
        TSetup* setup = CurrentSetup();
        if (!setup || hoverField_ <= 0) return;
        Memo1->setCursor(Qt::ArrowCursor);
        BeginEdit(setup->Record, hoverField_);
        if (hoverField_ == kToggleField) RenderSheet();
    });
}

void TForm1::Memo1MouseMove(QPoint position) {
    if (!Close1->isEnabled() || EditorVisible()) return;
    const TSetup* setup = CurrentSetup();
    if (!setup) return;
    hoverField_ = FieldAt(position.x(), position.y(), setup->GearboxKind, metrics_, limits_);
    Memo1->setCursor(hoverField_ > 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool TForm1::EditorVisible() const {
    return SpinEdit1->isVisible() || FSpinEdit1->isVisible() || LSpinEdit1->isVisible();
}

void TForm1::PlaceEditor(TSpinEditBase* editor, int field) {
    const SheetCell cell = CellOfField(field, limits_.Tables());
    editor->setGeometry(cell.Col * metrics_.CharWidth + metrics_.EditorLeftOffset,
                        cell.Row * metrics_.LineHeight + metrics_.EditorTopOffset,
                        cell.Width * metrics_.CharWidth + 27, editor->minimumHeight());
}

namespace {

void ShowAndFocus(QWidget* editor) {
    editor->show();
    editor->raise();
    editor->setFocus();
}

} // namespace

void TForm1::BeginEdit(SetupRecord& record, int field) {
    const FieldEntry& entry = FieldTableEntry(field);
    const LimitTables& tables = limits_.Tables();
    switch (entry.Kind) {
    case FieldKind::IntegerField: {
        const IntegerLimit& row = tables.IntegerRow(entry.Index);
        PlaceEditor(SpinEdit1, field);
        SpinEdit1->SetMaxLength(row.Width);
        SpinEdit1->SetMinValue(row.MinValue);
        SpinEdit1->SetMaxValue(row.MaxValue);
        SpinEdit1->SetIncrement(row.Increment);
        SpinEdit1->SetValue(record.Int(row.Slot));
        ShowAndFocus(SpinEdit1);
        break;
    }
    case FieldKind::RealField: {
        const RealLimit& row = tables.RealRow(entry.Index);
        PlaceEditor(FSpinEdit1, field);
        FSpinEdit1->SetMaxLength(row.Width);
        FSpinEdit1->SetMinValue(row.MinValue);
        FSpinEdit1->SetMaxValue(row.MaxValue);
        FSpinEdit1->SetIncrement(row.Increment);
        FSpinEdit1->SetPrecision(row.Precision);
        // The ramp angle stepping starts after the value is shown, so loading never moves it.
        FSpinEdit1->setProperty("Tag", 0);
        FSpinEdit1->SetValue(record.Float(row.Slot));
        const bool rampAngle = field == kRampAngle1Field || field == kRampAngle2Field;
        FSpinEdit1->setProperty("Tag", rampAngle && row.Increment == 15.0f ? 1 : 0);
        ShowAndFocus(FSpinEdit1);
        break;
    }
    case FieldKind::ListField: {
        const ListLimit& row = tables.ListRow(entry.Index);
        PlaceEditor(LSpinEdit1, field);
        const auto [low, high] = ListIndexBounds(row);
        LSpinEdit1->SetMinIndex(low);
        LSpinEdit1->SetMaxIndex(high);
        LSpinEdit1->setProperty("Tag", static_cast<int>(row.Kind));
        if (row.Kind == ListKind::RampPairList)
            LSpinEdit1->SetItemIndex(RampPairIndex(record.Float(row.ValueSlot), record.Float(row.IndexSlot)));
        else
            LSpinEdit1->SetItemIndex(record.Int(row.IndexSlot));
        FormatListText(record);
        ShowAndFocus(LSpinEdit1);
        break;
    }
    case FieldKind::ToggleField:
        // Flipping the asymmetry is no change to save.
        record.SetSymmetricFlag(record.SymmetricFlag() == 0 ? 1 : 0);
        break;
    }
}

void TForm1::FormatListText(const SetupRecord& record) {
    const int index = LSpinEdit1->ItemIndex();
    std::string text;
    switch (static_cast<ListKind>(LSpinEdit1->property("Tag").toInt())) {
    case ListKind::GearList:
        text = Format("%6.3f", {OverallRatio(ExactRatio(index), record.Get(field::DiffRatio))});
        break;
    case ListKind::DiffList:
        text = Format("%5.3f", {DisplayedRatio(index)});
        break;
    case ListKind::RampPairList: {
        const RampPair pair = RampAnglePair(index);
        text = Format("%2.0f/%2.0f", {pair.angle1, pair.angle2});
        break;
    }
    }
    LSpinEdit1->setText(QString::fromStdString(text));
}

bool TForm1::CommitEdit(SetupRecord& record, int field) {
    // The value stored is the one the editor shows once left: within its limits and rounded
    // as shown, however the edit ends.
    double value = 0;
    switch (FieldTableEntry(field).Kind) {
    case FieldKind::IntegerField: value = SpinEdit1->SettledValue(); break;
    case FieldKind::RealField: value = FSpinEdit1->SettledValue(); break;
    case FieldKind::ListField: value = LSpinEdit1->ItemIndex(); break;
    case FieldKind::ToggleField: return false;
    }
    return StoreEdit(record, field, value, limits_.Tables());
}

void TForm1::EndEdit() {
    if (EditorVisible()) {
        if (TSetup* setup = CurrentSetup()) {
            if (CommitEdit(setup->Record, hoverField_)) setup->Changed = true;
            RenderSheet();
        }
    }
    CancelEdit();
}

void TForm1::CancelEdit() {
    SpinEdit1->hide();
    FSpinEdit1->hide();
    LSpinEdit1->hide();
    TabControl1->setFocus();
}

void TForm1::SpinEdit1Change() {
    // The number stands right-aligned in its field; blanks typed before it do not count.
    const QString digits = SpinEdit1->text().trimmed();
    const QString justified = JustifyRight(digits, SpinEdit1->MaxLength());
    if (justified != SpinEdit1->text()) SpinEdit1->setText(justified);
}

void TForm1::FSpinEdit1Change() {
    // Ramp angles walk 30, 45, 60, 85 and back while the step is 15.
    if (FSpinEdit1->property("Tag").toInt() != 1) return;
    const float value = FSpinEdit1->Value();
    if (value == 75.0f) {
        FSpinEdit1->SetValue(85.0f);
        FSpinEdit1->SetIncrement(25.0f);
    } else if (value == 35.0f) {
        FSpinEdit1->SetValue(45.0f);
        FSpinEdit1->SetIncrement(15.0f);
    } else if (value == 70.0f) {
        FSpinEdit1->SetValue(60.0f);
    }
}

void TForm1::LSpinEdit1Change() {
    if (const TSetup* setup = CurrentSetup()) FormatListText(setup->Record);
}

bool TForm1::FormCloseQuery() {
    for (int page = 0; page < PageCount(); ++page) {
        SelectPage(page);
        if (!pages_[static_cast<std::size_t>(page)]->Changed) continue;
        switch (AskToSave(page)) {
        case Platform::Answer::Cancel:
            return false;
        case Platform::Answer::Yes: {
            // As on Close page, the window stays open when the setup was not written.
            bool saved = false;
            Guard([&] { saved = SaveCommand(); });
            if (!saved) return false;
            break;
        }
        case Platform::Answer::No:
            break;
        }
    }
    while (PageCount() > 0) {
        SelectPage(0);
        RemoveCurrentPage();
    }
    return true;
}

void TForm1::FormClose() {
    import_.FreeVocabularies();
    IniOut1->SaveSettings();
}

namespace {

// The files of a drop that can be setups: local files that are not folders, in the order given.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir()) files << path;
    }
    return files;
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // As Open: the edit ends first, then each file opens on a page of its own.
    Memo1Click();
    for (const QString& path : files) Guard([&] { OpenSetupFile(path, false); });
}

void TForm1::mousePressEvent(QMouseEvent* event) {
    Memo1Click();
    QMainWindow::mousePressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabControl1 && event->type() == QEvent::MouseButtonPress) {
        // An edit belongs to the page it was opened on: commit it before the page changes.
        Memo1Click();
    } else if (event->type() == QEvent::KeyPress) {
        // The window sees keys before the control with the focus, and passes them on. A key
        // that a child leaves unhandled comes here again for its parents; only the first counts.
        auto* widget = qobject_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (widget && (widget == focus || (!focus && widget == this))) {
            auto* key = static_cast<QKeyEvent*>(event);
            FormKeyDown(key);
            FormKeyPress(key);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Memo1Click();
        break;
    case Qt::Key_Escape:
        CancelEdit();
        break;
    default:
        break;
    }
}

void TForm1::FormKeyPress(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return;
    const QString text = event->text();
    if (text.size() != 1) return;
    switch (text.front().toUpper().unicode()) {
    case 'C': Copy1->trigger(); break;
    case 'G': CopyGearbox1->trigger(); break;
    case 'H': CopyChassis1->trigger(); break;
    case 'O': Open1->trigger(); break;
    case 'P': Print1->trigger(); break;
    case 'S': Save1->trigger(); break;
    case 'V': Paste1->trigger(); break;
    case 'X': close(); break;
    default: break;
    }
}

} // namespace kvq
