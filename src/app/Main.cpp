// The main window: building it, its menus and components, the start-up sequence, the keys and
// the events of the window itself. Pages and files, editing and the transfer commands have files
// of their own (MainPages, MainEditing, MainTransfer).
#include "app/Main.h"

#include "app/Accessibility.h"
#include "app/CopyDlg.h"
#include "app/LibraryWindow.h"
#include "app/LocalPath.h"
#include "app/OpenDialog.h"
#include "app/PageStrip.h"
#include "app/SheetView.h"
#include "app/Splash.h"
#include "base/Utils.h"
#include "edit/FSpin.h"
#include "edit/LSpin.h"
#include "edit/LimitsFile.h"
#include "edit/SpinEdit.h"
#include "settings/IniOut.h"
#include "settings/Locations.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWindow>

#include <clocale>

namespace kvq {

namespace {

constexpr int kClientWidth = 472;
constexpr int kClientHeight = 434;
constexpr int kSheetViewWidth = 467;
constexpr int kSheetViewHeight = 404;

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
    InstallAccessibility();
    BuildWindow();
    BuildMenus();
    BuildEditors();
    BuildComponents();
    BuildHistory();
    setAcceptDrops(true);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildWindow() {
    client_ = new PageArea(this);
    client_->setObjectName("ClientArea");
    setCentralWidget(client_);

    pageFrame_ = new QFrame(client_);
    pageFrame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    TabControl1 = new TPageStrip(client_);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setExpanding(false);
    // The first stop of Tab, with the sheet after it.
    TabControl1->setFocusPolicy(Qt::StrongFocus);
    TabControl1->setContextMenuPolicy(Qt::CustomContextMenu);
    TabControl1->installEventFilter(this);
    installEventFilter(this);
    connect(TabControl1, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });
    connect(TabControl1, &QTabBar::tabCloseRequested, this,
            [this](int page) { ClosePageAt(page); });
    connect(TabControl1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(TabControl1->mapToGlobal(at)); });

    Memo1 = new SheetView(client_);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo1->installEventFilter(this);
    setTabOrder(TabControl1, Memo1);
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

    for (TSpinEditBase* editor : Editors()) {
        editor->setProperty("Tag", 0);
        editor->SetBeep([this] { platform_.Beep(); });
        editor->installEventFilter(this);
        editor->hide();
    }
}

std::array<TSpinEditBase*, 3> TForm1::Editors() const {
    return {SpinEdit1, FSpinEdit1, LSpinEdit1};
}

void TForm1::BuildMenus() {
    // The first key is the one the menu shows.
    auto action = [](QMenu* menu, const char* name, const QString& text, const QString& shortcuts,
                     bool enabled) {
        auto* a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcuts.isEmpty()) a->setShortcuts(QKeySequence::listFromString(shortcuts));
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
    Open1 = action(File1, "Open1", "&Open...", "Ctrl+O", true);
    SetupLibrary1 = action(File1, "SetupLibrary1", "Setup &Library…", "Ctrl+L", true);
    Save1 = action(File1, "Save1", "&Save...", "Ctrl+S", false);
    SaveAs1 = action(File1, "SaveAs1", "Save &As...", "Ctrl+Shift+S", false);
    Close1 = action(File1, "Close1", "&Close", "Ctrl+F4; Ctrl+W", false);
    Print1 = action(File1, "Print1", "&Print...", "Ctrl+P", false);
    separator(File1, "N1");
    Exit1 = action(File1, "Exit1", "E&xit", "Ctrl+Q", true);

    Edit1 = menu(menuBar()->addMenu("&Edit"), "Edit1");
    Copy1 = action(Edit1, "Copy1", "&Copy", "Ctrl+C", false);
    Paste1 = action(Edit1, "Paste1", "&Paste", "Ctrl+V", false);
    separator(Edit1, "N3");
    CopyGearbox2 = action(Edit1, "CopyGearbox2", "Copy &Gearbox...", "Ctrl+G", false);
    CopyChassis2 = action(Edit1, "CopyChassis2", "Copy C&hassis...", "Ctrl+H", false);
    CompareWith2 = action(Edit1, "CompareWith2", "Compare &With...", "Ctrl+D", false);
    N4 = separator(Edit1, "N4");
    N4->setVisible(false);
    KVQDefault1 = action(Edit1, "KVQDefault1", "KVQ Default", "", true);
    KVQDefault1->setCheckable(true);
    KVQDefault1->setChecked(true);
    KVQDefault1->setVisible(false);

    Help1 = menu(menuBar()->addMenu("&Help"), "Help1");
    HelpText1 = action(Help1, "HelpText1", "&Contents", "F1", true);
    About1 = action(Help1, "About1", "&About", "", true);

    // Keys of the page strip, in no menu.
    NextPage1 = new QAction(this);
    NextPage1->setObjectName("NextPage1");
    NextPage1->setShortcuts({QKeySequence("Ctrl+Tab"), QKeySequence("Ctrl+PgDown")});
    PreviousPage1 = new QAction(this);
    PreviousPage1->setObjectName("PreviousPage1");
    // Shift turns Tab into Backtab, as which some systems deliver it.
    PreviousPage1->setShortcuts({QKeySequence("Ctrl+Shift+Tab"),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                 QKeySequence("Ctrl+PgUp")});
    addActions({NextPage1, PreviousPage1});

    // Qt fires neither of two actions that share a key, so each key belongs to one action and
    // its twin in the pop-up menu only shows it.
    PopupMenu1 = menu(new QMenu(this), "PopupMenu1");
    ClosePage1 = action(PopupMenu1, "ClosePage1", "Close Page\tCtrl+F4", "", false);
    separator(PopupMenu1, "N2");
    CopyGearbox1 = action(PopupMenu1, "CopyGearbox1", "Copy &Gearbox...\tCtrl+G", "", false);
    CopyChassis1 = action(PopupMenu1, "CopyChassis1", "Copy C&hassis...\tCtrl+H", "", false);
    CompareWith1 = action(PopupMenu1, "CompareWith1", "Compare &With...\tCtrl+D", "", false);
    for (QAction* item : {CopyGearbox1, CopyGearbox2}) item->setProperty("Tag", 1);
    for (QAction* item : {CopyChassis1, CopyChassis2}) item->setProperty("Tag", 0);

    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(SetupLibrary1, &QAction::triggered, this, [this] { SetupLibrary1Click(); });
    // Save always asks for the name: Save As is the same command, offered on an unchanged page.
    for (QAction* item : {Save1, SaveAs1})
        connect(item, &QAction::triggered, this, [this] { Save1Click(); });
    connect(HelpText1, &QAction::triggered, this, [this] { HelpText1Click(); });
    connect(NextPage1, &QAction::triggered, this, [this] { StepPage(1); });
    connect(PreviousPage1, &QAction::triggered, this, [this] { StepPage(-1); });
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
    for (QAction* item : {CompareWith1, CompareWith2})
        connect(item, &QAction::triggered, this, [this] { CompareWith1Click(); });
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
            pages.reserve(static_cast<std::size_t>(PageCount()));
            for (int page = 0; page < PageCount(); ++page)
                pages.push_back({PageDisplayName(page), FromLocalPath(PageSetup(page).FileName)});
            return pages;
        },
        this);
    Library1 = new LibraryWindow(*this, platform_);
    IniOut1->SetItems(
        {"Form1;Top;0;Position;Top;1;0", "Form1;Left;0;Position;Left;1;0",
         "OpenDialog1;FileName;;Files;LastFile;1;0", "RecentFiles1;Files;;Files;RecentFiles;1;0",
         "KVQDefault1;Checked;True;Flags;KVQDefault;1;0", "Library1;Roots;;Library;Roots;1;0",
         "Library1;WindowWidth;900;Library;Width;1;0",
         "Library1;WindowHeight;560;Library;Height;1;0",
         "Library1;ColumnWidths;;Library;ColumnWidths;1;0"});
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
    const FileLocations places = platform_.Locations();
    const std::string program = LocalPath(platform_.ProgramPath());
    Guard([&] {
        const std::string settings = SettingsFilePath(program);
        IniOut1->SetFileName(FromLocalPath(places.SettingsToRead(settings)));
        IniOut1->LoadSettings();
        IniOut1->SetFileName(FromLocalPath(places.SettingsToWrite(settings)));
    });
    limits_.SelectLimitTables();

    Guard([&] {
        import_.LoadVocabularies();
        for (const std::string& folder : places.VocabularyFolders())
            import_.AddVocabularies(folder);
    });
    Guard([&] {
        const auto fileLimits = ReadLimitsFile(places.LimitsFile(LimitsFilePath(program)));
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
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) Memo1Click();
            });
    TabControl1->setFocus();
}

QString TForm1::ProgramFolder() const { return QFileInfo(platform_.ProgramPath()).absolutePath(); }

void TForm1::About1Click() {
    Guard([this] {
        Memo1Click();
        TSplashForm about(this);
        about.exec();
    });
}

void TForm1::SetupLibrary1Click() {
    Guard([this] {
        EndEdit();
        Library1->show();
        Library1->raise();
        Library1->activateWindow();
    });
}

void TForm1::HelpText1Click() {
    Guard([this] {
        EndEdit();
        // One help window, beside the main one, for as long as the user keeps it open.
        if (!helpWindow_) {
            auto* help = new QPlainTextEdit(this);
            help->setObjectName("HelpWindow");
            help->setWindowFlag(Qt::Window);
            help->setAttribute(Qt::WA_DeleteOnClose);
            help->setWindowTitle(QString(kApplicationTitle) + " Help");
            help->setReadOnly(true);
            help->setLineWrapMode(QPlainTextEdit::NoWrap);
            help->setFont(font());
            help->setAccessibleName("Help");
            auto* close = new QAction(help);
            close->setShortcut(Qt::Key_Escape);
            connect(close, &QAction::triggered, help, &QWidget::close);
            help->addAction(close);
            helpWindow_ = help;
        }
        auto* help = static_cast<QPlainTextEdit*>(helpWindow_.data());
        const std::vector<std::string> lines =
            ReadTextLines(LocalPath(ProgramFolder() + "/Help.txt"));
        QStringList text;
        for (const std::string& line : lines) text << QString::fromStdString(line);
        help->setPlainText(text.join('\n'));
        help->resize(help->fontMetrics().horizontalAdvance(QString(80, 'x')),
                     help->fontMetrics().lineSpacing() * 30);
        help->show();
        help->raise();
        help->activateWindow();
    });
}

void TForm1::mousePressEvent(QMouseEvent* event) {
    Memo1Click();
    QMainWindow::mousePressEvent(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownBefore_) return;
    shownBefore_ = true;
    // A move before the window is framed places its client area, so the window system maps it
    // with the title bar above the asked position. Once the window manager has framed it, the
    // frame's corner goes there. A window without a frame (no window manager) stays as it is.
    // The frame is read from the window system's side: the widget's own idea of it is only
    // brought up to date by a later move or resize, and on a busy machine none may come.
    const QPoint corner = pos();
    auto* placing = new QTimer(this);
    placing->setInterval(10);
    connect(placing, &QTimer::timeout, this, [this, placing, corner, tries = 0]() mutable {
        QWindow* window = windowHandle();
        const QMargins frame = window->frameMargins();
        // Mapped means the window manager has placed it too: a move before that can be undone.
        const bool framed = window->isExposed() && !frame.isNull();
        if (framed) window->setPosition(corner + QPoint(frame.left(), frame.top()));
        if (framed || ++tries == 300) {
            placing->stop();
            placing->deleteLater();
        }
    });
    placing->start();
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
    } else if (watched == TabControl1 && event->type() == QEvent::MouseButtonRelease) {
        // A middle click closes the tab under the pointer.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int page = TabControl1->tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::MiddleButton && page >= 0) {
            ClosePageAt(page);
            return true;
        }
    } else if (watched == Memo1 && event->type() == QEvent::ToolTip) {
        // Pointing at a value tells its range.
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        const TSetup* setup = CurrentSetup();
        ShowRangeTip(setup && Close1->isEnabled()
                         ? FieldAt(at.x(), at.y(), setup->GearboxKind, metrics_, limits_)
                         : 0,
                     at);
        return true;
    } else if (event->type() == QEvent::ShortcutOverride && IsEditor(watched)) {
        // A line edit claims Ctrl+C, Ctrl+V, Ctrl+Z and its redo key for its own text; in the
        // editors they stay the window's Copy, Paste, Undo and Redo, which end the edit first.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste) ||
            key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            key->ignore();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        // The window sees keys before the control with the focus, and passes them on. A key
        // that a child leaves unhandled comes here again for its parents; only the first counts.
        auto* widget = qobject_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (widget && (widget == focus || (!focus && widget == this))) {
            auto* key = static_cast<QKeyEvent*>(event);
            FormKeyDown(key);
            if (widget == Memo1 && SheetKey(key)) {
                key->accept();
                return true;
            }
            // A letter that ran its command goes no further: the focused control could only
            // refuse it, and a dialog of the command may have moved the focus, so that the
            // window would take the same key for a new one.
            if (FormKeyPress(key)) {
                key->accept();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::IsEditor(const QObject* object) const {
    return object == SpinEdit1 || object == FSpinEdit1 || object == LSpinEdit1;
}

void TForm1::FormKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: Memo1Click(); break;
    case Qt::Key_Escape: CancelEdit(); break;
    default: break;
    }
}

bool TForm1::FormKeyPress(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.size() != 1) return false;
    QAction* command = nullptr;
    switch (text.front().toUpper().unicode()) {
    case 'C': command = Copy1; break;
    case 'G': command = CopyGearbox1; break;
    case 'H': command = CopyChassis1; break;
    case 'O': command = Open1; break;
    case 'P': command = Print1; break;
    case 'S': command = Save1; break;
    case 'V': command = Paste1; break;
    case 'X': close(); return true;
    default: return false;
    }
    if (!command->isEnabled()) return false;
    command->trigger();
    return true;
}

} // namespace kvq
