#include "app/CopyDlg.h"

#include "app/OpenDialog.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>

namespace kvq {

namespace {

constexpr int kClientWidth = 217;
constexpr int kClientHeight = 181;
constexpr int kItemHeight = 13;
constexpr int kFileNameRole = Qt::UserRole;

// Rows of the list as high as the layout says, whatever the font and style would make them.
class FixedRowHeight : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }
};

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

} // namespace

TCopyDialog::TCopyDialog(TOpenDialog& openDialog, PageList pages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      openDialog_(openDialog), pages_(std::move(pages)) {
    setObjectName("CopyDialog");
    setWindowTitle("Copy");
    setFixedSize(kClientWidth, kClientHeight);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 201, 129);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setGeometry(16, 16, 185, 113);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setItemDelegate(new FixedRowHeight(ListBox1));

    FileBtn = MakeButton(this, "FileBtn", "File...", {7, 148, 59, 25});
    OKBtn = MakeButton(this, "OKBtn", "OK", {79, 148, 59, 25});
    CancelBtn = MakeButton(this, "CancelBtn", "Cancel", {151, 148, 59, 25});
    setTabOrder(CancelBtn, FileBtn);
    setTabOrder(FileBtn, OKBtn);
    setTabOrder(OKBtn, ListBox1);

    // Choosing by keyboard counts as a click, as in any list box.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!ListBox1->selectedItems().isEmpty()) ListBox1Click();
    });
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(FileBtn, &QPushButton::clicked, this, [this] { FileBtnClick(); });
    FormCreate();
}

void TCopyDialog::FormCreate() { sourceFile_.clear(); }

void TCopyDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->geometry().center());
    move(frame.topLeft());
    FormShow();
}

void TCopyDialog::FormShow() {
    ListBox1->clear();
    for (const Page& page : pages_()) {
        auto* item = new QListWidgetItem(page.Caption, ListBox1);
        item->setData(kFileNameRole, page.FileName);
    }
    EnableOK(false);
    ListBox1->setFocus();
}

void TCopyDialog::EnableOK(bool enabled) {
    OKBtn->setEnabled(enabled);
    // Both buttons are default ones: Enter takes OK while it can be pressed, File... otherwise.
    (enabled ? OKBtn : FileBtn)->setDefault(true);
}

void TCopyDialog::ListBox1Click() { EnableOK(true); }

void TCopyDialog::OKBtnClick() {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    sourceFile_ = selected.isEmpty() ? QString() : selected.front()->data(kFileNameRole).toString();
    sourcePage_ = selected.isEmpty() ? -1 : ListBox1->row(selected.front());
    accept();
}

void TCopyDialog::CancelBtnClick() { reject(); }

void TCopyDialog::FileBtnClick() {
    sourceFile_ = openDialog_.Execute() ? openDialog_.FileName() : QString();
    sourcePage_ = -1;
    accept();
}

} // namespace kvq
