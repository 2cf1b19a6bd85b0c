#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "app/keyboard_hook.h"

using namespace korvane;

TEST(KeyboardHook, Table)
{
    struct Case { int key; bool ctrl; bool repeat; HookAction action; };
    const Case cases[] = {
        {Qt::Key_A, true, false, HookAction::FocusDummy},
        {Qt::Key_F, true, false, HookAction::FocusDummy},
        {Qt::Key_N, true, false, HookAction::FocusDummy},
        {Qt::Key_O, true, false, HookAction::FocusDummy},
        {Qt::Key_O, false, false, HookAction::MarkOut},
        {Qt::Key_O, false, true, HookAction::None},
        {Qt::Key_I, false, false, HookAction::MarkIn},
        {Qt::Key_I, true, false, HookAction::None},
        {Qt::Key_C, true, false, HookAction::CleanData},
        {Qt::Key_C, true, true, HookAction::None},
        {Qt::Key_C, false, false, HookAction::None},
        {Qt::Key_H, true, false, HookAction::RouteContinue},
        {Qt::Key_Menu, false, false, HookAction::FocusDummy},
        {Qt::Key_F5, false, false, HookAction::FocusMain},
        {Qt::Key_X, true, false, HookAction::None},
        {Qt::Key_Space, false, false, HookAction::PlayPause},
        {Qt::Key_Space, false, true, HookAction::None},
        {Qt::Key_Space, true, false, HookAction::None},
        {Qt::Key_Left, false, false, HookAction::SeekBack},
        {Qt::Key_Right, false, false, HookAction::SeekForward},
        {Qt::Key_Right, false, true, HookAction::None},
        {Qt::Key_Comma, false, false, HookAction::FrameBack},
        {Qt::Key_Period, false, false, HookAction::FrameForward},
        {Qt::Key_Period, false, true, HookAction::None},
        {Qt::Key_Home, false, false, HookAction::ToStart},
        {Qt::Key_S, false, false, HookAction::Snapshot},
        {Qt::Key_S, true, false, HookAction::None},
        {Qt::Key_Up, false, false, HookAction::None},
        {Qt::Key_N, false, false, HookAction::NextEvent},
        {Qt::Key_N, false, true, HookAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyKey(c.key, c.ctrl, c.repeat), c.action) << c.key;
    // With Alt (the menus' mnemonics, Alt+S opens Setup) or Meta no transport key acts.
    EXPECT_EQ(ClassifyKey(Qt::Key_S, false, false, true), HookAction::None);
    EXPECT_EQ(ClassifyKey(Qt::Key_Space, false, false, true), HookAction::None);
    // Shift+N goes to the previous event; Ctrl+Shift+N stays the focus key.
    EXPECT_EQ(ClassifyKey(Qt::Key_N, false, false, false, true), HookAction::PreviousEvent);
    EXPECT_EQ(ClassifyKey(Qt::Key_N, true, false, false, true), HookAction::FocusDummy);
    EXPECT_TRUE(IsTransportAction(HookAction::NextEvent));
    EXPECT_TRUE(IsTransportAction(HookAction::PreviousEvent));
    EXPECT_TRUE(IsTransportAction(HookAction::MarkIn));
    EXPECT_TRUE(IsTransportAction(HookAction::MarkOut));
}

namespace {
int argc = 1;
char arg0[] = "test_app";
char* argv[] = {arg0, nullptr};
QApplication& App()
{
    static QApplication* app = qApp ? static_cast<QApplication*>(qApp) : new QApplication(argc, argv);
    return *app;
}
} // namespace

// Counts what the keys ask for.
struct CountedActions : KeyActions {
    int cleans = 0, routes = 0, focusDummy = 0, focusMain = 0;
    bool dummy = false;
    bool transportActs = true;
    QList<HookAction> transports;
    void FocusDummy() override { ++focusDummy; }
    void FocusMain() override { ++focusMain; }
    void StartCleanData(QObject*) override { ++cleans; }
    void RouteContinue() override { ++routes; }
    bool DummyShowing() const override { return dummy; }
    bool Transport(HookAction action, QObject*) override
    {
        transports << action;
        return transportActs;
    }
};

TEST(KeyboardHook, OnePressIsOneAction)
{
    App();
    CountedActions actions;
    KeyboardHook hook(actions);
    int& cleans = actions.cleans;
    int& routes = actions.routes;
    bool& dummy = actions.dummy;
    qApp->installEventFilter(&hook);
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    // The press propagates from the edit box to its parent; it still counts once.
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(cleans, 2);
    QTest::keyClick(edit, Qt::Key_H, Qt::ControlModifier);
    dummy = true;
    QTest::keyClick(edit, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(routes, 1);
    QTest::keyClick(edit, Qt::Key_C);
    EXPECT_EQ(cleans, 2);
    qApp->removeEventFilter(&hook);
}

TEST(KeyboardHook, ATransportKeyThatActsGoesNoFurther)
{
    App();
    CountedActions actions;
    KeyboardHook hook(actions);
    bool& acts = actions.transportActs;
    QList<HookAction>& seen = actions.transports;
    qApp->installEventFilter(&hook);
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    // Acted on: swallowed, the edit box never sees it; one press is one action.
    QTest::keyClick(edit, Qt::Key_S);
    EXPECT_TRUE(edit->text().isEmpty());
    // Not acted on (nothing loaded, a dialog up): the key goes on as usual.
    acts = false;
    QTest::keyClick(edit, Qt::Key_S);
    EXPECT_EQ(edit->text(), QStringLiteral("s"));
    EXPECT_EQ(seen, (QList<HookAction>{HookAction::Snapshot, HookAction::Snapshot}));
    qApp->removeEventFilter(&hook);
}

TEST(KeyboardHook, CtrlCStartsTheCleanOnlyFromTheMainWindowsOwnKeys)
{
    App();
    QWidget window;
    auto* focusBox = new QPlainTextEdit(&window);   // the invisible box that holds the focus
    focusBox->setGeometry(-1000, 0, 20, 20);
    auto* field = new QLineEdit(&window);           // a text field of the window
    auto* spin = new QSpinBox(&window);
    auto* button = new QPushButton(&window);
    QDialog dialog(&window);
    auto* dialogField = new QLineEdit(&dialog);
    QWidget other;
    window.show();

    struct Case {
        const char* what;
        QObject* receiver;
        bool cleans;
    };
    const Case cases[] = {
        {"the window itself", &window, true},
        {"the invisible focus box", focusBox, true},
        {"the focus box's viewport", focusBox->viewport(), true},
        {"a button of the window", button, true},
        {"a text field of the window", field, false},
        {"a spin box of the window", spin, false},
        {"a field of a dialog", dialogField, false},
        {"another window", &other, false},
        {"no widget", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanKeyApplies(window, focusBox, c.receiver), c.cleans) << c.what;

    // With a dialog up (the folder chooser of File > Open, say), nothing of the window cleans.
    dialog.open();
    ASSERT_TRUE(QApplication::activeModalWidget() == &dialog);
    EXPECT_FALSE(CleanKeyApplies(window, focusBox, focusBox));
    EXPECT_FALSE(CleanKeyApplies(window, focusBox, &window));
    dialog.reject();
}
