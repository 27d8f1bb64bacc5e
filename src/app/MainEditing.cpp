// In-place editing on the sheet: the pointer over values, the three editors opened over them,
// commit and cancel, the asymmetry toggle and the choice of limits in force.
#include "app/Main.h"

#include "app/LibraryWindow.h"
#include "app/PageStrip.h"

#include "app/SheetView.h"
#include "edit/FSpin.h"
#include "edit/FieldEdit.h"
#include "edit/FieldNames.h"
#include "edit/LSpin.h"
#include "edit/SpinEdit.h"

#include <QAction>
#include <QKeyEvent>
#include <QToolTip>

#include <algorithm>

namespace kvq {

void TForm1::KVQDefault1Click() {
    if (KVQDefault1->isChecked())
        limits_.SelectLimitTables();
    else
        limits_.SelectFileLimits();
    UpdatePaste();
    // The library shows its setups as Open would, under the limits in force.
    Library1->ReadAnew();
}

void TForm1::Memo1Click() { EndEdit(); }

void TForm1::Memo1DblClick(QPoint position) {
    Guard([this, position] {
        EndEdit();
        // The pointer has not moved since the first click ended the edit, so the field under it
        // is looked up afresh: the edit begins where the user double-clicked.
        Memo1MouseMove(position);
        EditField(hoverField_);
    });
}

void TForm1::EditField(int field) {
    TSetup* setup = CurrentSetup();
    if (!setup || !Close1->isEnabled() || field <= 0) return;
    hoverField_ = field;
    MoveFieldCursorTo(field);
    Memo1->setCursor(Qt::ArrowCursor);
    editSetup_ = setup;
    editReturnFocus_ = Memo1->hasFocus() ? static_cast<QWidget*>(Memo1) : TabControl1;
    const SetupRecord before = setup->Record;
    BeginEdit(setup->Record, field);
    if (field != kToggleField) return;
    RecordStep(*setup, before, FieldName(kToggleField), false);
    RenderSheet();
    emit SetupChanged(setup);
}

bool TForm1::SheetKey(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const TSetup* setup = CurrentSetup();
    FieldMove move = FieldMove::First;
    switch (event->key()) {
    case Qt::Key_Up: move = FieldMove::Up; break;
    case Qt::Key_Down: move = FieldMove::Down; break;
    case Qt::Key_Left: move = FieldMove::Left; break;
    case Qt::Key_Right: move = FieldMove::Right; break;
    case Qt::Key_Home: move = FieldMove::First; break;
    case Qt::Key_End: move = FieldMove::Last; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        // As a double click on the value under the cursor.
        Guard([this] {
            EndEdit();
            EditField(cursorField_);
        });
        return true;
    default: return false;
    }
    if (!setup || !Close1->isEnabled()) return true;
    MoveFieldCursorTo(MoveFieldCursor(cursorField_, move, setup->GearboxKind, limits_));
    if (const auto cell = Memo1->FieldCursor())
        ShowRangeTip(cursorField_, Memo1->CellRect(*cell).bottomLeft());
    return true;
}

void TForm1::MoveFieldCursorTo(int field) {
    cursorField_ = field;
    const TSetup* setup = CurrentSetup();
    if (!setup || field <= 0) {
        Memo1->SetFieldCursor(std::nullopt);
        return;
    }
    // "Fuel, 43 gallons": the label, and the value as the sheet shows it.
    const SheetCell cell = CellOfField(field, limits_.Tables());
    const QStringList& lines = Memo1->Lines();
    const QString shown = cell.Row < lines.size() ? lines[cell.Row].mid(cell.Col, cell.Width) : "";
    Memo1->SetFieldCursor(
        cell,
        QString::fromUtf8(FieldName(field)) + ", " + shown.trimmed() +
            QString::fromUtf8(FieldUnit(field)),
        QString::fromStdString(RangeText(field, setup->Record, limits_.Tables())));
}

void TForm1::ShowRangeTip(int field, QPoint position) {
    const TSetup* setup = CurrentSetup();
    if (!setup || field <= 0) {
        QToolTip::hideText();
        return;
    }
    const QRect cell = Memo1->CellRect(CellOfField(field, limits_.Tables()));
    QToolTip::showText(Memo1->mapToGlobal(position),
                       QString::fromStdString(RangeText(field, setup->Record, limits_.Tables())),
                       Memo1, cell);
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

void TForm1::PlaceEditor(TSpinEditBase* editor, const SheetCell& cell) {
    editor->setGeometry(cell.Col * metrics_.CharWidth + metrics_.EditorLeftOffset,
                        cell.Row * metrics_.LineHeight + metrics_.EditorTopOffset,
                        cell.Width * metrics_.CharWidth + 27, editor->minimumHeight());
    editor->show();
    editor->raise();
    editor->setFocus();
    FollowCurrentPage();
}

void TForm1::BeginEdit(SetupRecord& record, int field) {
    const EditorDescription editor = DescribeEditor(field, record, limits_.Tables());
    // The editor is named after its field and tells its range.
    for (TSpinEditBase* each : Editors()) {
        each->setAccessibleName(QString::fromUtf8(FieldName(field)));
        each->setToolTip(QString::fromStdString(RangeText(field, record, limits_.Tables())));
    }
    VisitField(field, limits_.Tables(),
               Overloaded{
                   [&](const IntegerLimit&) {
                       SpinEdit1->SetMaxLength(editor.Cell.Width);
                       SpinEdit1->SetMinValue(static_cast<std::int32_t>(editor.MinValue));
                       SpinEdit1->SetMaxValue(static_cast<std::int32_t>(editor.MaxValue));
                       SpinEdit1->SetIncrement(static_cast<std::int32_t>(editor.Increment));
                       SpinEdit1->SetValue(static_cast<std::int32_t>(editor.Value));
                       PlaceEditor(SpinEdit1, editor.Cell);
                   },
                   [&](const RealLimit&) {
                       FSpinEdit1->SetMaxLength(editor.Cell.Width);
                       FSpinEdit1->SetMinValue(static_cast<float>(editor.MinValue));
                       FSpinEdit1->SetMaxValue(static_cast<float>(editor.MaxValue));
                       FSpinEdit1->SetIncrement(static_cast<float>(editor.Increment));
                       FSpinEdit1->SetPrecision(editor.Precision);
                       // The ramp angle stepping starts after the value is shown, so loading
                       // never moves it.
                       FSpinEdit1->setProperty("Tag", 0);
                       FSpinEdit1->SetValue(static_cast<float>(editor.Value));
                       FSpinEdit1->setProperty("Tag", editor.RampAngleSteps ? 1 : 0);
                       PlaceEditor(FSpinEdit1, editor.Cell);
                   },
                   [&](const ListLimit&) {
                       LSpinEdit1->SetMinIndex(static_cast<int>(editor.MinValue));
                       LSpinEdit1->SetMaxIndex(static_cast<int>(editor.MaxValue));
                       LSpinEdit1->setProperty("Tag", static_cast<int>(editor.List));
                       LSpinEdit1->SetItemIndex(static_cast<int>(editor.Value));
                       FormatListText(record);
                       PlaceEditor(LSpinEdit1, editor.Cell);
                   },
                   // Flipping the asymmetry is no change to save.
                   [&](ToggleRow) { record.SetSymmetricFlag(record.SymmetricFlag() == 0 ? 1 : 0); },
               });
}

void TForm1::FormatListText(const SetupRecord& record) {
    const auto kind = static_cast<ListKind>(LSpinEdit1->property("Tag").toInt());
    LSpinEdit1->setText(
        QString::fromStdString(ListItemText(kind, LSpinEdit1->ItemIndex(), record)));
}

bool TForm1::CommitEdit(SetupRecord& record, int field) {
    // The value stored is the one the editor shows once left: within its limits and rounded
    // as shown, however the edit ends.
    auto store = [&](double value) { return StoreEdit(record, field, value, limits_.Tables()); };
    return VisitField(
        field, limits_.Tables(),
        Overloaded{[&](const IntegerLimit&) { return store(SpinEdit1->SettledValue()); },
                   [&](const RealLimit&) { return store(FSpinEdit1->SettledValue()); },
                   [&](const ListLimit&) { return store(LSpinEdit1->ItemIndex()); },
                   [](ToggleRow) { return false; }});
}

void TForm1::EndEdit() {
    // The edit goes into the page it was opened on, whatever has changed the selection since.
    if (EditorVisible() && editSetup_) {
        const SetupRecord before = editSetup_->Record;
        if (CommitEdit(editSetup_->Record, hoverField_)) {
            editSetup_->Changed = true;
            RecordStep(*editSetup_, before, FieldName(hoverField_), true);
            emit SetupChanged(editSetup_);
        }
        RenderSheet();
    }
    CancelEdit();
}

void TForm1::CancelEdit() {
    const bool wasOpen = EditorVisible();
    editSetup_ = nullptr;
    for (TSpinEditBase* editor : Editors()) editor->hide();
    // The focus goes back where the edit began: the sheet, with its cursor on the value, or the
    // page strip.
    if (wasOpen) (editReturnFocus_ ? editReturnFocus_ : TabControl1)->setFocus();
    FollowCurrentPage();
}

void TForm1::SpinEdit1Change() {
    // The number stands right-aligned in its field; blanks typed before it do not count.
    const QString digits = SpinEdit1->text().trimmed();
    const QString justified = JustifyRight(digits, SpinEdit1->MaxLength());
    if (justified != SpinEdit1->text()) SpinEdit1->setText(justified);
}

void TForm1::FSpinEdit1Change() {
    if (FSpinEdit1->property("Tag").toInt() != 1) return;
    const float value = FSpinEdit1->Value();
    const RampAngleStop stop = RampAngleStep(value, FSpinEdit1->Increment());
    if (stop.Value == value) return;
    FSpinEdit1->SetValue(stop.Value);
    FSpinEdit1->SetIncrement(stop.Increment);
}

void TForm1::LSpinEdit1Change() {
    if (editSetup_) FormatListText(editSetup_->Record);
}

} // namespace kvq
