#pragma once
// The skin's own pictures, SVG files compiled into the resource ":/skin": the player buttons
// with their lit versions and the group selectors with their grey versions. They are drawn at
// whatever size the layout gives their controls.
#include <QPixmap>
#include <QSize>
#include <QString>

namespace korvane {

// Resource path of the picture a control shows (tbPlay, tbPlay_On, ..., imgNormal,
// imgNormalGray, imgEvent, imgEventGray); empty for any other control.
QString SkinPictureFor(const QString& controlName);

// Every control that shows a skin picture.
const QStringList& SkinPictureControls();

// The size a picture is drawn for at 100 % display scaling.
QSize SkinPictureDesignSize(const QString& controlName);

// The picture of a control drawn at `logicalSize` for a screen of `devicePixelRatio`, sharp at
// the screen's own pixels; a transparent pixmap for a control without a picture.
QPixmap RenderSkinPicture(const QString& controlName, const QSize& logicalSize, double devicePixelRatio);

} // namespace korvane
