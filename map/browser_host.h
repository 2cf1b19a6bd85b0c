#pragma once
// A map browser drawn in a window of its own, set into a native placeholder of the main window.
//
// A browser view inside a window makes Qt composite that whole window through OpenGL on every
// repaint: the video panels, the chart cursor, the read-outs and the seek bar, twenty times a
// second while a recording plays, and on a machine without a graphics card that is done in
// software. With the view in a window of its own, placed inside the placeholder, only the map
// is composited and the main window keeps its plain drawing.
//
// The placeholder carries the browser's name and takes its place in the layout; the browser
// follows its size and visibility and is destroyed with it.
#include <QWidget>

class QWebEngineView;

namespace korvane {

// Set on the browser view while the host destroys it: its page answers outstanding scripts as it
// goes, and whoever drives the page must not send it more.
inline constexpr char kBrowserClosingProperty[] = "korvaneClosing";

class BrowserHost : public QWidget {
public:
    BrowserHost(QWebEngineView* view, QWidget* parent);
    ~BrowserHost() override;

    QWebEngineView* View() const { return view_; }

protected:
    bool event(QEvent* event) override;

private:
    void Attach();

    QWebEngineView* view_;
};

} // namespace korvane
