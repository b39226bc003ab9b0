#include "button_faces.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "commands.h"

// The pictures are compiled into the library; a static library's resources must be
// registered by name.
static void register_resources() {
    Q_INIT_RESOURCE(skywave_gui);
}

namespace skywave::gui {

namespace {

constexpr int kFaceHeight = 20;

// A face that names its command in capitals, in the command's colour.
QPixmap text_face(int width, const QString& text, QColor colour) {
    QPixmap face(width, kFaceHeight);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(face.rect(), Qt::AlignCenter, text);
    return face;
}

QPixmap square_face() {
    QPixmap face(kFaceHeight, kFaceHeight);
    face.fill(Qt::transparent);
    return face;
}

// A floppy disk.
QPixmap save_face() {
    QPixmap face = square_face();
    QPainter p(&face);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(2, 2, 15, 15);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(5, 2, 9, 6);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(5, 11, 9, 6);
    p.fillRect(11, 3, 2, 4, QColor(0, 0, 128));
    return face;
}

// An opening folder.
QPixmap open_face() {
    QPixmap face = square_face();
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(128, 128, 0));
    p.drawRect(QRectF(1.5, 5.5, 14, 11));
    p.setBrush(QColor(255, 255, 0));
    QPainterPath lid;
    lid.moveTo(4.5, 9.5);
    lid.lineTo(18.5, 9.5);
    lid.lineTo(15.5, 16.5);
    lid.lineTo(1.5, 16.5);
    lid.closeSubpath();
    p.drawPath(lid);
    p.setPen(QPen(QColor(0, 0, 0), 1.5));
    p.drawArc(QRectF(10, 1, 8, 6), 0, 180 * 16);
    return face;
}

// A question mark in a blue disc.
QPixmap about_face() {
    QPixmap face = square_face();
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(0, 0, 160));
    p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(face.rect(), Qt::AlignCenter, QStringLiteral("?"));
    return face;
}

}  // namespace

QPixmap button_face(int command) {
    switch (command) {
        case CM_FILESAVE:
            return save_face();
        case CM_FILEOPEN:
            return open_face();
        case CM_HELPABOUT:
            return about_face();
        case CM_REPLAYNEXT:
            return text_face(45, QStringLiteral("NEXT"), QColor(0, 0, 128));
        case CM_REPLAYAUTO:
            return text_face(100, QStringLiteral("AUTO CYCLE"), QColor(0, 96, 0));
        case CM_REPLAYSTOP:
            return text_face(90, QStringLiteral("AUTO STOP"), QColor(160, 0, 0));
        case CM_CALCSTOP:
            return text_face(90, QStringLiteral("CALC STOP"), QColor(192, 0, 0));
        case CM_EXAMNEXT:
            return text_face(90, QStringLiteral("NEXT ARRAY"), QColor(0, 0, 128));
        default:
            return {};
    }
}

QIcon program_icon() {
    static const bool registered = (register_resources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/skywave/skywave-icon.png"));
}

QPixmap program_icon_pixmap(int size) {
    return program_icon().pixmap(size, size);
}

}  // namespace skywave::gui
