#pragma once
// What the recordings library needs from the main window. The window implements this interface
// and hands itself to RecordingLibrary; every call comes on the main thread. What the library
// tells the player (a double click, a finished pass) goes out as signals instead.
#include <QString>

class QWidget;

namespace korvane {

class BusyState;

class LibraryHost {
public:
    virtual ~LibraryHost() = default;

    // The window that owns the library's dialogs; its title is the caption of the library's boxes.
    virtual QWidget* MainWindow() = 0;

    // Whether the viewer is idle; the library keeps its LoadingFolder reason there (from the
    // start of a folder change until 500 ms after the thumbnail pass has ended).
    virtual BusyState& Busy() = 0;

    // The group selectors under the grids: paint btnEvent and btnNormal black and show the lit
    // picture of `group` (1 Normal, 0 Event) with the grey picture over the other one; for -1
    // only paint the two selectors black (the pictures stay as they are).
    virtual void ShowGroupSelectors(int group) = 0;
    // miClean and miBackup.
    virtual void SetDataMenusEnabled(bool enabled) = 0;
    // The two-line information dialog (TfrmInformation1), modal.
    virtual void ShowInformation2(const QString& first, const QString& second) = 0;
};

} // namespace korvane
