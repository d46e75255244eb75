// Draws the program's pictures (splash and icons) into the given folder.
// Built and run by hand when the pictures change:
//   g++ -std=c++20 -fPIC draw_images.cpp -o draw_images $(pkg-config --cflags --libs Qt6Gui)
//   QT_QPA_PLATFORM=offscreen ./draw_images resources/images
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QFont>

static void drawIcon(QPainter &p, int s)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(237, 128, 128));
    g.setColorAt(1, QColor(168, 4, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);
    // two boxes and a circular arrow: stock kept in step
    p.setBrush(QColor(255, 248, 230));
    p.drawRect(QRectF(s * 0.18, s * 0.46, s * 0.28, s * 0.28));
    p.drawRect(QRectF(s * 0.54, s * 0.46, s * 0.28, s * 0.28));
    QPen pen(QColor(255, 248, 230), s * 0.07, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(s * 0.28, s * 0.16, s * 0.44, s * 0.40), 20 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 248, 230));
    QPainterPath head;
    head.moveTo(s * 0.74, s * 0.40);
    head.lineTo(s * 0.62, s * 0.30);
    head.lineTo(s * 0.80, s * 0.26);
    head.closeSubpath();
    p.drawPath(head);
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int s : {16, 32, 64, 256}) {
        QImage img(s, s, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        drawIcon(p, s);
        p.end();
        img.save(out + QStringLiteral("/stocksync_%1.png").arg(s));
    }
    QImage sp(467, 307, QImage::Format_RGB32);
    QPainter p(&sp);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 467, 307);
    bg.setColorAt(0, QColor(246, 246, 246));
    bg.setColorAt(1, QColor(233, 238, 238));
    p.fillRect(sp.rect(), bg);
    QLinearGradient band(0, 0, 467, 0);
    band.setColorAt(0, QColor(168, 4, 4));
    band.setColorAt(1, QColor(237, 128, 128));
    p.fillRect(QRect(0, 0, 467, 150), band);
    // soft circles
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(255, 255, 255, 18 + i * 4));
        p.drawEllipse(QPointF(380 - i * 35, 40 + i * 12), 70 - i * 8, 70 - i * 8);
    }
    p.save();
    p.translate(24, 30);
    drawIcon(p, 84);
    p.restore();
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(26);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(122, 40, 340, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("奥万淘宝店铺库存同步助手"));
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(255, 235, 235));
    p.drawText(QRect(124, 84, 340, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("源店铺 → 我的店铺   库存 · 价格 · 上下架"));
    // shelf of boxes
    const QColor boxes[] = {QColor(240, 255, 240), QColor(255, 255, 240), QColor(255, 240, 240), QColor(240, 255, 255), QColor(240, 240, 255), QColor(255, 240, 255)};
    for (int i = 0; i < 6; ++i) {
        QRectF r(150 + i * 48, 178, 40, 40);
        p.setPen(QPen(QColor(168, 4, 4, 120), 1.2));
        p.setBrush(boxes[i]);
        p.drawRoundedRect(r, 4, 4);
        p.setPen(QPen(QColor(168, 4, 4, 160), 1.5));
        p.drawLine(r.center() - QPointF(10, 0), r.center() + QPointF(10, 0));
        p.drawLine(r.center() - QPointF(0, 10), r.center() + QPointF(0, 10));
    }
    p.setPen(QPen(QColor(168, 4, 4, 90), 2));
    p.drawLine(140, 224, 440, 224);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(120, 120, 120));
    p.drawText(QRect(0, 280, 452, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("淘宝 / 天猫 卖家库存同步"));
    p.end();
    sp.save(out + QStringLiteral("/splash.png"));
    return 0;
}
