#pragma once
// The three transport buttons under the video: clickable pictures tbPlay, tbPause and tbStop,
// with the lit pictures tbPlay_On, tbPause_On and tbStop_On sitting exactly on them. The
// pictures are the skin's own, drawn at whatever size the window layout gives the buttons.
#include <QLabel>
#include <QWidget>

#include "player/transport.h"

namespace korvane {

class TransportButton : public QLabel {
    Q_OBJECT
public:
    enum class Glyph { Play, Pause, Stop };
    TransportButton(Glyph glyph, bool lit, QWidget* parent);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
private:
    void Redraw();
    Glyph glyph_;
    bool lit_;
};

class TransportBar : public QWidget {
    Q_OBJECT
public:
    explicit TransportBar(QWidget* parent);

    void Apply(const TransportControls& controls);
    TransportControls Current() const;

    TransportButton* tbPlay = nullptr;
    TransportButton* tbPause = nullptr;
    TransportButton* tbStop = nullptr;
    TransportButton* tbPlay_On = nullptr;
    TransportButton* tbPause_On = nullptr;
    TransportButton* tbStop_On = nullptr;

    static constexpr int kButtonSize = 48;   // at 100 % until the window layout places them
};

} // namespace korvane
