#pragma once
// One cell of a thumbnail grid: a black panel whose text is the bare file name of the recording
// shown, with the picture (child 0) and the date-and-time caption (child 1). A cell whose
// picture is hidden is empty: no recording is there. A cut recording (no picture can be made of
// it) shows the damaged picture instead.
#include <QFrame>
#include <QLabel>

class QPainter;

namespace korvane {

// Draws the cell frame on a picture canvas of width w and height h: cut upper corners, the
// black caption band over the lower 35 % and a grey rounded border.
void DrawCellFrame(QPainter& canvas, int w, int h);

class ThumbnailCell : public QFrame {
    Q_OBJECT
public:
    ThumbnailCell(int group, int index, QWidget* parent);

    int Group() const { return group_; }   // 1 Normal, 0 Event
    int Index() const { return index_; }   // position in its grid
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }
    QLabel* Image() const { return image_; }
    QLabel* Caption() const { return caption_; }
    bool IsEmpty() const { return image_->isHidden(); }
    // The cell shows a cut recording (ShowDamaged).
    bool IsDamaged() const { return damaged_; }

    // The cell a control belongs to (the panel itself, its picture or its caption); null for
    // any other control.
    static ThumbnailCell* CellOf(QWidget* control);

    // Places the picture and caption by the cell geometry of a display scale and redraws the
    // empty frame.
    void ApplyGeometry(const QRect& image, const QRect& caption);
    // Shows a recording: the picture from `bmpPath` stretched into the frame, and the caption.
    // A picture that cannot be read leaves the frame empty; the caption is shown all the same.
    void ShowRecording(const QString& name, const QString& bmpPath, const QString& caption);
    // Shows a cut recording: the damaged picture in the frame, and the caption.
    void ShowDamaged(const QString& name, const QString& caption);
    // A cut recording shown with the picture of its repaired copy and the repaired mark; it
    // stays a cut recording (it plays its repaired copy).
    void ShowRepaired(const QString& bmpPath);
    bool ShowsRepaired() const { return repaired_; }
    // Hides panel, picture and caption; white caption; busy cursor.
    void Clear();
    void SetCaptionColor(const QColor& color);
    // While not ready (a recording loads) the panel and the picture ignore double clicks; the
    // caption always passes them on.
    void SetReady(bool ready) { ready_ = ready; }
    bool IsReady() const { return ready_; }
    QColor CaptionColor() const;

signals:
    void doubleClicked(korvane::ThumbnailCell* cell);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCanvas(const QPixmap& canvas, const QString& caption);

    int group_;
    int index_;
    QString fileName_;
    QLabel* image_;
    QLabel* caption_;
    bool ready_ = true;
    // The cell's canvas with the picture at `bmpPath` (none when it cannot be read), framed.
    QPixmap PictureCanvas(const QString& bmpPath, bool repairedMark) const;
    bool damaged_ = false;
    bool repaired_ = false;
};

} // namespace korvane
