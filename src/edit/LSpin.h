#pragma once

#include "edit/SpinEdit.h"

namespace kvq {

// The list spin editor: steps an item index within its bounds and announces every step by
// Change; the owner turns the index into the text. The index and the text are independent.
// The up button moves towards the lower index.
class TLSpinEdit : public TSpinEditBase {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int MinIndex READ MinIndex WRITE SetMinIndex)
    Q_PROPERTY(int MaxIndex READ MaxIndex WRITE SetMaxIndex)
public:
    using TSpinEditBase::TSpinEditBase;

    [[nodiscard]] int ItemIndex() const { return itemIndex_; }
    // Stores the index clamped to the bounds (none when they are equal); the text stays and no
    // Change follows.
    void SetItemIndex(int index);
    [[nodiscard]] int MinIndex() const { return minIndex_; }
    void SetMinIndex(int index) { minIndex_ = index; }
    [[nodiscard]] int MaxIndex() const { return maxIndex_; }
    void SetMaxIndex(int index) { maxIndex_ = index; }

    // One index lower, or higher for StepDown, while the bound allows (also when the bounds are
    // equal). Change follows every step, even one refused or stopped at the bound, so the owner
    // restores the text of the index after any typing.
    void StepUp() override;
    void StepDown() override;

private:
    int itemIndex_ = 0;
    int minIndex_ = 0;
    int maxIndex_ = 0;
};

} // namespace kvq
