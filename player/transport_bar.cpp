#include "player/transport_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace korvane {

TransportButton::TransportButton(Glyph glyph, bool lit, QWidget* parent)
    : QLabel(parent), glyph_(glyph), lit_(lit)
{
    setFixedSize(TransportBar::kButtonSize, TransportBar::kButtonSize);
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

void TransportButton::Redraw()
{
    const int s = TransportBar::kButtonSize;
    QPixmap picture(s, s);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QColor ring = lit_ ? QColor(0, 160, 212) : (isEnabled() ? QColor(200, 200, 200) : QColor(90, 90, 90));
    QColor fill = lit_ ? QColor(255, 255, 255) : ring;
    p.setPen(QPen(ring, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, s - 6, s - 6));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const double c = s / 2.0;
    switch (glyph_) {
    case Glyph::Play: {
        QPainterPath path;
        path.moveTo(c - 6, c - 9);
        path.lineTo(c + 10, c);
        path.lineTo(c - 6, c + 9);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Pause:
        p.drawRect(QRectF(c - 8, c - 9, 5, 18));
        p.drawRect(QRectF(c + 3, c - 9, 5, 18));
        break;
    case Glyph::Stop:
        p.drawRect(QRectF(c - 8, c - 8, 16, 16));
        break;
    }
    p.end();
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
    setFixedSize(3 * kButtonSize + 16, kButtonSize + 6);
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
