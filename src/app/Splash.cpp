#include "app/Splash.h"

#include "base/Utils.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QScreen>
#include <qdrawutil.h>

namespace kvq {

namespace {

constexpr const char* kCreditLine = "Written for KVQ racers";

// The white panel under everything, with a raised outer and a lowered inner bevel.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        qDrawShadePanel(&painter, rect(), palette(), false, 1);
        qDrawShadePanel(&painter, rect().adjusted(2, 2, -2, -2), palette(), true, 1);
    }
};

QFont SplashFont(int pixelSize, bool bold) {
    QFont font("Times New Roman");
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  const QFont& font, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    if (geometry.width() == 0) geometry.setWidth(label->sizeHint().width());
    label->setGeometry(geometry);
    return label;
}

} // namespace

QPixmap SplashPicture() {
    QPixmap pixmap(170, 170);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(200, 225, 245));
    p.fillRect(0, 0, 170, 120, sky);
    p.fillRect(0, 120, 170, 50, QColor(90, 90, 95));
    // Chequered band along the track edge.
    for (int i = 0; i < 17; ++i) {
        p.fillRect(i * 10, 116, 10, 5, i % 2 ? Qt::black : Qt::white);
        p.fillRect(i * 10, 121, 10, 5, i % 2 ? Qt::white : Qt::black);
    }
    // A cigar-shaped racing car of the sixties seen from the side.
    QPainterPath body;
    body.moveTo(12, 130);
    body.cubicTo(20, 112, 60, 108, 100, 110);
    body.lineTo(150, 114);
    body.cubicTo(162, 118, 162, 132, 150, 136);
    body.lineTo(20, 138);
    body.closeSubpath();
    p.setPen(QPen(QColor(90, 10, 10), 1.5));
    p.setBrush(QColor(200, 30, 30));
    p.drawPath(body);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(78, 112), 9, 6); // driver's helmet
    p.setPen(QPen(QColor(30, 30, 30), 1));
    for (double x : {38.0, 130.0}) {
        p.setBrush(QColor(25, 25, 25));
        p.drawEllipse(QPointF(x, 138), 15, 15);
        p.setBrush(QColor(170, 170, 175));
        p.drawEllipse(QPointF(x, 138), 6, 6);
    }
    p.setPen(Qt::white);
    p.setFont(SplashFont(14, true));
    p.drawText(QRect(88, 118, 30, 14), Qt::AlignCenter, "7");
    return pixmap;
}

QPixmap SmallSplashPicture() {
    QPixmap pixmap(16, 16);
    QPainter p(&pixmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            p.fillRect(x * 4, y * 4, 4, 4, (x + y) % 2 ? Qt::black : Qt::white);
    return pixmap;
}

TSplashForm::TSplashForm(QWidget* parent, int draw) : QDialog(parent, Qt::FramelessWindowHint) {
    setObjectName("SplashForm");
    setFixedSize(kWidth, kHeight);
    auto* Panel1 = new BevelPanel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, kWidth, kHeight);

    auto* Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->setGeometry(208, 2, 170, 170);
    Image1->setPixmap(SplashPicture());

    MakeLabel(Panel1, "Label1", "KVQ Setup", QRect(4, 26, 204, 27), SplashFont(24, true),
              Qt::AlignHCenter);
    Label2 = MakeLabel(Panel1, "Label2", QString(), QRect(4, 68, 204, 19), SplashFont(16, false),
                       Qt::AlignHCenter);
    MakeLabel(Panel1, "Label3", kCreditLine, QRect(4, 112, 0, 19), SplashFont(16, true),
              Qt::AlignLeft);
    MakeLabel(Panel1, "Label5", kCopyrightNotice, QRect(4, 132, 0, 19), SplashFont(16, true),
              Qt::AlignLeft);

    Image2 = new QLabel(Panel1);
    Image2->setObjectName("Image2");
    Image2->setGeometry(304, 120, 16, 16);
    Image2->setPixmap(SmallSplashPicture());

    for (QObject* clickable :
         {static_cast<QObject*>(Panel1), static_cast<QObject*>(Image1),
          Panel1->findChild<QObject*>("Label1"), static_cast<QObject*>(Label2),
          Panel1->findChild<QObject*>("Label3"), Panel1->findChild<QObject*>("Label5")})
        clickable->installEventFilter(this);
    Image2->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
    FormCreate(draw);
}

void TSplashForm::FormCreate(int draw) {
    if (draw < 0) draw = static_cast<int>(QRandomGenerator::global()->bounded(100));
    Image2->setVisible(draw < 5);
    Label2->setText("Version " + QString::fromStdString(VersionString()));
}

void TSplashForm::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty())
        accept();
    else
        QDialog::keyPressEvent(event);
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        // The small picture swallows its clicks; everything else closes the window.
        if (watched != Image2) accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kvq
