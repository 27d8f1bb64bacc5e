#include "edit/LSpin.h"

#include "edit/FieldEdit.h"

namespace kvq {

void TLSpinEdit::SetItemIndex(int index) { itemIndex_ = EditorClamp(index, minIndex_, maxIndex_); }

void TLSpinEdit::StepUp() {
    if (!BeepIfReadOnly() && itemIndex_ > minIndex_) --itemIndex_;
    emit Change();
}

void TLSpinEdit::StepDown() {
    if (!BeepIfReadOnly() && itemIndex_ < maxIndex_) ++itemIndex_;
    emit Change();
}

} // namespace kvq
