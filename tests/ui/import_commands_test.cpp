// The import command from the tool bar and the menu: the notice, shown or
// not by what the settings store remembers, then the import window, then a
// redraw; and the busy window of long work.
#include "window_fixture.h"

#include "ui/busy_work.h"
#include "ui/import_window.h"
#include "ui/spreadsheet_notice.h"

#include "settings/chemistry.h"

#include "base/work_stopped.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace tessaline::test {
namespace {

class ImportCommand : public WindowTest {
  protected:
    chemistry& store() { return *window->settings; }
    QString tip() { return store().read_setting("excel_tip"); }
    // Runs the command; answers the notice with `notice` when it shows and
    // cancels the import window. Tells whether the notice showed.
    bool run_command(const std::function<void()>& command,
                     const std::function<void(TFNeedexcel*)>& notice) {
        bool shown = false;
        bool import_window = false;
        when_modal<TFNeedexcel>([&shown, notice](TFNeedexcel* n) {
            shown = true;
            notice(n);
        });
        when_modal<TFFiles>([&import_window](TFFiles* f) {
            import_window = true;
            f->reject();
        });
        command();
        EXPECT_TRUE(import_window) << "the import window opens in every case";
        const bool notice_shown = shown;
        if (!notice_shown) {
            // The notice's watcher is still waiting: let it find a notice
            // of our own so that it does not outlive the test.
            TFNeedexcel spare(store(), "Tessaline", window.get());
            spare.open();
            QTest::qWait(100);
        }
        return notice_shown;
    }
    static void ok_ticked(TFNeedexcel* n) {
        n->no_more_cb->setChecked(true);
        n->ok_button->click();
    }
};

TEST_F(ImportCommand, TheNoticeShowsUntilTurnedOff) {
    store().write_setting("excel_tip", "");
    auto command = [this] { window->excel_xyz_btnClick(); };
    EXPECT_TRUE(run_command(command, [](TFNeedexcel* n) { n->ok_button->click(); }));
    EXPECT_EQ(tip(), "") << "OK without the box stores nothing";

    // Closed by its title bar with the box ticked: nothing stored either.
    EXPECT_TRUE(run_command(command, [](TFNeedexcel* n) {
        n->no_more_cb->setChecked(true);
        n->close();
    }));
    EXPECT_EQ(tip(), "");

    store().write_setting("excel_tip", "0");
    EXPECT_TRUE(run_command(command, ok_ticked));
    EXPECT_EQ(tip(), "1");
    EXPECT_FALSE(run_command(command, ok_ticked));

    store().write_setting("excel_tip", "something");
    EXPECT_FALSE(run_command([this] { window->DataImport1->trigger(); }, ok_ticked));
}

TEST_F(ImportCommand, TheNoticesTexts) {
    TFNeedexcel notice(store(), "Tessaline");
    EXPECT_EQ(notice.windowTitle(), "Note !");
    EXPECT_EQ(notice.size(), QSize(514, 295));
    EXPECT_EQ(notice.Label1->text(), "It's IMPORTANT !");
    EXPECT_EQ(notice.Label2->text(),
              "Tessaline import data from MS Excel files (*.xls, *.xlsx) or");
    EXPECT_EQ(notice.Label4->text(), "OpenOffice Calc (*.ods) files only");
    EXPECT_EQ(notice.Label3->text(), "Tessaline reads these workbooks itself: no office suite");
    EXPECT_EQ(notice.Label6->text(), "needs to be installed on your PC");
    EXPECT_EQ(notice.no_more_cb->text(), "don't show this message again");
    EXPECT_FALSE(notice.no_more_cb->isChecked());
}

TEST_F(ImportCommand, CancellingTheImportWindowStillRedraws) {
    store().write_setting("excel_tip", "1");
    EXPECT_EQ(redraws([&] { run_command([this] { click("excel_xyz_btn"); }, ok_ticked); }), 1);
    EXPECT_EQ(window->DataImport1->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(redraws([&] { run_command([this] { window->DataImport1->trigger(); }, ok_ticked); }),
              1);
}

using token = const std::stop_token&;

TEST(BusyWork, ShowsProgressOnlyForLongWorkAndPassesErrorsOn) {
    QWidget parent;
    {
        busy_work quick(&parent);
        int done = 0;
        EXPECT_TRUE(quick.run("quick", [&done](token) { done = 1; }));
        EXPECT_EQ(done, 1);
        EXPECT_EQ(quick.dialog(), nullptr);
    }
    {
        busy_work slow(&parent);
        EXPECT_TRUE(slow.run(
            "first", [](token) { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); }));
        ASSERT_NE(slow.dialog(), nullptr);
        slow.run("second", [](token) {});
        EXPECT_EQ(slow.dialog()->labelText(), "second") << "one window for all steps";
    }
    busy_work failing(&parent);
    EXPECT_THROW(failing.run("x", [](token) { throw std::runtime_error("broken"); }),
                 std::runtime_error);
}

// Cancel asks the work to stop and run() says it was stopped; meanwhile
// only the progress window takes clicks, and a later step runs afresh.
TEST(BusyWork, CancelStopsTheWorkAndNothingElseTakesClicks) {
    QWidget parent;
    auto* button = new QPushButton("elsewhere", &parent);
    button->resize(100, 30);
    parent.show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

    busy_work busy(&parent);
    bool saw_stop = false;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        if (busy.dialog() && busy.dialog()->isVisible())
            if (auto* cancel = busy.dialog()->findChild<QPushButton*>()) cancel->click();
    });
    poke.start(100);
    const bool done = busy.run("endless", [&saw_stop](token stop) {
        while (!stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        saw_stop = true;
        throw work_stopped{};
    });
    poke.stop();
    EXPECT_FALSE(done);
    EXPECT_TRUE(saw_stop);
    EXPECT_EQ(clicks, 0);

    bool second = false;
    EXPECT_TRUE(busy.run("next", [&second](token stop) { second = !stop.stop_requested(); }));
    EXPECT_TRUE(second);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1) << "clicks reach the window again once the work is done";
}

} // namespace
} // namespace tessaline::test
