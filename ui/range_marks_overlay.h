#pragma once
// The In and Out marks of an export drawn over another widget (the seek track, the chart's
// plot): a shaded band between them and a coloured line with a small flag at each. The overlay
// covers its parent, follows its size and lets every mouse event through to it, so the widget
// below keeps its own painting and its own presses.
#include <QWidget>
#include <optional>

namespace korvane {

// The x of a mark inside a widget `width` pixels wide: the recording runs from `inset` to
// `inset + span x (width - 2 inset)`; a fraction below 0 or above 1 (a mark in another
// recording) stands at that edge.
int RangeMarkX(double fraction, int width, int inset, double span);

class RangeMarksOverlay : public QWidget {
    Q_OBJECT
public:
    explicit RangeMarksOverlay(QWidget* parent);

    // Fractions of the current recording's length (see ExportMarks::FractionOnCurrent); none
    // hides that mark.
    void SetMarks(std::optional<double> in, std::optional<double> out);
    // The pixels at either end the marks keep off (half the seek thumb), and the share of the
    // width the recording takes (the chart's plot may run past its end).
    void SetGeometryRule(int inset, double span);

    std::optional<double> In() const { return in_; }
    std::optional<double> Out() const { return out_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<double> in_, out_;
    int inset_ = 0;
    double span_ = 1.0;
};

} // namespace korvane
