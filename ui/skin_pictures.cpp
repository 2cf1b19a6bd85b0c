#include "ui/skin_pictures.h"

#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

namespace korvane {
namespace {
struct Picture {
    const char* control;
    const char* file;
};
constexpr Picture kPictures[] = {
    {"tbPlay", "play.svg"},       {"tbPlay_On", "play_on.svg"},
    {"tbPause", "pause.svg"},     {"tbPause_On", "pause_on.svg"},
    {"tbStop", "stop.svg"},       {"tbStop_On", "stop_on.svg"},
    {"imgNormal", "normal.svg"},  {"imgNormalGray", "normal_gray.svg"},
    {"imgEvent", "event.svg"},    {"imgEventGray", "event_gray.svg"},
};
} // namespace

QString SkinPictureFor(const QString& controlName)
{
    for (const Picture& p : kPictures)
        if (controlName == QLatin1String(p.control))
            return QStringLiteral(":/skin/") + QString::fromLatin1(p.file);
    return QString();
}

const QStringList& SkinPictureControls()
{
    static const QStringList names = [] {
        QStringList n;
        for (const Picture& p : kPictures)
            n << QString::fromLatin1(p.control);
        return n;
    }();
    return names;
}

QSize SkinPictureDesignSize(const QString& controlName)
{
    if (SkinPictureFor(controlName).isEmpty())
        return QSize();
    return controlName.startsWith(QLatin1String("img")) ? QSize(116, 40) : QSize(48, 48);
}

QPixmap RenderSkinPicture(const QString& controlName, const QSize& logicalSize, double devicePixelRatio)
{
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize device(qMax(1, qRound(logicalSize.width() * ratio)), qMax(1, qRound(logicalSize.height() * ratio)));
    QPixmap pixmap(device);
    pixmap.fill(Qt::transparent);
    const QString path = SkinPictureFor(controlName);
    if (!path.isEmpty()) {
        QSvgRenderer renderer(path);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace korvane
