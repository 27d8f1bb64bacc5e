#include "app/CopyDlg.h"

#include "app/OpenDialog.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kvq {

namespace {

constexpr int kClientWidth = 217;
constexpr int kClientHeight = 181;
constexpr int kItemHeight = 13;
constexpr int kFileNameRole = Qt::UserRole;
constexpr int kPageRole = Qt::UserRole + 1;

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

    FileBtn = MakeButton(this, "FileBtn", "&File...", {7, 148, 59, 25});
    OKBtn = MakeButton(this, "OKBtn", "OK", {79, 148, 59, 25});
    CancelBtn = MakeButton(this, "CancelBtn", "Cancel", {151, 148, 59, 25});
    setTabOrder(CancelBtn, FileBtn);
    setTabOrder(FileBtn, OKBtn);
    setTabOrder(OKBtn, ListBox1);

    // Choosing by keyboard counts as a click, as in any list box.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!ListBox1->selectedItems().isEmpty())
            ListBox1Click();
        else if (several_)
            EnableOK(false);
    });
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(FileBtn, &QPushButton::clicked, this, [this] { FileBtnClick(); });
    FormCreate();
}

void TCopyDialog::FormCreate() { sourceFiles_.clear(); }

void TCopyDialog::ChooseOne(const QString& caption) {
    setWindowTitle(caption);
    several_ = false;
    leftOut_ = -1;
}

void TCopyDialog::ChooseSeveral(const QString& caption, int leftOut) {
    setWindowTitle(caption);
    several_ = true;
    leftOut_ = leftOut;
}

void TCopyDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // Over its window, or the screen's middle without one; on the screen in any case.
    const QRect area = screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget() ? parentWidget()->frameGeometry().center() : area.center());
    frame.moveLeft(
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width())));
    frame.moveTop(
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
    move(frame.topLeft());
    FormShow();
}

void TCopyDialog::FormShow() {
    ListBox1->clear();
    ListBox1->setSelectionMode(several_ ? QAbstractItemView::ExtendedSelection
                                        : QAbstractItemView::SingleSelection);
    const std::vector<Page> pages = pages_();
    for (int page = 0; page < static_cast<int>(pages.size()); ++page) {
        if (page == leftOut_) continue;
        auto* item = new QListWidgetItem(pages[static_cast<std::size_t>(page)].Caption, ListBox1);
        item->setData(kFileNameRole, pages[static_cast<std::size_t>(page)].FileName);
        item->setData(kPageRole, page);
    }
    EnableOK(false);
    if (several_ && ListBox1->count() > 0) ListBox1->setCurrentRow(0);
    ListBox1->setFocus();
}

void TCopyDialog::EnableOK(bool enabled) {
    OKBtn->setEnabled(enabled);
    // Both buttons are default ones: Enter takes OK while it can be pressed, File... otherwise.
    (enabled ? OKBtn : FileBtn)->setDefault(true);
}

void TCopyDialog::ListBox1Click() { EnableOK(true); }

void TCopyDialog::OKBtnClick() {
    sourceFiles_.clear();
    sourcePages_.clear();
    for (int row = 0; row < ListBox1->count(); ++row) {
        const QListWidgetItem* item = ListBox1->item(row);
        if (!item->isSelected()) continue;
        sourceFiles_ << item->data(kFileNameRole).toString();
        sourcePages_.push_back(item->data(kPageRole).toInt());
    }
    accept();
}

void TCopyDialog::CancelBtnClick() { reject(); }

void TCopyDialog::FileBtnClick() {
    sourceFiles_ =
        several_ ? openDialog_.ExecuteSeveral()
                 : (openDialog_.Execute() ? QStringList{openDialog_.FileName()} : QStringList());
    sourcePages_.clear();
    accept();
}

} // namespace kvq
