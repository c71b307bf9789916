#include "app/CommandTable.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QKeySequence Key(QKeyCombination k)
{
    return QKeySequence(k);
}

QKeySequence Key(Qt::Key k)
{
    return QKeySequence(QKeyCombination(k));
}

std::vector<CommandInfo> BuildTable()
{
    using R = CommandRoute;
    std::vector<CommandInfo> t;
    auto add = [&t](int id, const char* label, const char* prompt, QList<QKeySequence> keys,
                    R route) -> CommandInfo& {
        CommandInfo c;
        c.id = id;
        c.label = QString::fromUtf8(label);
        c.prompt = QString::fromUtf8(prompt);
        c.keys = std::move(keys);
        c.route = route;
        t.push_back(std::move(c));
        return t.back();
    };

    // File.
    add(ID_FILE_NEW, "&New\tCtrl+N", "Create a new document\nNew", {Key(Qt::CTRL | Qt::Key_N)},
        R::App);
    {
        auto& c = add(ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document\nOpen",
                      {Key(Qt::CTRL | Qt::Key_O)}, R::App);
        c.themeIcon = QStringLiteral("document-open");
        c.fallbackIcon = QStringLiteral("open");
        c.whatsThis = QStringLiteral(
            "<b>Open</b><p>Opens a pattern file (*.rad) in a window of its own.</p>");
    }
    add(ID_FILE_CLOSE, "&Close", "Close the active document\nClose", {}, R::Child);
    {
        auto& c = add(ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document\nSave",
                      {Key(Qt::CTRL | Qt::Key_S)}, R::Child);
        c.themeIcon = QStringLiteral("document-save");
        c.fallbackIcon = QStringLiteral("save");
        c.whatsThis = QStringLiteral("<b>Save</b><p>Writes the active pattern to its file; a "
                                     "new pattern asks for a file name first.</p>");
    }
    add(ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As", {},
        R::Child);
    add(ID_FILE_EXPORT, "&Export...",
        "Export the pattern as a NeXus/HDF5 file or a TIFF image\nExport", {}, R::Child);
    add(ID_EXPORT_TARGETS, "Export &Targets...", "Write the targets as a CSV list\nExport Targets",
        {}, R::Child);
    add(ID_IMPORT_TARGETS, "&Import Targets...",
        "Add the targets of a CSV list to the pattern\nImport Targets", {}, R::Child);
    add(ID_FILE_PRINT_SETUP, "P&rint Setup...",
        "Change the printer and printing options\nPrint Setup", {}, R::App);
    {
        auto& c = add(ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document\nPrint",
                      {Key(Qt::CTRL | Qt::Key_P)}, R::View);
        c.themeIcon = QStringLiteral("document-print");
        c.fallbackIcon = QStringLiteral("print");
        c.whatsThis = QStringLiteral("<b>Print</b><p>Prints the active pattern on one page.</p>");
    }
    add(ID_FILE_PRINT_DIRECT, "", "", {}, R::View);
    add(ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display full pages\nPrint Preview", {}, R::View);
    add(ID_FILE_MRU_FILE1, "Recent File", "Open this document", {}, R::App);
    add(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit",
        {Key(Qt::CTRL | Qt::Key_Q)}, R::App);

    // Edit.
    add(ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action\nUndo",
        {Key(Qt::CTRL | Qt::Key_Z), Key(Qt::ALT | Qt::Key_Backspace)}, R::View);
    add(ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the last action undone\nRedo",
        {Key(Qt::CTRL | Qt::Key_Y), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, R::View);
    add(ID_CLEAR_ALL, "Clear All\tCtrl+DEL",
        "Clear all selected targets from radiography\tClear All", {Key(Qt::CTRL | Qt::Key_Delete)},
        R::View);
    add(ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy",
        {Key(Qt::CTRL | Qt::Key_C), Key(Qt::CTRL | Qt::Key_Insert)}, R::View)
        .contextLabel = QStringLiteral("Copy");
    add(ID_EDIT_CUT, "", "", {Key(Qt::CTRL | Qt::Key_X), Key(Qt::SHIFT | Qt::Key_Delete)}, R::View);
    add(ID_EDIT_PASTE, "", "", {Key(Qt::CTRL | Qt::Key_V), Key(Qt::SHIFT | Qt::Key_Insert)},
        R::View);
    {
        auto& c = add(ID_ZOOM_IN, "Zoom &In\t+", "Zoom active document (enlarge)\nZoom In",
                      {Key(Qt::KeypadModifier | Qt::Key_Plus), Key(Qt::Key_Plus)}, R::View);
        c.contextLabel = QStringLiteral("Zoom In");
        c.themeIcon = QStringLiteral("zoom-in");
        c.fallbackIcon = QStringLiteral("zoomin");
        c.whatsThis = QStringLiteral("<b>Zoom In</b><p>Enlarges the pattern around the zoom "
                                     "centre (right-click a grid point to set it).</p>");
    }
    {
        auto& c =
            add(ID_ZOOM_OUT, "Zoom &Out\t-", "Zoom out the active document (reduce)\nZoom Out",
                {Key(Qt::KeypadModifier | Qt::Key_Minus), Key(Qt::Key_Minus)}, R::View);
        c.contextLabel = QStringLiteral("Zoom Out");
        c.themeIcon = QStringLiteral("zoom-out");
        c.fallbackIcon = QStringLiteral("zoomout");
        c.whatsThis = QStringLiteral("<b>Zoom Out</b><p>Shows more of the pattern.</p>");
    }
    {
        auto& c = add(ID_ZOOM_RESET, "Zoom &Reset\tEsc", "Reset zoom to normal setting\nZoom Reset",
                      {Key(Qt::Key_Escape)}, R::View);
        c.contextLabel = QStringLiteral("Zoom Reset");
        c.themeIcon = QStringLiteral("zoom-original");
        c.fallbackIcon = QStringLiteral("zoomreset");
        c.whatsThis = QStringLiteral("<b>Zoom Reset</b><p>Shows the whole pattern again.</p>");
    }
    add(ID_OPTIONS, "&Options", "General program settings\nOptions", {}, R::App);
    add(ID_ORIENTATION, "Orientation", "Choose the direction of the X and Y axes\nOrientation", {},
        R::App);
    add(ID_SEND_TARGETS, "&Send targets\tEnd", "Send current targets to ORMA program\nSend targets",
        {Key(Qt::Key_End)}, R::View);
    add(ID_PROPERTIES, "Properties", "", {}, R::View).contextLabel = QStringLiteral("Properties");
    {
        auto& c = add(ID_PLOT_3D, "3D Plot", "Redisplay as 3D plot\n3D Plot", {}, R::View);
        c.contextLabel = QStringLiteral("3D Plot");
        c.fallbackIcon = QStringLiteral("plot3d");
        c.whatsThis = QStringLiteral(
            "<b>3D Plot</b><p>Shows the intensities of the pattern as a 3D surface.</p>");
    }

    // View.
    {
        auto& c = add(ID_VIEW_OVERLAY, "&Overlay of targets",
                      "Show or hide the target overlay of selected targets\nToggle targets "
                      "overlay",
                      {}, R::View);
        c.checkable = true;
        c.fallbackIcon = QStringLiteral("overlay");
        c.whatsThis =
            QStringLiteral("<b>Overlay of targets</b><p>Shows or hides the selected targets on the "
                           "pattern.</p>");
    }
    add(ID_VIEW_HEADER, "&Header Information",
        "Display full header information in document view\tToggle header information", {}, R::View)
        .checkable = true;
    {
        auto& c = add(ID_RANGE_LOCK, "Loc&k Colour Range\tCtrl+L",
                      "Keep the colour range as it is while points arrive\nLock colour range",
                      {Key(Qt::CTRL | Qt::Key_L)}, R::View);
        c.checkable = true;
        c.themeIcon = QStringLiteral("object-locked");
        c.fallbackIcon = QStringLiteral("lockrange");
        c.whatsThis = QStringLiteral(
            "<b>Lock Colour Range</b><p>Freezes the colour range shown now; new points and "
            "changed range settings no longer move it until it is unlocked.</p>");
    }
    add(ID_SHARE_LIVE_VIEW, "Share &Live View...",
        "Show the scan live in a web browser, here or on other computers\nShare Live View", {},
        R::App);
    add(ID_VIEW_TARGET_LIST, "Target &List", "Show or hide the list of targets\nTarget List", {},
        R::App)
        .checkable = true;
    add(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", {}, R::App)
        .checkable = true;
    add(ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", {},
        R::App)
        .checkable = true;

    // Tools.
    struct ToolRow
    {
        int id;
        const char* label;
        const char* prompt;
        Qt::Key key;
        const char* icon;
        const char* what;
    };
    const ToolRow tools[] = {
        {ID_TOOL_ARROW, "&Arrow\tF9", "Arrow selector for single target selection\nArrow selector",
         Qt::Key_F9, "arrow", "<b>Arrow</b><p>Click a grid point to make it a target.</p>"},
        {ID_TOOL_LINE, "&Line\tF10", "Line selector for multiple target selection\nLine selector",
         Qt::Key_F10, "line",
         "<b>Line</b><p>Drag a straight line; every grid point on it becomes a target.</p>"},
        {ID_TOOL_CURVE, "&Curve\tF11",
         "Curve selector for multiple target selection\nCurve selector", Qt::Key_F11, "curve",
         "<b>Curve</b><p>Drag over the pattern; every grid point passed becomes a "
         "target.</p>"},
        {ID_TOOL_RECTANGLE, "&Rectangle\tF12",
         "Rectangle selector for multiple target selection\nRectangle selector", Qt::Key_F12,
         "rectangle",
         "<b>Rectangle</b><p>Drag a rectangle; every grid point in it becomes a target.</p>"},
        {ID_TOOL_ERASER, "&Eraser\tDel",
         "Arrow  deselector for single target selection\nArrow deselector", Qt::Key_Delete,
         "eraser", "<b>Eraser</b><p>Click or drag over targets to remove them.</p>"},
    };
    for (const ToolRow& row : tools) {
        // Always enabled: the tool is program-wide, chosen also before a pattern opens.
        auto& c = add(row.id, row.label, row.prompt, {Key(row.key)}, R::App);
        c.checkable = true;
        c.fallbackIcon = QString::fromUtf8(row.icon);
        c.whatsThis = QString::fromUtf8(row.what);
    }

    // Window.
    add(ID_WINDOW_NEW, "&New Window", "Open another window for the active document\nNew Window", {},
        R::Child);
    add(ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows", {},
        R::App);
    add(ID_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", {},
        R::App);
    add(ID_WINDOW_ARRANGE, "&Arrange Icons",
        "Arrange icons at the bottom of the window\nArrange "
        "Icons",
        {}, R::App);
    // The child window's own Close, on the key every Linux desktop gives it; no menu entry.
    add(ID_WINDOW_CLOSE, "", "Close the active window\nClose Window", {Key(Qt::CTRL | Qt::Key_W)},
        R::Child);
    add(ID_NEXT_PANE, "", "Switch to the next window pane\nNext Pane", {Key(Qt::Key_F6)}, R::View);
    add(ID_PREV_PANE, "", "Switch back to the previous window pane\nPrevious Pane",
        {Key(Qt::SHIFT | Qt::Key_F6)}, R::View);

    // Help.
    add(ID_HELP_FINDER, "&Help Topics", "List Help topics\nHelp Topics", {}, R::App);
    add(ID_HELP, "", "Display help for current task or command\nHelp", {Key(Qt::Key_F1)}, R::App);
    add(ID_DEFAULT_HELP, "", "Display help for current task or command\nHelp", {}, R::App);
    {
        auto& c =
            add(ID_CONTEXT_HELP, "", "Display help for clicked on buttons, menus and windows\nHelp",
                {Key(Qt::SHIFT | Qt::Key_F1)}, R::App);
        c.themeIcon = QStringLiteral("help-contextual");
        c.fallbackIcon = QStringLiteral("contexthelp");
        c.whatsThis = QStringLiteral("<b>Help</b><p>Click this button, then any button or "
                                     "window, to read what it does.</p>");
    }
    {
        auto& c =
            add(ID_APP_ABOUT, "&About Vespira...",
                "Display program information, version number and copyright\nAbout", {}, R::App);
        c.labelNoDoc = QStringLiteral("&About ORMA Radiography...");
        c.themeIcon = QStringLiteral("help-about");
        c.fallbackIcon = QStringLiteral("about");
        c.whatsThis = QStringLiteral("<b>About</b><p>Shows the program's version and date.</p>");
    }
    return t;
}

} // namespace

QString CommandInfo::StatusTip() const
{
    const qsizetype cut = prompt.indexOf(QRegularExpression(QStringLiteral("[\n\t]")));
    return cut < 0 ? prompt : prompt.left(cut);
}

QString CommandInfo::ToolTip() const
{
    const qsizetype cut = prompt.indexOf(QRegularExpression(QStringLiteral("[\n\t]")));
    if (cut >= 0)
        return prompt.mid(cut + 1);
    QString text = label.section(QLatin1Char('\t'), 0, 0);
    text.remove(QLatin1Char('&'));
    return text;
}

const std::vector<CommandInfo>& CommandTable()
{
    static const std::vector<CommandInfo> table = BuildTable();
    return table;
}

const CommandInfo* FindCommand(int id)
{
    const auto& t = CommandTable();
    const auto it =
        std::find_if(t.begin(), t.end(), [id](const CommandInfo& c) { return c.id == id; });
    return it == t.end() ? nullptr : &*it;
}

const std::vector<MenuInfo>& NoDocumentMenus()
{
    static const std::vector<MenuInfo> menus = {
        {QStringLiteral("&File"),
         {ID_FILE_OPEN, ID_SEPARATOR, ID_FILE_PRINT_SETUP, ID_SEPARATOR, ID_FILE_MRU_FILE1,
          ID_SEPARATOR, ID_APP_EXIT}},
        {QStringLiteral("&Edit"), {ID_OPTIONS, ID_ORIENTATION}},
        {QStringLiteral("&View"),
         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_SEPARATOR, ID_SHARE_LIVE_VIEW}},
        {QStringLiteral("&Help"), {ID_HELP_FINDER, ID_SEPARATOR, ID_APP_ABOUT}},
    };
    return menus;
}

const std::vector<MenuInfo>& DocumentMenus()
{
    static const std::vector<MenuInfo> menus = {
        {QStringLiteral("&File"),
         {ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_SEPARATOR, ID_FILE_EXPORT,
          ID_EXPORT_TARGETS, ID_IMPORT_TARGETS, ID_SEPARATOR, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
          ID_FILE_PRINT_SETUP, ID_SEPARATOR, ID_FILE_MRU_FILE1, ID_SEPARATOR, ID_APP_EXIT}},
        {QStringLiteral("&Edit"),
         {ID_EDIT_UNDO, ID_EDIT_REDO, ID_CLEAR_ALL, ID_SEPARATOR, ID_EDIT_COPY, ID_SEPARATOR,
          ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_RESET, ID_SEPARATOR, ID_OPTIONS, ID_ORIENTATION,
          ID_SEPARATOR, ID_SEND_TARGETS}},
        {QStringLiteral("&View"),
         {ID_VIEW_OVERLAY, ID_VIEW_HEADER, ID_RANGE_LOCK, ID_SEPARATOR, ID_VIEW_TARGET_LIST,
          ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_SEPARATOR, ID_SHARE_LIVE_VIEW}},
        {QStringLiteral("&Tools"),
         {ID_TOOL_ARROW, ID_TOOL_LINE, ID_TOOL_CURVE, ID_TOOL_RECTANGLE, ID_SEPARATOR,
          ID_TOOL_ERASER}},
        {QStringLiteral("&Window"),
         {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE}},
        {QStringLiteral("&Help"), {ID_HELP_FINDER, ID_SEPARATOR, ID_APP_ABOUT}},
    };
    return menus;
}

const std::vector<int>& ToolbarButtons()
{
    static const std::vector<int> buttons = {
        ID_FILE_OPEN,  ID_FILE_SAVE,    ID_SEPARATOR,      ID_ZOOM_IN,     ID_ZOOM_OUT,
        ID_ZOOM_RESET, ID_SEPARATOR,    ID_FILE_PRINT,     ID_APP_ABOUT,   ID_CONTEXT_HELP,
        ID_SEPARATOR,  ID_VIEW_OVERLAY, ID_RANGE_LOCK,     ID_SEPARATOR,   ID_TOOL_ARROW,
        ID_TOOL_LINE,  ID_TOOL_CURVE,   ID_TOOL_RECTANGLE, ID_TOOL_ERASER, ID_SEPARATOR,
        ID_PLOT_3D,
    };
    return buttons;
}

const std::vector<int>& ContextMenuItems()
{
    static const std::vector<int> items = {ID_EDIT_COPY, ID_SEPARATOR,  ID_ZOOM_IN,
                                           ID_ZOOM_OUT,  ID_ZOOM_RESET, ID_SEPARATOR,
                                           ID_PLOT_3D,   ID_SEPARATOR,  ID_PROPERTIES};
    return items;
}
