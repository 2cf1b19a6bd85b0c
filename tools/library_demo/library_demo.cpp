// A development view of the recordings library: both grids of a folder with their pictures and
// captions, the group selection and the row scrolling, saved as screenshots.
//   library_demo FOLDER OUT_PREFIX [scale]
#include "kernel/playback_channel.h"
#include "library/recording_library.h"
#include "mp4parse/mp4_parser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>

using namespace korvane;

namespace {
class DemoHost : public LibraryHost {
public:
    QWidget* MainWindow() override { return window; }
    PlaybackChannel& CurrentChannel() override { return channel; }
    Mp4Parser& TelemetryParser() override { return parser; }
    bool& GpsSeen() override { return gpsSeen; }
    bool ViewerIdle() const override { return true; }
    void SetViewerIdle(bool) override {}
    void StartProcessFinish() override {}
    void StopPlayback() override {}
    void StartPlayback() override {}
    void StartWaitReady() override {}
    void SetSelectedCell(ThumbnailCell*) override {}
    void HaltPlayerForOpen() override {}
    void ShowTimePanelPerMenu() override {}
    void ResetVideo() override {}
    void ResetTelemetry(bool) override {}
    void ResetButtons() override {}
    void ShowGroupSelectors(int group) override
    {
        if (group < 0)
            return;
        normal->setStyleSheet(group == 1 ? "color: white; background: black" : "color: gray; background: black");
        event->setStyleSheet(group == 0 ? "color: white; background: black" : "color: gray; background: black");
    }
    void PrepareMapsForNewFolder() override {}
    void SetDataMenusEnabled(bool enabled) override { finished = enabled; }
    void ShowInformation2(const QString& a, const QString& b) override
    {
        std::printf("notice: %s / %s\n", qPrintable(a), qPrintable(b));
    }

    QWidget* window = nullptr;
    QPushButton* normal = nullptr;
    QPushButton* event = nullptr;
    PlaybackChannel channel;
    Mp4Parser parser;
    bool gpsSeen = false;
    bool finished = false;
};

void Settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& w, const QString& path)
{
    Settle(200);
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: library_demo FOLDER OUT_PREFIX [scale]\n");
        return 64;
    }
    const QString folder = QDir(args[1]).absolutePath();
    const QString out = args[2];
    const double scale = args.size() > 3 ? args[3].toDouble() : 1.0;

    QWidget window;
    window.setWindowTitle("Korvane");
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(93, 93, 93));
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    DemoHost host;
    host.window = &window;
    QVBoxLayout column(&window);
    QTemporaryDir cache;
    RecordingLibrary library(host, scale, &window);
    library.Pane()->setFixedSize(library.Pane()->PreferredSize());
    column.addWidget(library.Pane());
    QHBoxLayout selectors;
    host.normal = new QPushButton("Normal");
    host.event = new QPushButton("Event");
    selectors.addWidget(host.event);
    selectors.addWidget(host.normal);
    column.addLayout(&selectors);
    QObject::connect(host.normal, &QPushButton::clicked, [&] { library.GroupPictureClicked(1); });
    QObject::connect(host.event, &QPushButton::clicked, [&] { library.GroupPictureClicked(0); });
    window.show();

    library.SetFolders(folder, folder);
    library.PrepareWorkingFolder(cache.path());
    library.OpenRecordingFolder(folder);
    while (!host.finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const RecordingCatalogue& c = library.Catalogue();
    std::printf("Normal %lld shown, %lld missing; Event %lld shown, %lld missing\n",
                static_cast<long long>(c.normalShown.size()), static_cast<long long>(c.normalMissing.size()),
                static_cast<long long>(c.eventShown.size()), static_cast<long long>(c.eventMissing.size()));

    bool ok = true;
    library.SelectGroup(1);
    for (int g : {1, 0}) {
        SkinScrollBarWidget* bar = library.View(g).BarWidget();
        std::printf("bar %d: geometry %d,%d %dx%d visible %d, thumb %d,%d %dx%d visible %d, range %d\n", g, bar->x(),
                    bar->y(), bar->width(), bar->height(), bar->isVisible(), bar->Thumb()->x(), bar->Thumb()->y(),
                    bar->Thumb()->width(), bar->Thumb()->height(), bar->Thumb()->isVisible(), bar->Bar().maxValue);
    }
    if (!c.normalShown.isEmpty())
        library.HighlightCell(library.Grid(1).Cell(int(c.normalShown.size()) > 4 ? 4 : 0), false);
    ok &= Save(window, out + "-normal.png");
    library.View(1).Wheel(-120);  // one row down
    ok &= Save(window, out + "-normal-scrolled.png");
    library.SelectGroup(0);
    ok &= Save(window, out + "-event.png");
    return ok ? 0 : 1;
}
