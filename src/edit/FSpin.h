#pragma once

#include "edit/SpinEdit.h"

namespace kvq {

// The float spin editor: a single-precision number shown with Precision decimals, optionally
// right-aligned in MaxLength characters.
class TFSpinEdit : public TNumberSpinEdit<float> {
    Q_OBJECT
    Q_PROPERTY(float Value READ Value WRITE SetValue)
    Q_PROPERTY(float MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(float MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(float Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(bool RightJustified READ RightJustified WRITE SetRightJustified)
public:
    using TNumberSpinEdit::TNumberSpinEdit;

    // Decimals shown, 0 to 255.
    [[nodiscard]] int Precision() const { return precision_; }
    void SetPrecision(int decimals);
    [[nodiscard]] bool RightJustified() const { return rightJustified_; }
    void SetRightJustified(bool on) { rightJustified_ = on; }

protected:
    [[nodiscard]] QString TextOf(float value) const override;

private:
    int precision_ = 2;
    bool rightJustified_ = false;
};

} // namespace kvq
