#include "player/transport_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin_pictures.h"

namespace korvane {

TransportButton::TransportButton(Glyph glyph, bool lit, QWidget* parent)
    : QLabel(parent), glyph_(glyph), lit_(lit)
{
    const char* base = glyph == Glyph::Play ? "tbPlay" : glyph == Glyph::Pause ? "tbPause" : "tbStop";
    setObjectName(QString::fromLatin1(base) + (lit ? QStringLiteral("_On") : QString()));
    resize(TransportBar::kButtonSize, TransportBar::kButtonSize);
    Redraw();
}

void TransportButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TransportButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        Redraw();
    QLabel::changeEvent(event);
}

void TransportButton::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Redraw();
}

void TransportButton::Redraw()
{
    QPixmap picture = RenderSkinPicture(objectName(), size(), devicePixelRatioF());
    if (!isEnabled()) {
        // A button that takes no press is shown dimmed.
        QPixmap dimmed(picture.size());
        dimmed.setDevicePixelRatio(picture.devicePixelRatio());
        dimmed.fill(Qt::transparent);
        QPainter p(&dimmed);
        p.setOpacity(0.4);
        p.drawPixmap(0, 0, picture);
        p.end();
        picture = dimmed;
    }
    setPixmap(picture);
}

TransportBar::TransportBar(QWidget* parent) : QWidget(parent)
{
    using G = TransportButton::Glyph;
    tbStop = new TransportButton(G::Stop, false, this);
    tbPlay = new TransportButton(G::Play, false, this);
    tbPause = new TransportButton(G::Pause, false, this);
    tbStop->setObjectName(QStringLiteral("tbStop"));
    tbPlay->setObjectName(QStringLiteral("tbPlay"));
    tbPause->setObjectName(QStringLiteral("tbPause"));
    tbStop->move(0, 6);
    tbPlay->move(kButtonSize + 8, 6);
    tbPause->move(2 * (kButtonSize + 8), 6);
    // The lit pictures sit exactly on their base pictures and do not take clicks.
    tbStop_On = new TransportButton(G::Stop, true, this);
    tbPlay_On = new TransportButton(G::Play, true, this);
    tbPause_On = new TransportButton(G::Pause, true, this);
    tbStop_On->move(tbStop->pos());
    tbPlay_On->move(tbPlay->pos());
    tbPause_On->move(tbPause->pos());
    for (TransportButton* lit : {tbStop_On, tbPlay_On, tbPause_On})
        lit->setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(3 * kButtonSize + 16, kButtonSize + 6);
    Apply(ControlsFor(TransportSituation::NothingLoaded));
}

void TransportBar::Apply(const TransportControls& c)
{
    tbPlay->setEnabled(c.play);
    tbPause->setEnabled(c.pause);
    tbStop->setEnabled(c.stop);
    tbPlay_On->setVisible(c.lit == LitPicture::Play);
    tbPause_On->setVisible(c.lit == LitPicture::Pause);
    tbStop_On->setVisible(c.lit == LitPicture::Stop);
}

TransportControls TransportBar::Current() const
{
    TransportControls c;
    c.play = tbPlay->isEnabled();
    c.pause = tbPause->isEnabled();
    c.stop = tbStop->isEnabled();
    c.lit = tbPlay_On->isVisibleTo(this) ? LitPicture::Play
          : tbPause_On->isVisibleTo(this) ? LitPicture::Pause : LitPicture::Stop;
    return c;
}

} // namespace korvane
