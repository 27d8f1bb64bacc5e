#pragma once

#include <QDialog>

class QLabel;

namespace kvq {

// The splash window: shown while the program starts and again, modal, as the about box.
class TSplashForm : public QDialog {
    Q_OBJECT
public:
    // draw: the 0..99 draw that shows the small picture when below 5; a new random one by default.
    explicit TSplashForm(QWidget* parent = nullptr, int draw = -1);

    static constexpr int kWidth = 380;
    static constexpr int kHeight = 174;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(int draw);

    QLabel* Label2 = nullptr;
    QLabel* Image2 = nullptr;
};

// The artwork of the splash window, drawn by the program itself.
[[nodiscard]] QPixmap SplashPicture();      // 170 x 170, full colour
[[nodiscard]] QPixmap SmallSplashPicture(); // 16 x 16, two colours

} // namespace kvq
