// The main window: the 3-D view in the centre, the tool bars above it, the
// settings column on the right. It owns the settings store, the data field
// and the screen, keeps the step counters of the settings column, and turns
// every control's change into calls on the data field and the scene followed
// by one redraw.
#pragma once

#include "busy_work.h"

#include "files/graph_document.h"
#include "files/mesh_export.h"
#include "graph/colour_map.h"
#include "graph/datafield.h"
#include "net/update_check_thread.h"
#include "view/surface.h"
#include "view/view_angles.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QActionGroup;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;

namespace tessaline {

class chemistry;
struct graph_read;
class color_button;
class space;
class TOpenGLScreen;
class view_panel;

// Caps of the step counters (the data field has its own, wider ones). A value
// read from a graph file is brought into the same range.
// Seven steps make the marks ~100 times denser; ten steps coarser no axis has
// a mark left.
inline constexpr std::int32_t max_marks_step = 7;
inline constexpr std::int32_t min_marks_step = -10;
// 1.2^25 ~ 95 and 0.8^25 ~ 0.004: an axis far beyond the view or a dot.
inline constexpr std::int32_t max_zoom_step = 25;
// 1.2^15 ~ 15: labels longer than the axes; 0.8^15 ~ 0.035: below a pixel.
inline constexpr std::int32_t max_font_zoom_step = 15;
inline constexpr std::int32_t min_point_size = 1;
// No cap of its own: beyond the renderer's largest dot (255 pixels on Mesa)
// dots stop growing while ticks go on; only the counter's range ends it.
inline constexpr std::int32_t max_point_size = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int32_t start_point_size = 7;

// One axis group box's controls.
struct axis_controls {
    QGroupBox* settings = nullptr;
    QLineEdit* caption_ed = nullptr;
    QRadioButton* t_shift_false_rb = nullptr;
    QRadioButton* t_shift_true_rb = nullptr;
    QRadioButton* t_turn_false_rb = nullptr;
    QRadioButton* t_turn_true_rb = nullptr;
    QRadioButton* t_inv_false_rb = nullptr;
    QRadioButton* t_inv_true_rb = nullptr;
    QRadioButton* t_overturn_false_rb = nullptr;
    QRadioButton* t_overturn_true_rb = nullptr;
    QToolButton* shift_marks_minus_btn = nullptr;
    QToolButton* shift_marks_plus_btn = nullptr;
    QToolButton* shift_marks_reset_btn = nullptr;
    QToolButton* scale_minus_btn = nullptr;
    QToolButton* scale_plus_btn = nullptr;
    QToolButton* scale_reset_btn = nullptr;
    // The axis limits; empty means the data's own bound.
    QLineEdit* range_min_ed = nullptr;
    QLineEdit* range_max_ed = nullptr;
};

class TFMain : public QMainWindow, public update_check_window {
    Q_OBJECT
  public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // The end of start-up, once the window is shown and the view has its
    // context: opens the graph file named on the command line, if any, and
    // draws the first frame. A failing file is reported and the window stays.
    void open_start_file(const QString& path);

    // Asks for one whole new frame of the view.
    void redraw();

    // Send the controls' states to the scene or the data field; none redraws.
    void apply_t_shift();
    void apply_t_turn();
    void apply_t_inv();
    void apply_t_overturn();
    void apply_graph_mode();
    void apply_axis_captions();
    void apply_font_color();

    // Each returns an error text for the user, empty on success.
    QString save_graph_file(const QString& path);
    // `opened` tells whether the file was taken: not when the user stopped
    // the reading or the file is another program's (both without an error).
    QString open_graph_file(const QString& path, bool* opened = nullptr);
    QString export_mesh_file(const QString& path, mesh_format format);
    // What read_graph_file read, put into the window; an error text as above.
    QString show_graph_read(const graph_read& read, const QString& path);
    // Read under the progress window; nothing when the user stopped it.
    std::optional<graph_read> read_graph(const QString& path);
    // How long a read goes before its progress window shows (tests shorten it).
    int open_quiet_milliseconds = busy_work::quiet_milliseconds;

    // Opens a graph file as Open does, or the import window on a table or a
    // workbook, for File > Open, the command line and a file dropped on the
    // window. Failures are reported; false when one was.
    bool open_file(const QString& path);
    // The import window already on `path`, skipping its own file dialog;
    // false when the file could not be read (the window reported why).
    bool import_file(const QString& path);

    // The file the window's graph was read from or last saved to (empty
    // when none), and the name the title shows (a graph file's or, after an
    // import, the table's).
    QString document_path;
    QString document_name;
    // The view's state as a graph file keeps it, without points and faces.
    graph_document view_document() const;
    // A graph whose data or saved view differs from the file it came from.
    bool has_unsaved_changes() const;
    // Before the window's graph is replaced or the window closes: asks Save /
    // Discard / Cancel over unsaved changes. True when the caller may go on
    // (nothing unsaved, saved, or discarded); false on Cancel or a save that
    // was cancelled or failed.
    bool confirm_unsaved_changes(QWidget* parent);
    // The window's state is that of the graph file `path`.
    void set_document(const QString& path);
    // The graph came from an import of `source` and is in no file yet.
    void set_imported(const QString& source);
    // The title with the document's name and the unsaved-changes mark.
    void update_title();

    // The recent files, newest first, as the settings store keeps them.
    QStringList recent_files() const;
    void remember_recent_file(const QString& path);
    // Opens an item of Recent Files; one that is gone is reported and dropped.
    void open_recent_file(const QString& path);
    // At a scale other than 1, the view drawn that many times larger.
    QString save_snapshot(const QString& path, double scale = 1);
    // The scale dialog of Make Snapshot at Scale; 0 when it was cancelled.
    double ask_snapshot_scale();
    void MakeScaledSnapshot1Click();

    // The update check's side: request values on the GUI thread, the reply.
    QString update_host_value() const override;
    QString update_path_value() const override;
    // A random id made once and kept in the settings store.
    QString installation_token() override;
    void update_reply_arrived(const QString& reply) override;
    // Offers the download page when the reply names another version.
    void update_reply_message();

    // The scene, or null while the view has no context.
    space* scene();

    // Handlers of the commands; the menu twins skip the final redraw.
    void save_btnClick();
    void Save1Click();
    void load_btnClick();
    void Open1Click();
    void shoot_btnClick();
    void Export1Click();
    void About1Click();

    // The import command: the notice unless turned off, the import window,
    // then a redraw, also when the window was cancelled.
    void excel_xyz_btnClick();
    void DataImport1Click();
    void show_spreadsheet_notice();
    // Takes a graph built by an import: the selection cleared, the window's
    // interval and zoom steps applied, the title row's captions (if any) set
    // through the caption edits.
    void show_imported_graph(Datafield&& built,
                             const std::optional<std::array<std::string, 3>>& captions);
    // Puts a graph built aside in the data field's place, so that the view
    // sees it as new.
    void replace_graph(Datafield&& built);

    // Settings column (the axis is 0, 1, 2 for X, Y, Z).
    void shift_marks_btnClick(int axis, int change);
    void shift_marks_reset_btnClick(int axis);
    void scale_btnClick(int axis, int change);
    void scale_reset_btnClick(int axis);
    void font_zoom_btnClick(int change);
    void font_zoom_reset_btnClick();
    void graph_points_btnClick();
    void graph_lines_btnClick();
    void graph_poligones_btnClick();
    void point_size_btnClick(int change);
    void point_size_reset_btnClick();
    void Points1Click();
    void Lines1Click();
    void Pligones1Click();

    // Navigation.
    void space_panelMouseDown(QPointF position);
    void space_panelMouseMove(QPointF position);
    void space_panelMouseUp();
    void space_panelDblClick();
    void space_panelResize();
    void MouseWheelDown();
    void MouseWheelUp();
    void mode_buttonClick(QToolButton* button);
    void ResetButtonClick();
    void V1Click();
    void Move1Click();
    void Zoom1Click();
    void Reset1Click();
    // Fit to data: the tool-bar toggle and the View menu item both switch
    // the shown graph's scaling and keep the choice for new graphs.
    void fit_btnClick();
    void FitToData1Click();
    void Orthographic1Click();
    void preset_view(view_angles angles);
    // The scaling a new graph (an import, a fresh start) gets.
    axis_scaling new_graph_scaling() const;
    // Switches the shown graph's scaling and the controls that show it;
    // stores nothing, draws nothing.
    void show_scaling(axis_scaling mode);
    void show_projection(bool orthographic);
    // Colour by height: the tool-bar toggle and View > Colour by Z switch it,
    // View > Colour Map picks the map, each choice kept for new graphs.
    void build_colour_menu(QMenu* view);
    void colour_btnClick();
    void ColourByZ1Click();
    void colour_mapClick(colour_map map);
    void colour_optionsClick();
    // The map the shown graph is coloured by, off when not colouring.
    colour_map shown_colours() const;
    // Sets the controls and the scene; stores nothing, draws nothing.
    void show_colours(colour_map map, bool bar, bool smooth);
    // The colouring new graphs (an import, a fresh start) get.
    void show_new_graph_colours();
    void store_colour_choice();
    void apply_colours();
    // Takes the range edits of an axis as its limits, or puts the limits in
    // force back into them when a text is no number.
    void range_edClick(int axis);
    // Shows the data field's limits in the range edits.
    void show_limits();

    // References to one axis' counters.
    std::int32_t& marks_step(int axis);
    std::int32_t& zoom_step(int axis);

    bool screen_ready = false;
    float last_mouse_x = 0;
    float last_mouse_y = 0;
    bool mouse_down = false;
    std::int32_t marks_step_x = 0, marks_step_y = 0, marks_step_z = 0;
    std::int32_t zoom_step_x = 0, zoom_step_y = 0, zoom_step_z = 0;
    std::int32_t font_zoom_step = 0;
    std::int32_t point_size = start_point_size;
    std::unique_ptr<TOpenGLScreen> screen;
    QString product_name;
    QString company_name;
    QString site_address;
    QString program_version;
    QString update_path;
    QString download_address;
    QString update_reply;
    std::unique_ptr<chemistry> settings;
    std::unique_ptr<Datafield> datafield;
    data_points_ imported_points;
    // Where the import window's file dialog starts: the last folder chosen.
    QString import_folder;
    // How many frames were asked for; the view draws the latest state once.
    int redraw_requests = 0;

    // Controls, named as their objectName.
    QStatusBar* StatusBar1 = nullptr;
    QScrollArea* settings_sbx = nullptr;
    QWidget* TitleSettingPanel = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* center_panel = nullptr;
    view_panel* space_panel = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolBar* ToolBar3 = nullptr;
    QToolBar* ToolBar4 = nullptr;
    QToolButton* excel_xyz_btn = nullptr;
    QToolButton* save_btn = nullptr;
    QToolButton* load_btn = nullptr;
    QToolButton* RotateModeButton = nullptr;
    QToolButton* MoveModeButton = nullptr;
    QToolButton* ZoomModeButton = nullptr;
    QToolButton* ResetButton = nullptr;
    QToolButton* fit_btn = nullptr;
    QToolButton* colour_btn = nullptr;
    QToolButton* shoot_btn = nullptr;
    QToolButton* graph_poligones_btn = nullptr;
    QToolButton* graph_lines_btn = nullptr;
    QToolButton* graph_points_btn = nullptr;
    QToolButton* point_size_minus_btn = nullptr;
    QToolButton* point_size_plus_btn = nullptr;
    QToolButton* point_size_reset_btn = nullptr;
    QGroupBox* FontSettings = nullptr;
    QToolButton* font_zoom_minus_btn = nullptr;
    QToolButton* font_zoom_plus_btn = nullptr;
    QToolButton* font_zoom_reset_btn = nullptr;
    color_button* font_color_btn = nullptr;
    std::array<axis_controls, 3> axes;

    QMenuBar* MainMenu1 = nullptr;
    QAction* DataImport1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Export1 = nullptr;
    QMenu* RecentFiles1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* V1 = nullptr;
    QAction* Move1 = nullptr;
    QAction* Zoom1 = nullptr;
    QAction* Reset1 = nullptr;
    QAction* FitToData1 = nullptr;
    QAction* Orthographic1 = nullptr;
    QAction* ColourByZ1 = nullptr;
    QAction* ColourBar1 = nullptr;
    QAction* SmoothShading1 = nullptr;
    QActionGroup* colour_map_group = nullptr;
    QAction* TopView1 = nullptr;
    QAction* FrontView1 = nullptr;
    QAction* SideView1 = nullptr;
    QAction* MakeSnapshoot1 = nullptr;
    QAction* MakeScaledSnapshot1 = nullptr;
    QAction* Points1 = nullptr;
    QAction* Lines1 = nullptr;
    QAction* Pligones1 = nullptr;
    QAction* About1 = nullptr;

    QFileDialog* xyz_save_dialog = nullptr;
    QFileDialog* xyz_open_dialog = nullptr;
    QFileDialog* snapshot_save_dialog = nullptr;
    // Made at the first export and kept, so it remembers folder and format.
    QFileDialog* export_dialog = nullptr;
    QFileDialog* mesh_export_dialog();

    // A click on the settings column's own background: the splitter goes to
    // x 1080, which narrows the column to its least width.
    void settings_sbxClick();

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The settings column's wheel zooms the view, and its background clicks.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_menus();
    void build_recent_files_menu(QMenu* file);
    void fill_recent_files_menu();
    void store_recent_files(const QStringList& list);
    void build_tool_bars();
    void build_settings_column();
    QGroupBox* build_font_settings();
    QGroupBox* build_axis_settings(int axis);
    void build_dialogs();
    void connect_settings_column();
    void connect_navigation();

    void start_update_check();
    void create_screen();
    void drop_screen();
    // Everything the scene keeps, from the counters and controls: for a new
    // screen, or after the context was lost.
    void apply_all_to_scene();
    void apply_point_size_enabling();
    void apply_axis_zoom();
    // Runs a file dialog; the chosen path, or empty when cancelled.
    QString choose_path(QFileDialog* dialog);
    void apply_view_settings(const graph_read& read);
    // Places every axis' marks and caption for the axis' zoom step.
    void place_marks();
    // Marks anew from the counters, after the scene units changed.
    void rebuild_marks();
    bool save_command();
    bool open_command();
    void import_command();
    // Saves for confirm_unsaved_changes: over the document's own graph file
    // when it has one, else through the Save dialog. True once saved.
    bool save_before_replacing();

    // The view as last saved or opened, and whether data came in since.
    graph_document saved_view_;
    bool data_unsaved_ = false;

    // Wheel angle not yet a whole notch (touchpads send small steps).
    int wheel_rest_ = 0;
    // Reduced frames while the wheel turns; a whole one when it rests.
    void wheel_turning();
    QTimer* wheel_settle_ = nullptr;
    QString update_host_;
    // Told to stop first when the window goes, before what the check reads.
    std::unique_ptr<update_check_owner> update_check;
};

// The view's size times the scale, rounded to whole pixels.
pixel_size scaled_size(pixel_size view, double scale);

// Brings a step counter read from a file into its cap.
std::int32_t capped_marks_step(std::int32_t step);
std::int32_t capped_zoom_step(std::int32_t step);
std::int32_t capped_font_zoom_step(std::int32_t step);
std::int32_t capped_point_size(std::int64_t size);

} // namespace tessaline
