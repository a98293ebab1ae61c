// Navigation: drags in each mode, the wheel, picking by press and pointer,
// double-clicks, reset, and the mode buttons with their View menu twins.
#include "window_fixture.h"

#include <QAction>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QWheelEvent>

namespace tessaline::test {
namespace {

class Navigation : public WindowTest {
  protected:
    QWidget* view() { return window->space_panel; }
    QPoint centre() { return view()->rect().center(); }
    // Sent to the view itself: where the display's pointer is, and which
    // window lies under it, is no matter then.
    void move(QPoint to, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent event(QEvent::MouseMove, QPointF(to), view()->mapToGlobal(QPointF(to)),
                          Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(view(), &event);
    }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(view(), Qt::LeftButton, {}, from);
        move(to, Qt::LeftButton);
        QTest::mouseRelease(view(), Qt::LeftButton, {}, to);
    }
    // As the window receives it from any child that leaves the wheel alone
    // (a sent event is not passed on to parents as a real one is).
    void wheel(int angle) {
        QWheelEvent event(QPointF(10, 10), window->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.get(), &event);
    }
    // A graph with point 0 at the origin, which the start camera shows in the
    // middle of the view.
    void load_origin_graph() {
        field().load_points({{0, 0, 0}, {1, 1, 1}, {-1, 1, -1}, {1, -1, 0.5}});
        scene().set_point_size(15);
    }
};

TEST_F(Navigation, DragTurnsMovesOrZoomsByTheMode) {
    const QPoint from = centre();
    const QPoint to = from + QPoint(10, -5);
    const float alpha = screen().alpha, betta = screen().betta;
    const int before = window->redraw_requests;
    drag(from, to);
    EXPECT_GE(window->redraw_requests, before + 1);
    // a = 4 * (last x - x) = -40, b = 4 * (y - last y) = -20.
    EXPECT_FLOAT_EQ(screen().alpha, alpha + 40 * screen().rotate_factor_a);
    EXPECT_FLOAT_EQ(screen().betta, betta - 20 * screen().rotate_factor_b);
    EXPECT_FALSE(window->mouse_down);

    click("MoveModeButton");
    EXPECT_EQ(screen().mode, nav_move);
    drag(from, to);
    EXPECT_FLOAT_EQ(screen().move_a, 40 * screen().move_factor);
    EXPECT_FLOAT_EQ(screen().move_b, 20 * screen().move_factor);

    click("ZoomModeButton");
    const float radius = screen().radius;
    drag(from, from + QPoint(0, 10));
    EXPECT_GT(screen().radius, radius);
    // The drag changed the camera, not the mode.
    EXPECT_EQ(screen().mode, nav_zoom);
}

TEST_F(Navigation, WheelZoomsByWholeNotches) {
    const float radius = screen().radius;
    wheel(-120);
    EXPECT_FLOAT_EQ(screen().radius, radius + 7 * radius / 300);
    const float out = screen().radius;
    wheel(60); // half a notch: nothing yet
    EXPECT_EQ(screen().radius, out);
    EXPECT_EQ(redraws([&] { wheel(60); }), 1);
    EXPECT_FLOAT_EQ(screen().radius, out - 7 * out / 300);
}

TEST_F(Navigation, TheWheelOverTheSettingsColumnZoomsTheViewAndDoesNotScroll) {
    // A column short enough to scroll, so that it would take the wheel.
    window->resize(window->width(), 400);
    QScrollArea* column = window->settings_sbx;
    QTRY_VERIFY(column->verticalScrollBar()->maximum() > 0);
    const float radius = screen().radius;
    for (QWidget* under :
         {column->viewport(), static_cast<QWidget*>(column->verticalScrollBar())}) {
        const int scrolled = column->verticalScrollBar()->value();
        const QPointF at(5, 5);
        QWheelEvent event(at, under->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(under, &event);
        EXPECT_EQ(column->verticalScrollBar()->value(), scrolled);
    }
    EXPECT_GT(screen().radius, radius);
}

TEST_F(Navigation, AClickOnTheSettingsColumnsBackgroundNarrowsIt) {
    QScrollArea* column = window->settings_sbx;
    const int wide = column->width();
    // On a group box: nothing moves.
    QWidget* box = window->findChild<QWidget*>(QStringLiteral("FontSettings"));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() - 3));
    EXPECT_EQ(column->width(), wide);
    // Below the last group box, on the column's own background.
    QWidget* viewport = column->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(3, viewport->height() - 3));
    QTRY_COMPARE(column->width(), column->minimumWidth());
    EXPECT_EQ(window->Splitter1->sizes().value(0), window->Splitter1->width() -
                                                       window->Splitter1->handleWidth() -
                                                       column->minimumWidth());
}

TEST_F(Navigation, PressSelectsThePointUnderThePointerAndDoubleClickDropsIt) {
    load_origin_graph();
    window->redraw();
    QTest::mouseClick(view(), Qt::LeftButton, {}, centre());
    EXPECT_EQ(scene().selected_point_id, 0);
    // A press on the background keeps the selection.
    QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(scene().selected_point_id, 0);
    QTest::mouseDClick(view(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(scene().selected_point_id, -1);
    // A double-click on a point ends with that point selected.
    QTest::mouseDClick(view(), Qt::LeftButton, {}, centre());
    EXPECT_EQ(scene().selected_point_id, 0);
}

TEST_F(Navigation, PointerHoversWithoutAButtonOnly) {
    load_origin_graph();
    move(centre());
    EXPECT_EQ(scene().hover_point_id, 0);
    move(QPoint(2, 2));
    EXPECT_EQ(scene().hover_point_id, -1);
    // While a button is held the pointer drags and hovers nothing.
    QTest::mousePress(view(), Qt::RightButton, {}, QPoint(2, 2));
    move(centre(), Qt::RightButton);
    EXPECT_EQ(scene().hover_point_id, -1);
    QTest::mouseRelease(view(), Qt::RightButton, {}, centre());
}

TEST_F(Navigation, ResetButtonRedrawsAndTheMenuResetDoesNot) {
    screen().alpha = 10;
    screen().radius = 50;
    EXPECT_EQ(redraws([&] { click("ResetButton"); }), 1);
    EXPECT_EQ(screen().alpha, 315);
    // Framed: far enough out for the whole box.
    EXPECT_FLOAT_EQ(screen().radius, screen().framing_radius());
    EXPECT_GT(screen().radius, 10);
    screen().move_a = 3;
    EXPECT_EQ(redraws([&] { find<QAction>("Reset1")->trigger(); }), 0);
    EXPECT_EQ(screen().move_a, 0);
}

TEST_F(Navigation, ModeButtonsFormAGroupThatMayBeAllUp) {
    auto* rotate = find<QToolButton>("RotateModeButton");
    auto* move = find<QToolButton>("MoveModeButton");
    auto* zoom = find<QToolButton>("ZoomModeButton");
    click("MoveModeButton");
    EXPECT_FALSE(rotate->isChecked());
    EXPECT_TRUE(move->isChecked());
    click("MoveModeButton");
    EXPECT_FALSE(move->isChecked());
    EXPECT_FALSE(rotate->isChecked() || zoom->isChecked());
    EXPECT_EQ(screen().mode, nav_move);

    // The View menu puts its button down and raises the other two.
    find<QAction>("Zoom1")->trigger();
    EXPECT_TRUE(zoom->isChecked());
    EXPECT_EQ(screen().mode, nav_zoom);
    find<QAction>("Move1")->trigger();
    EXPECT_TRUE(move->isChecked());
    EXPECT_FALSE(zoom->isChecked() || rotate->isChecked());
    EXPECT_EQ(screen().mode, nav_move);
    find<QAction>("V1")->trigger();
    EXPECT_TRUE(rotate->isChecked());
    EXPECT_FALSE(move->isChecked());
    EXPECT_EQ(screen().mode, nav_rotate);
}

TEST_F(Navigation, ADragAndTheWheelEndWithAWholeFrame) {
    load_origin_graph();
    QTest::mousePress(view(), Qt::LeftButton, {}, centre());
    move(centre() + QPoint(20, 5), Qt::LeftButton);
    EXPECT_TRUE(screen().interacting());
    // The release draws the whole graph once.
    EXPECT_EQ(redraws([&] { QTest::mouseRelease(view(), Qt::LeftButton, {}, centre()); }), 1);
    EXPECT_FALSE(screen().interacting());
    // A click without a drag draws nothing more than before.
    QTest::mousePress(view(), Qt::LeftButton, {}, centre());
    EXPECT_EQ(redraws([&] { QTest::mouseRelease(view(), Qt::LeftButton, {}, centre()); }), 0);

    wheel(120);
    EXPECT_TRUE(screen().interacting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !screen().interacting(); }, 2000));
}

} // namespace
} // namespace tessaline::test
